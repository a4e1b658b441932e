#pragma once
// Per-user settings store: text values under organization "Plenmark",
// application "Quorvane". Every write goes straight through to disk.
#include "shell/Failure.h"

#include <QString>

namespace quorvane {

// Stored value of key, or def when the key was never written. Never writes.
QString ReadSetting(const QString& key, const QString& def);
// Creates or replaces key's value and flushes; throws Failure if the store refuses.
void WriteSetting(const QString& key, const QString& value);

// "True"/"False" for truth values.
QString TruthText(bool value);
// true for "True" or a non-zero number, false for "False" or "0"; throws Failure otherwise.
bool ReadTruth(const QString& text);
// The truth stored under key, or def when it is missing or unreadable.
bool ReadTruthSetting(const QString& key, bool def);
// Decimal number (optional sign), a fraction rounded half to even; throws
// Failure for anything else or a number beyond int.
int ReadWholeNumber(const QString& text);

// Points the store at another folder; tests give each case its own.
void SetSettingsFolder(const QString& folder);

} // namespace quorvane
