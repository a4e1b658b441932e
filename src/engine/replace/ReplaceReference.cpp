#include "engine/replace/ReplacePipeline.h"

// The plain whole-text definition of the result, kept apart from the streaming
// code it is compared with.

namespace quorvane {

template <typename Unit>
std::basic_string<Unit> ReplaceAllReference(std::basic_string<Unit> text,
                                            const std::vector<UnitPair<Unit>>& pairs,
                                            std::vector<std::int64_t>* counts)
{
    if (counts) counts->assign(pairs.size(), 0);
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const auto& [find, replace] = pairs[k];
        if (find.empty()) continue;
        std::basic_string<Unit> out;
        std::size_t pos = 0;
        for (std::size_t p; (p = text.find(find, pos)) != text.npos; pos = p + find.size()) {
            out.append(text, pos, p - pos);
            out += replace;
            if (counts) ++(*counts)[k];
        }
        out.append(text, pos);
        text.swap(out);
    }
    return text;
}

template std::string ReplaceAllReference(std::string, const std::vector<UnitPair<char>>&,
                                         std::vector<std::int64_t>*);
template std::u16string ReplaceAllReference(std::u16string, const std::vector<UnitPair<char16_t>>&,
                                            std::vector<std::int64_t>*);

} // namespace quorvane
