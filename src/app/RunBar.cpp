#include "app/RunBar.h"

#include "engine/files/PathHelpers.h"
#include "shell/Failure.h"

#include <QCoreApplication>

#include <QProgressBar>

namespace quorvane {

namespace {

// The bar reads "%p", "%v" and "%m" in its caption as placeholders; an
// invisible word joiner after each '%' shows a file name such as "50%value.txt" as it is.
QString BarCaption(QString text)
{
    return text.replace(QLatin1Char('%'), QStringLiteral("%\u2060"));
}

} // namespace

RunBar::RunBar(QProgressBar* bar) : m_bar(bar) {}

RunBar::~RunBar() { m_bar->setUpdatesEnabled(true); }

void RunBar::nextFile() { m_bar->setUpdatesEnabled(frameDue()); }

void RunBar::tick()
{
    if (!m_bar->updatesEnabled() && frameDue())
        m_bar->setUpdatesEnabled(true);
}

void RunBar::showFile(const QString& source)
{
    m_bar->setFormat(BarCaption(QCoreApplication::translate("quorvane::Form1", "Processing: %1")
                                    .arg(FileNameOfPath(source))));
}

void RunBar::showPosition(int position, int listCount)
{
    if (listCount <= 0)
        throw Failure(QCoreApplication::translate("quorvane::ErrorReport", "Division by zero"));
    m_bar->setValue(qBound(0, qRound(double(position) / listCount * 100.0), 100));
}

void RunBar::drawNow()
{
    m_bar->setUpdatesEnabled(true);
    m_bar->repaint();
}

bool RunBar::frameDue()
{
    if (m_clock.isValid() && !m_clock.hasExpired(kFrameMs))
        return false;
    m_clock.start();
    return true;
}

} // namespace quorvane
