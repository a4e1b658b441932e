#include "Settings.h"

#include <QSettings>

namespace quorvane {


QString ReadSetting(const QString& key, const QString& def)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Plenmark", "Quorvane");
    const QVariant v = store.value(key);
    return v.isValid() ? v.toString() : def;
}

void WriteSetting(const QString& key, const QString& value)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Plenmark", "Quorvane");
    if (!store.isWritable())
        throw Failure("Permission denied");
    store.setValue(key, value);
    store.sync();
    if (store.status() != QSettings::NoError)
        throw Failure("Permission denied");
}

QString TruthText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

bool ReadTruth(const QString& text)
{
    if (text.compare("True", Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare("False", Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double n = text.trimmed().toDouble(&ok);
    if (!ok)
        throw Failure("Type mismatch");
    return n != 0;
}

int ReadWholeNumber(const QString& text)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok)
        throw Failure("Type mismatch");
    return n;
}

void SetSettingsFolder(const QString& folder)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
}

} // namespace quorvane
