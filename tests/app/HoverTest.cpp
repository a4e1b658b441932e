#include "app/Hover.h"
#include "tests/app/WindowFixture.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFile>
#include <QMouseEvent>

using namespace quorvane;
using namespace quorvane::test;

namespace {
void MoveOver(QWidget* w)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}
} // namespace

class Hover : public WindowTest {};

TEST_F(Hover, ButtonsShowTheHandAndTheBackgroundFramesAndTabsTheArrow)
{
    QFile::copy(QUORVANE_SOURCE_DIR "/resources/HAND-M.CUR", env.path("program/HAND-M.CUR"));
    Form1& f = open();
    for (int number : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 17}) {
        MoveOver(f.centralWidget());
        EXPECT_EQ(f.pointer(), PointerStyle::Default);
        MoveOver(f.pushButton(number));
        EXPECT_EQ(f.pointer(), PointerStyle::Custom) << number;
    }
    EXPECT_EQ(f.cursor().shape(), Qt::BitmapCursor);
    for (QWidget* w : {static_cast<QWidget*>(f.frame1()), f.findChild<QWidget*>("Frame2"),
                       static_cast<QWidget*>(f.tabs())}) {
        MoveOver(f.pushButton(12));
        MoveOver(w);
        EXPECT_EQ(f.pointer(), PointerStyle::Default);
        EXPECT_EQ(f.cursor().shape(), Qt::ArrowCursor);
    }
}

TEST_F(Hover, WithoutACursorFileTheButtonsShowTheArrow)
{
    Form1& f = open();
    MoveOver(f.pushButton(12));
    EXPECT_EQ(f.pointer(), PointerStyle::Custom);
    EXPECT_EQ(f.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Hover, NothingChangesWhileTheHourglassShows)
{
    Form1& f = open();
    f.setPointer(PointerStyle::Hourglass);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    MoveOver(f.pushButton(1));
    EXPECT_EQ(f.pointer(), PointerStyle::Hourglass);
    MoveOver(f.centralWidget());
    EXPECT_EQ(f.pointer(), PointerStyle::Hourglass);
    f.setPointer(PointerStyle::Default);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
