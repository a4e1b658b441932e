// The status bar's "Options" menu: its choices are stored the moment they are
// toggled, and the window's folder scans enter version-control folders only
// while the stored choice says so.
#include "tests/app/WindowFixture.h"

#include "filelist/FileListView.h"
#include "shell/Settings.h"
#include "shell/TreeSettings.h"

#include <QAction>
#include <QMenu>
#include <QMimeData>
#include <QToolButton>
#include <QUrl>

using namespace quorvane;
using namespace quorvane::test;

namespace {

// The checkable item named name in the window's "Options" menu.
QAction* OptionsItem(Form1& form, const char* name)
{
    auto* button = form.findChild<QToolButton*>("OptionsButton");
    return button && button->menu() ? button->menu()->findChild<QAction*>(name) : nullptr;
}

TEST_F(WindowTest, OptionsAreStoredAndTheWindowsScansEnterVersionControlFoldersOnlyWhenAsked)
{
    env.write("tree/a.txt", "x");
    env.write("tree/.git/HEAD", "ref: refs/heads/main\n");
    env.write("tree/sub/.hg/h.txt", "x");
    const QString tree = env.path("tree");
    Form1& f = open();
    auto* button = f.findChild<QToolButton*>("OptionsButton");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "Options");
    QAction* vcs = OptionsItem(f, "IncludeVcsAction");
    QAction* binary = OptionsItem(f, "ReplaceBinaryAction");
    ASSERT_NE(vcs, nullptr);
    ASSERT_NE(binary, nullptr);
    EXPECT_EQ(vcs->text(), "Include Version-Control Folders In Scans");
    EXPECT_EQ(binary->text(), "Replace In Binary Files Too");
    EXPECT_FALSE(vcs->isChecked());
    EXPECT_FALSE(binary->isChecked());

    // "Add All File(s) In Folder" with every extension, then the folder dropped.
    const auto scanBoth = [&] {
        prompts.inputs = {"*"};
        prompts.folderResults = {tree};
        f.pushButton(3)->click();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(tree)});
        static_cast<FileListView*>(f.listView())->dropData(&data);
    };
    scanBoth();
    EXPECT_EQ(f.fileList().entries(), QStringList({tree + "/a.txt", tree + "/a.txt"}));

    vcs->trigger();
    EXPECT_TRUE(vcs->isChecked());
    EXPECT_EQ(ReadSetting("Include Version-Control Folders", {}), "True");
    EXPECT_EQ(ReadSetting("Replace In Binary Files", {}), "False");
    f.pushButton(1)->click();
    scanBoth();
    const QStringList all{tree + "/a.txt", tree + "/.git/HEAD", tree + "/sub/.hg/h.txt"};
    EXPECT_EQ(f.fileList().entries(), all + all);

    binary->trigger();
    vcs->trigger();
    EXPECT_EQ(ReadTreeChoices(), (TreeChoices{false, true}));
    // A window opened later shows the stored choices.
    Form1 later(prompts);
    EXPECT_FALSE(OptionsItem(later, "IncludeVcsAction")->isChecked());
    EXPECT_TRUE(OptionsItem(later, "ReplaceBinaryAction")->isChecked());
    EXPECT_TRUE(errors().isEmpty());
}

} // namespace
