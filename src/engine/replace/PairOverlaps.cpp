#include "engine/replace/PairOverlaps.h"

#include "engine/search/TextAutomaton.h"

#include <algorithm>
#include <string>

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
// of any text that ends there or on that chain (`ends`). latest[i] is the pair
// of texts[i].
template <typename Unit>
struct ChainLatest {
    std::vector<Latest> through, ends;
    ChainLatest(const TextAutomaton<Unit>& a, const std::vector<Latest>& latest)
        : through(a.states(), -1), ends(a.states(), -1)
    {
        for (std::size_t i = 0; i < latest.size(); ++i) ends[a.endOf(i)] = std::max(ends[a.endOf(i)], latest[i]);
        // A text passes through every state on its way from the root.
        const auto& order = a.byDepth();
        through = ends;
        for (auto s = order.rbegin(); s != order.rend(); ++s)
            if (*s != a.root()) through[a.parent(*s)] = std::max(through[a.parent(*s)], through[*s]);
        through[a.root()] = -1;  // the empty suffix overlaps nothing
        for (const std::uint32_t s : order) {
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
    // The non-empty finds (a text given twice simply ends in the same state),
    // each with its pair.
    std::vector<View> finds;
    std::vector<Latest> pairOfFind;
    for (std::size_t j = 0; j < n; ++j) {
        if (pairs[j].find.empty()) continue;
        finds.emplace_back(pairs[j].find);
        pairOfFind.push_back(Latest(j));
    }

    // A find inside the replacement, or one starting with a suffix of it: the
    // automaton over the finds read along the replacement.
    const TextAutomaton<Unit> forward(finds);
    const ChainLatest<Unit> ahead(forward, pairOfFind);
    // The replacement inside a find, or one ending with a prefix of it: the
    // automaton over the replacements read along every find. A state reached
    // there means its string and every string on its failure chain lie inside
    // that find; the state at the find's end, that they end it.
    std::vector<View> replaces;
    std::vector<std::size_t> replaceOf(n, 0);
    for (std::size_t k = 0; k < n; ++k) {
        if (pairs[k].replace.empty()) continue;
        replaceOf[k] = replaces.size();
        replaces.emplace_back(pairs[k].replace);
    }
    const TextAutomaton<Unit> inserted(replaces);
    std::vector<Latest> inside(inserted.states(), -1), ending(inserted.states(), -1);
    for (std::size_t i = 0; i < finds.size(); ++i) {
        std::uint32_t s = inserted.root();
        for (const Unit u : finds[i]) {
            s = inserted.step(s, u);
            inside[s] = std::max(inside[s], pairOfFind[i]);
        }
        ending[s] = std::max(ending[s], pairOfFind[i]);
    }
    const auto& order = inserted.byDepth();
    for (auto s = order.rbegin(); s != order.rend(); ++s) {
        if (*s == inserted.root()) continue;
        const std::uint32_t f = inserted.fail(*s);
        inside[f] = std::max(inside[f], inside[*s]);
        ending[f] = std::max(ending[f], ending[*s]);
    }

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
        Latest most = inside[inserted.endOf(replaceOf[k])];
        std::uint32_t s = forward.root();
        for (const Unit u : r) {
            s = forward.step(s, u);
            most = std::max(most, ahead.ends[s]);
        }
        most = std::max(most, ahead.through[s]);
        // Every prefix of the replacement, along its own path.
        s = inserted.root();
        for (const Unit u : r) {
            s = inserted.step(s, u);
            most = std::max(most, ending[s]);
        }
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
