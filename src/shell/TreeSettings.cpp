#include "shell/TreeSettings.h"

#include "shell/Settings.h"

namespace quorvane {

TreeChoices ReadTreeChoices()
{
    TreeChoices choices;
    choices.includeVcs = ReadTruthSetting("Include Version-Control Folders", choices.includeVcs);
    choices.binary = ReadTruthSetting("Replace In Binary Files", choices.binary);
    return choices;
}

void WriteTreeChoices(const TreeChoices& choices)
{
    WriteSetting("Include Version-Control Folders", TruthText(choices.includeVcs));
    WriteSetting("Replace In Binary Files", TruthText(choices.binary));
}

} // namespace quorvane
