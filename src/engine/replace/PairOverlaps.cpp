#include "engine/replace/PairOverlaps.h"

#include "engine/search/TextAutomaton.h"

#include <algorithm>
#include <string>
#include <unordered_map>

namespace quorvane {

template <typename Unit>
bool CanForm(std::basic_string_view<Unit> replace, std::basic_string_view<Unit> find)
{
    if (find.empty()) return false;
    if (replace.empty()) return find.size() >= 2;
    if (replace.find(find) != replace.npos || find.find(replace) != find.npos) return true;
    const std::size_t most = std::min(replace.size(), find.size()) - 1;
    for (std::size_t i = 1; i <= most; ++i) {
        if (replace.substr(0, i) == find.substr(find.size() - i)) return true;
        if (replace.substr(replace.size() - i) == find.substr(0, i)) return true;
    }
    return false;
}

namespace {

using Latest = std::int64_t;  // a pair index, -1 for none

// Per state of an automaton over texts: the latest pair of any text that
// passes through the state or any state on its failure chain (`through`), and
// of any text that ends there (`ends`). latest[i] is texts[i]'s latest pair.
template <typename Unit>
struct ChainLatest {
    std::vector<Latest> through, ends;
    ChainLatest(const TextAutomaton<Unit>& a, const std::vector<std::basic_string_view<Unit>>& texts,
                const std::vector<Latest>& latest)
        : through(a.states(), -1), ends(a.states(), -1)
    {
        for (std::size_t i = 0; i < texts.size(); ++i) {
            std::uint32_t s = a.root();
            for (const Unit u : texts[i]) {
                s = a.step(s, u);
                through[s] = std::max(through[s], latest[i]);
            }
            ends[s] = std::max(ends[s], latest[i]);
        }
        for (const std::uint32_t s : a.byDepth()) {
            if (s == a.root()) continue;
            through[s] = std::max(through[s], through[a.fail(s)]);
            ends[s] = std::max(ends[s], ends[a.fail(s)]);
        }
    }
};

} // namespace

template <typename Unit>
std::vector<char> FindCreators(const std::vector<UnitPair<Unit>>& pairs)
{
    using View = std::basic_string_view<Unit>;
    const std::size_t n = pairs.size();
    // The distinct find texts, each with the latest pair that has it.
    std::unordered_map<View, std::size_t> findIndex;
    std::vector<View> finds, reversed;
    std::vector<Latest> latest;
    findIndex.reserve(n);
    for (std::size_t j = 0; j < n; ++j) {
        const View f(pairs[j].find);
        if (f.empty()) continue;
        const auto [it, fresh] = findIndex.emplace(f, finds.size());
        if (fresh) {
            finds.push_back(f);
            latest.push_back(Latest(j));
        } else {
            latest[it->second] = Latest(j);
        }
    }
    std::vector<std::basic_string<Unit>> backwards;
    backwards.reserve(finds.size());
    for (const View f : finds) backwards.emplace_back(f.rbegin(), f.rend());
    for (const auto& b : backwards) reversed.push_back(b);

    // A find inside the replacement, or one starting with a suffix of it: the
    // automaton over the finds read along the replacement. One ending with a
    // prefix of it: the same over the reversed finds, read backwards.
    const TextAutomaton<Unit> forward(finds), backward(reversed);
    const ChainLatest<Unit> ahead(forward, finds, latest), behind(backward, reversed, latest);
    // The replacement inside a find: the automaton over the replacements read
    // along every find; a state reached there means its string and every
    // string on its failure chain lie inside that find.
    std::unordered_map<View, std::size_t> replaceIndex;
    std::vector<View> replaces;
    for (const auto& p : pairs) {
        const View r(p.replace);
        if (!r.empty() && replaceIndex.emplace(r, replaces.size()).second) replaces.push_back(r);
    }
    const TextAutomaton<Unit> inserted(replaces);
    std::vector<Latest> inside(inserted.states(), -1);
    for (std::size_t i = 0; i < finds.size(); ++i) {
        std::uint32_t s = inserted.root();
        for (const Unit u : finds[i]) {
            s = inserted.step(s, u);
            inside[s] = std::max(inside[s], latest[i]);
        }
    }
    const auto& order = inserted.byDepth();
    for (auto s = order.rbegin(); s != order.rend(); ++s)
        if (*s != inserted.root()) inside[inserted.fail(*s)] = std::max(inside[inserted.fail(*s)], inside[*s]);

    // A deletion's joint forms any later find of two or more units.
    std::vector<Latest> latestLong(n + 1, -1);
    for (std::size_t j = n; j-- > 0;)
        latestLong[j] = pairs[j].find.size() >= 2 ? Latest(j) : latestLong[j + 1];

    std::vector<char> mayCreate(n, 0);
    for (std::size_t k = 0; k < n; ++k) {
        const View r(pairs[k].replace);
        if (r.empty()) {
            mayCreate[k] = latestLong[k + 1] > Latest(k);
            continue;
        }
        Latest most = inside[inserted.endOf(replaceIndex.at(r))];
        std::uint32_t s = forward.root();
        for (const Unit u : r) {
            s = forward.step(s, u);
            most = std::max(most, ahead.ends[s]);
        }
        most = std::max(most, ahead.through[s]);
        s = backward.root();
        for (auto u = r.rbegin(); u != r.rend(); ++u) s = backward.step(s, *u);
        most = std::max(most, behind.through[s]);
        mayCreate[k] = most > Latest(k);
    }
    return mayCreate;
}

template <typename Unit>
std::vector<std::size_t> SplitIntoRuns(const std::vector<UnitPair<Unit>>& pairs, const std::vector<char>& mayCreate,
                                       std::size_t maxRuns)
{
    using View = std::basic_string_view<Unit>;
    const std::size_t n = pairs.size();
    std::vector<std::size_t> creators;
    for (std::size_t k = 0; k < n; ++k)
        if (mayCreate[k]) creators.push_back(k);
    std::vector<std::size_t> starts{0};
    if (creators.empty()) return starts;
    if (creators.size() + 1 > maxRuns) return {};
    // The first later pair each creator can form a find for ends its run.
    std::vector<std::size_t> firstFormed(n, n);
    for (const std::size_t k : creators) {
        std::size_t j = k + 1;
        while (j < n && !CanForm(View(pairs[k].replace), View(pairs[j].find))) ++j;
        firstFormed[k] = j;
    }
    std::size_t end = n;
    for (std::size_t k = 0; k < n; ++k) {
        if (k == end) {
            starts.push_back(k);
            end = n;
        }
        end = std::min(end, firstFormed[k]);
    }
    if (starts.size() > maxRuns) return {};
    return starts;
}

template bool CanForm(std::string_view, std::string_view);
template bool CanForm(std::u16string_view, std::u16string_view);
template std::vector<char> FindCreators(const std::vector<UnitPair<char>>&);
template std::vector<char> FindCreators(const std::vector<UnitPair<char16_t>>&);
template std::vector<std::size_t> SplitIntoRuns(const std::vector<UnitPair<char>>&, const std::vector<char>&,
                                                std::size_t);
template std::vector<std::size_t> SplitIntoRuns(const std::vector<UnitPair<char16_t>>&, const std::vector<char>&,
                                                std::size_t);

} // namespace quorvane
