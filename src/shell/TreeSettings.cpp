#include "shell/TreeSettings.h"

#include "shell/Failure.h"
#include "shell/Settings.h"

namespace quorvane {

namespace {

// A stored truth, or def when it is missing or unreadable.
bool Truth(const QString& key, bool def)
{
    try {
        return ReadTruth(ReadSetting(key, TruthText(def)));
    } catch (const Failure&) {
        return def;
    }
}

} // namespace

TreeChoices ReadTreeChoices()
{
    TreeChoices choices;
    choices.includeVcs = Truth("Include Version-Control Folders", choices.includeVcs);
    choices.binary = Truth("Replace In Binary Files", choices.binary);
    return choices;
}

void WriteTreeChoices(const TreeChoices& choices)
{
    WriteSetting("Include Version-Control Folders", TruthText(choices.includeVcs));
    WriteSetting("Replace In Binary Files", TruthText(choices.binary));
}

} // namespace quorvane
