#include "shell/Prompts.h"

namespace quorvane {

namespace {
QString g_title;
} // namespace

const QString& ApplicationTitle() { return g_title; }
void SetApplicationTitleText(const QString& title) { g_title = title; }

QString DisplayText(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    return t;
}

} // namespace quorvane
