#include "filelist/FileListModel.h"
#include "filelist/FileListView.h"
#include "shell/ProgramFolder.h"
#include "tests/filelist/FakePointer.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QtTest/QTest>
#include <gtest/gtest.h>

using quorvane::test::FakePointer;
using quorvane::test::ScriptedPrompts;
using quorvane::test::TestEnv;

namespace quorvane {
namespace {

class ShownList {
public:
    explicit ShownList(const QStringList& texts)
    {
        list.addEntries(texts);
        view.setModel(&list);
        view.setPointerHost(&pointer);
        view.resize(400, 300);
        view.show();
        (void)QTest::qWaitForWindowExposed(&view);
    }
    QPoint rowPoint(int row) const { return view.visualRect(list.index(row)).center(); }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held)
    {
        QMouseEvent event(type, at, view.viewport()->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                          Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &event);
    }
    FileListModel list;
    FileListView view;
    FakePointer pointer;
};

TEST(FileListView, IsADropInListView1)
{
    FileListView view;
    EXPECT_EQ(view.objectName(), "ListView1");
    EXPECT_TRUE(view.uniformRowHeights());
    EXPECT_TRUE(view.acceptDrops());
}

TEST(FileListView, DraggingExchangesOnlyTheDraggedEntryAndTheOneUnderThePointer)
{
    ShownList s({"/1", "/2", "/3", "/4", "/5", "/2"});
    s.pointer.style = PointerStyle::Arrow;
    s.mouse(QEvent::MouseButtonPress, s.rowPoint(1), Qt::LeftButton);
    EXPECT_TRUE(s.view.isListMouseDown());
    EXPECT_EQ(s.view.dragRow(), 1);

    s.mouse(QEvent::MouseMove, s.rowPoint(4), Qt::LeftButton);
    EXPECT_EQ(s.list.entries(), QStringList({"/1", "/5", "/3", "/4", "/2", "/2"}));
    EXPECT_EQ(s.view.dragRow(), 4);
    EXPECT_EQ(s.view.currentIndex().row(), 4);
    EXPECT_EQ(s.pointer.style, PointerStyle::Default);

    // Equal texts exchange nothing, and the drag stays where it was.
    s.mouse(QEvent::MouseMove, s.rowPoint(5), Qt::LeftButton);
    EXPECT_EQ(s.list.entries(), QStringList({"/1", "/5", "/3", "/4", "/2", "/2"}));
    EXPECT_EQ(s.view.dragRow(), 4);

    s.mouse(QEvent::MouseMove, s.rowPoint(0), Qt::LeftButton);
    EXPECT_EQ(s.list.entries(), QStringList({"/2", "/5", "/3", "/4", "/1", "/2"}));

    s.mouse(QEvent::MouseButtonRelease, s.rowPoint(0), Qt::NoButton);
    EXPECT_FALSE(s.view.isListMouseDown());
    s.mouse(QEvent::MouseMove, s.rowPoint(3), Qt::NoButton);
    EXPECT_EQ(s.list.entries(), QStringList({"/2", "/5", "/3", "/4", "/1", "/2"}));
}

TEST(FileListView, DraggingScrollsAtTheListsOwnTopAndBottomEdges)
{
    QStringList texts;
    for (int i = 0; i < 200; ++i)
        texts << QString("/%1").arg(i);
    ShownList s(texts);
    QScrollBar* bar = s.view.verticalScrollBar();
    const int bottom = s.view.viewport()->height() - 2;
    const int lastRow = s.view.indexAt(QPoint(10, bottom)).row();
    ASSERT_GT(lastRow, 2);
    s.mouse(QEvent::MouseButtonPress, s.rowPoint(0), Qt::LeftButton);
    s.mouse(QEvent::MouseMove, QPoint(10, bottom), Qt::LeftButton);
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(s.list.entryText(lastRow + 1), "/0");
    EXPECT_TRUE(s.view.viewport()->rect().contains(s.rowPoint(lastRow + 1)));

    const int before = bar->value();
    s.mouse(QEvent::MouseMove, QPoint(10, 1), Qt::LeftButton);
    EXPECT_LT(bar->value(), before);
    s.mouse(QEvent::MouseButtonRelease, QPoint(10, 1), Qt::NoButton);
}

TEST(FileListView, MovingLeavesTheHourglassAlone)
{
    ShownList s({"/1", "/2"});
    s.pointer.style = PointerStyle::Hourglass;
    s.mouse(QEvent::MouseMove, s.rowPoint(0), Qt::NoButton);
    EXPECT_EQ(s.pointer.style, PointerStyle::Hourglass);
}

TEST(FileListView, DraggingWithAndWithoutTheDragPicture)
{
    TestEnv env;
    SetProgramFolder(env.root()); // no drag.ico here
    ShownList s({"/1", "/2"});
    s.mouse(QEvent::MouseButtonPress, s.rowPoint(0), Qt::LeftButton);
    s.mouse(QEvent::MouseMove, s.rowPoint(1), Qt::LeftButton);
    EXPECT_EQ(s.list.entries(), QStringList({"/2", "/1"}));
    s.mouse(QEvent::MouseButtonRelease, s.rowPoint(1), Qt::NoButton);

    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + "/../drag.ico",
                            env.path("drag.ico")));
    s.mouse(QEvent::MouseButtonPress, s.rowPoint(1), Qt::LeftButton);
    EXPECT_EQ(s.view.viewport()->cursor().shape(), Qt::BitmapCursor);
    s.mouse(QEvent::MouseButtonRelease, s.rowPoint(1), Qt::NoButton);
    EXPECT_EQ(s.view.viewport()->cursor().shape(), Qt::ArrowCursor);
}

TEST(FileListView, DeleteAndDoubleClickRemoveTheSelectedEntryUnlessBusy)
{
    ShownList s({"/1", "/2", "/3"});
    s.view.setCurrentIndex(s.list.index(1));
    QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
    QApplication::sendEvent(&s.view, &backspace);
    EXPECT_EQ(s.list.count(), 3);

    s.pointer.style = PointerStyle::Hourglass;
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(&s.view, &del);
    EXPECT_EQ(s.list.count(), 3);

    s.pointer.style = PointerStyle::Default;
    QApplication::sendEvent(&s.view, &del);
    EXPECT_EQ(s.list.entries(), QStringList({"/1", "/3"}));

    s.mouse(QEvent::MouseButtonDblClick, s.rowPoint(0), Qt::LeftButton);
    EXPECT_EQ(s.list.entries(), QStringList({"/3"}));
}

TEST(FileListView, DropAppendsFilesAsDroppedAndTheFilesOfDroppedFolders)
{
    TestEnv env;
    const QString loose = env.write("loose/~kept.txt", "x");
    env.write("tree/b.txt", "x");
    env.write("tree/~lock.txt", "x");
    env.write("tree/sub/a.doc", "x");
    ShownList s({"/first"});

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(loose), QUrl::fromLocalFile(env.path("tree")),
                   QUrl::fromLocalFile(env.path("gone.txt"))});
    const QPoint at = s.rowPoint(0);
    QDragEnterEvent enter(at, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.view.viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.view.viewport(), &drop);

    EXPECT_EQ(s.list.entries(), QStringList({"/first", loose, env.path("tree/b.txt"),
                                             env.path("tree/sub/a.doc"), env.path("gone.txt")}));

    QMimeData text;
    text.setText("/not/a/file/list");
    QDragEnterEvent textEnter(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.view.viewport(), &textEnter);
    EXPECT_FALSE(textEnter.isAccepted());
    QMimeData web;
    web.setUrls({QUrl("https://example.org/a.txt")});
    QDragMoveEvent webMove(at, Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.view.viewport(), &webMove);
    EXPECT_FALSE(webMove.isAccepted());
}

TEST(FileListView, DropLeavesOutPathsHoldingANulAndNamesThemInOneNotice)
{
    TestEnv env;
    const QString file = env.write("a.txt", "x");
    env.write("tree/b.txt", "x");
    // Cut at the NUL, the first path would name the folder "tree" and the second a.txt.
    const QString intoTree = env.path("tree") + QChar(0) + "x";
    const QString intoFile = file + QChar(0) + ".not-this";
    ShownList s({});
    ScriptedPrompts prompts;
    SetApplicationTitleText("Quorvane Test");
    s.view.setPrompts(&prompts);

    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(intoTree), QUrl::fromLocalFile(file),
                   QUrl::fromLocalFile(intoFile)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.view.viewport(), &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.view.viewport(), &drop);

    EXPECT_EQ(s.list.entries(), QStringList{file});
    EXPECT_EQ(prompts.texts("notice"),
              QStringList{"These dropped entries were not added: a file name cannot hold a NUL "
                          "character.\r\r" + env.path("tree") + QChar(0x2400) + "x\r" + file
                          + QChar(0x2400) + ".not-this"});
}

// Long entries are shown shortened in the middle; the entry itself stays whole.
TEST(FileListModel, ShowsAtMostAFewHundredCharactersOfAnEntry)
{
    const QString ellipsis(QChar(0x2026));
    const QString atLimit = "/" + QString(kShownEntryLength - 1, 'a');
    const QString huge = "/start" + QString(1000000, 'm') + "/name.txt";
    const QString pair = QString::fromUtf16(u"\U0001F600");
    // A pair that would straddle the head's end is left out whole.
    const QString split = QString(158, 'h') + pair + QString(400, 't');
    const struct { QString text; QString shown; } cases[] = {
        {"/short/a.txt", "/short/a.txt"},
        {atLimit, atLimit},
        {atLimit + "z", atLimit.first(159) + ellipsis + atLimit.last(159) + "z"},
        {huge, huge.first(159) + ellipsis + huge.last(160)},
        {split, QString(158, 'h') + ellipsis + QString(160, 't')},
    };
    FileListModel list;
    for (const auto& c : cases)
        list.addEntry(c.text);
    for (int row = 0; row < list.count(); ++row) {
        const QModelIndex index = list.index(row);
        EXPECT_EQ(list.data(index, Qt::DisplayRole).toString(), cases[row].shown) << row;
        EXPECT_EQ(list.data(index, Qt::EditRole).toString(), cases[row].text) << row;
        EXPECT_EQ(list.entryText(row + 1), cases[row].text) << row;
    }
}

} // namespace
} // namespace quorvane
