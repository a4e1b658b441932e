// The file list inside the real main window: buttons reach their handlers and
// the list's own events act exactly once.
#include "app/Form1.h"
#include "shell/ProgramFolder.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>
#include <QtTest/QTest>
#include <gtest/gtest.h>

using quorvane::test::ScriptedPrompts;
using quorvane::test::TestEnv;

namespace quorvane {
namespace {

TEST(FileListInWindow, ButtonsDoubleClickAndDropEachActOnce)
{
    TestEnv env;
    SetProgramFolder(env.mkdir("program"));
    env.write("tree/a.txt", "x");
    env.write("tree/sub/b.txt", "x");
    env.write("tree/c.doc", "x");
    ScriptedPrompts prompts;
    Form1 form(prompts);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTreeView* view = form.listView();
    ASSERT_EQ(view->objectName(), "ListView1");

    prompts.inputs = {"txt"};
    prompts.folderResults = {env.path("tree")};
    form.pushButton(3)->click();
    EXPECT_EQ(form.fileList().entries(),
              QStringList({env.path("tree/a.txt"), env.path("tree/sub/b.txt")}));
    EXPECT_EQ(form.pointer(), PointerStyle::Default);

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(env.path("tree/c.doc"))});
    const QPoint at = view->visualRect(form.fileList().index(0)).center();
    // The drop goes to the widget that accepted the drag's entry.
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    EXPECT_EQ(form.fileList().count(), 3);

    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    EXPECT_EQ(form.fileList().entries(),
              QStringList({env.path("tree/sub/b.txt"), env.path("tree/c.doc")}));

    prompts.inputs = {"DOC"};
    form.pushButton(17)->click();
    EXPECT_EQ(form.fileList().entries(), QStringList({env.path("tree/sub/b.txt")}));
    EXPECT_EQ(form.pointer(), PointerStyle::Arrow);

    form.pushButton(1)->click();
    EXPECT_EQ(form.fileList().count(), 0);
}

} // namespace
} // namespace quorvane
