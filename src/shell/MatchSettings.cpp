#include "shell/MatchSettings.h"

#include "shell/Settings.h"

namespace quorvane {

MatchChoices ReadMatchChoices()
{
    MatchChoices choices;
    choices.wholeWords = ReadTruthSetting("Match Whole Words", choices.wholeWords);
    choices.ignoreCase = ReadTruthSetting("Ignore Case", choices.ignoreCase);
    choices.regex = ReadTruthSetting("Regular Expressions", choices.regex);
    return choices;
}

void WriteMatchChoices(const MatchChoices& choices)
{
    WriteSetting("Match Whole Words", TruthText(choices.wholeWords));
    WriteSetting("Ignore Case", TruthText(choices.ignoreCase));
    WriteSetting("Regular Expressions", TruthText(choices.regex));
}

} // namespace quorvane
