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
    t.replace("\r\n", "\n");
    t.replace('\r', '\n');
    return t;
}

} // namespace quorvane
