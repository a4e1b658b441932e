#include "shell/Settings.h"

#include <QRegularExpression>
#include <QSettings>

#include <cmath>
#include <limits>

namespace quorvane {

namespace {
// The one place that names where the user's choices live.
QSettings OpenStore()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Plenmark", "Quorvane");
}
} // namespace

QString ReadSetting(const QString& key, const QString& def)
{
    QSettings store = OpenStore();
    const QVariant v = store.value(key);
    return v.isValid() ? v.toString() : def;
}

void WriteSetting(const QString& key, const QString& value)
{
    QSettings store = OpenStore();
    if (!store.isWritable())
        throw Failure("Permission denied");
    store.setValue(key, value);
    store.sync();
    if (store.status() != QSettings::NoError)
        throw Failure("Permission denied");
}

QString TruthText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

namespace {
// A decimal number as the store keeps them: optional sign, digits with an
// optional fraction, optional exponent. Words such as "nan" or "inf" are not numbers.
bool ReadNumber(const QString& text, double& value)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*[-+]?(\\d+\\.?\\d*|\\.\\d+)([eE][-+]?\\d+)?\\s*$"));
    if (!number.match(text).hasMatch())
        return false;
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok;
}
} // namespace

bool ReadTruthSetting(const QString& key, bool def)
{
    try {
        return ReadTruth(ReadSetting(key, TruthText(def)));
    } catch (const Failure&) {
        return def;
    }
}

bool ReadTruth(const QString& text)
{
    if (text.compare("True", Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare("False", Qt::CaseInsensitive) == 0)
        return false;
    double n = 0;
    if (!ReadNumber(text, n))
        throw Failure("Type mismatch");
    return n != 0;
}

int ReadWholeNumber(const QString& text)
{
    double n = 0;
    if (!ReadNumber(text, n))
        throw Failure("Type mismatch");
    // A fraction rounds to the nearest whole number, halves to the even one.
    const double whole = std::nearbyint(n);
    if (whole < std::numeric_limits<int>::min() || whole > std::numeric_limits<int>::max())
        throw Failure("Overflow");
    return int(whole);
}

void SetSettingsFolder(const QString& folder)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
}

} // namespace quorvane
