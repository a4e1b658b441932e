#include "engine/regex/RegexPattern.h"

#include "engine/regex/CompiledRegex.h"
#include "engine/text/UnitText.h"

#include <algorithm>
#include <utility>

namespace quorvane {

namespace {

template <typename Unit>
QString PcreMessage(int code)
{
    Unit text[256];
    const int n = pcre::Api<Unit>::message(code, text, 256);
    if (n < 0)
        return QStringLiteral("Error %1").arg(code);
    if constexpr (sizeof(Unit) == 1)
        return QString::fromUtf8(text, n);
    else
        return QString::fromUtf16(text, n);
}

// The group a reference names (digits, or a name), or -1 with problem set.
template <typename Unit>
int GroupOf(const CompiledRegex<Unit>& regex, QStringView name, qsizetype at, RegexProblem& problem)
{
    std::uint32_t groups = 0;
    pcre::Api<Unit>::info(regex.code, PCRE2_INFO_CAPTURECOUNT, &groups);
    bool isNumber = false;
    const uint number = name.toUInt(&isNumber);
    const bool digits = !name.isEmpty() && std::all_of(name.begin(), name.end(), [](QChar c) {
        return c >= u'0' && c <= u'9';
    });
    int group = -1;
    if (digits) {
        group = isNumber && number <= groups ? int(number) : -1;
    } else if (!name.isEmpty()) {
        const std::basic_string<Unit> units = UnitsOf<Unit>(name);
        const int found = pcre::Api<Unit>::group(regex.code, units.c_str());
        group = found >= 0 ? found : -1;
    }
    if (group < 0)
        problem = {true, at, QStringLiteral("No group %1 in the pattern").arg(name.toString())};
    return group;
}

// Splits a replacement into literal pieces and group references.
template <typename Unit>
bool ParseReplacement(CompiledRegex<Unit>& regex, const QString& replace, RegexProblem& problem)
{
    QString literal;
    const auto piece = [&](int group) {
        regex.pieces.push_back({UnitsOf<Unit>(literal), group});
        literal.clear();
    };
    for (qsizetype i = 0; i < replace.size(); ++i) {
        const QChar c = replace[i];
        const QChar next = i + 1 < replace.size() ? replace[i + 1] : QChar();
        if (c == u'\\') {
            if (next != u'n' && next != u't' && next != u'\\') {
                problem = {true, i, QStringLiteral("Unknown escape: use \\n, \\t or \\\\")};
                return false;
            }
            literal += next == u'n' ? u'\n' : next == u't' ? u'\t' : u'\\';
            ++i;
        } else if (c == u'$') {
            if (next == u'$') {
                literal += u'$';
                ++i;
                continue;
            }
            qsizetype end = i + 1;
            QStringView name;
            if (next == u'{') {
                end = replace.indexOf(u'}', i + 2);
                if (end < 0) {
                    problem = {true, i, QStringLiteral("Missing } after ${")};
                    return false;
                }
                name = QStringView(replace).mid(i + 2, end - i - 2);
                ++end;
            } else {
                while (end < replace.size() && replace[end].isDigit() && replace[end].unicode() < 128)
                    ++end;
                name = QStringView(replace).mid(i + 1, end - i - 1);
                if (name.isEmpty()) {
                    problem = {true, i, QStringLiteral("A $ starts a group reference: use $$ for a dollar")};
                    return false;
                }
            }
            const int group = GroupOf(regex, name, i, problem);
            if (group < 0)
                return false;
            piece(group);
            i = end - 1;
        } else {
            literal += c;
        }
    }
    if (!literal.isEmpty())
        piece(-1);
    return true;
}

// Exact text as a pattern: ASCII punctuation, symbols and spaces escaped
// (PCRE2 takes an escaped one of those as itself), the rest as is.
QString Escaped(const QString& text)
{
    QString pattern;
    pattern.reserve(text.size() * 2);
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() < 0x7F && !c.isLetterOrNumber())
            pattern += u'\\';
        pattern += c;
    }
    return pattern;
}

// The literal text every match of a pattern starts with, read conservatively:
// plain characters and escaped ASCII punctuation up to the first other syntax,
// less a last character that a quantifier follows (no option can have made
// spaces or # syntax before the first parenthesis). None where the pattern
// holds an alternative anywhere, or case is ignored.
QString PrefixOf(const QString& find, const RegexOptions& options)
{
    if (options.ignoreCase)
        return {};
    if (options.literal)
        return find;
    if (find.contains(u'|'))
        return {};
    QString prefix;
    qsizetype i = 0;
    for (; i < find.size(); ++i) {
        const QChar c = find[i];
        if (c == u'\\' && i + 1 < find.size() && find[i + 1].unicode() < 128 && !find[i + 1].isLetterOrNumber()
            && find[i + 1] != u' ') {
            prefix += find[++i];
        } else if (!QStringView(u"\\^$.[]()?*+{}").contains(c) && !c.isSurrogate()) {
            prefix += c;
        } else {
            break;
        }
    }
    if (i < find.size() && QStringView(u"?*+{").contains(find[i]))
        prefix.chop(1);
    return prefix;
}

// The text PCRE2 compiles, and how many of its units come before the find's own.
std::pair<QString, qsizetype> PatternOf(const QString& find, const RegexOptions& options)
{
    QString pattern = options.literal ? Escaped(find) : find;
    if (!options.wholeWords)
        return {pattern, 0};
    // Word characters as Unicode has them: letters, digits, marks and connector
    // punctuation (PCRE2's \w leaves out the last two). \E ends a \Q the
    // pattern may leave open, so the group still closes.
    const QString word = QStringLiteral("[\\p{L}\\p{N}\\p{M}\\p{Pc}]");
    const QString before = "(?<!" + word + ")(?:";
    return {before + pattern + "\\E)(?!" + word + ")", before.size()};
}

} // namespace

template <typename Unit>
std::shared_ptr<const CompiledRegex<Unit>> CompileRegex(const QString& find, const QString& replace,
                                                        RegexProblem& problem, RegexOptions options)
{
    using Api = pcre::Api<Unit>;
    auto regex = std::make_shared<CompiledRegex<Unit>>();
    const auto [text, before] = PatternOf(find, options);
    const std::basic_string<Unit> pattern = UnitsOf<Unit>(text);
    int error = 0;
    PCRE2_SIZE at = 0;
    const std::uint32_t compile = PCRE2_UTF | PCRE2_UCP | PCRE2_MATCH_INVALID_UTF
                                  | (options.ignoreCase ? PCRE2_CASELESS : 0);
    regex->code = Api::compile(pattern.data(), pattern.size(), compile, &error, &at);
    if (!regex->code) {
        // The position counts the pattern's units: turn bytes into UTF-16 units,
        // then into the find's own (a literal find never gets here).
        const qsizetype offset = sizeof(Unit) == 1 ? QString::fromUtf8(text.toUtf8().left(qsizetype(at))).size()
                                                   : qsizetype(at);
        problem = {false, std::clamp<qsizetype>(offset - before, 0, find.size()), PcreMessage<Unit>(error)};
        return nullptr;
    }
    // Without the JIT (a system that forbids it) PCRE2 interprets: same results, slower.
    Api::jit(regex->code);
    std::uint32_t behind = 0;
    Api::info(regex->code, PCRE2_INFO_MAXLOOKBEHIND, &behind);
    // One character more than any lookbehind asks for, so that ^ in multiline
    // mode and \b see the character before a match; a character is at most 4
    // bytes or 2 UTF-16 units.
    regex->lookbehindUnits = (std::size_t(behind) + 1) * (sizeof(Unit) == 1 ? 4 : 2);
    regex->prefix = LiteralFinder<Unit>(UnitsOf<Unit>(PrefixOf(find, options)));
    if (options.literal)
        regex->pieces.push_back({UnitsOf<Unit>(replace), -1});
    else if (!ParseReplacement(*regex, replace, problem))
        return nullptr;
    return regex;
}

template std::shared_ptr<const CompiledRegex<char>> CompileRegex(const QString&, const QString&, RegexProblem&,
                                                                 RegexOptions);
template std::shared_ptr<const CompiledRegex<char16_t>> CompileRegex(const QString&, const QString&,
                                                                     RegexProblem&, RegexOptions);

} // namespace quorvane
