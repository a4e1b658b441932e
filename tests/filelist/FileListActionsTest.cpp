#include "filelist/FileListActions.h"
#include "filelist/FileListModel.h"
#include "filelist/NameFilter.h"
#include "shell/Settings.h"
#include "tests/filelist/FakePointer.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestEnv.h"

#include <QListView>
#include <functional>
#include <gtest/gtest.h>

using quorvane::test::FakePointer;
using quorvane::test::ScriptedPrompts;
using quorvane::test::TestEnv;

namespace quorvane {
namespace {

FileListModel& fill(FileListModel& list, const QStringList& texts)
{
    list.addEntries(texts);
    return list;
}

TEST(NameFilters, RemoveByCaseInsensitiveContainmentIncludingDuplicates)
{
    const QStringList texts{"/a/notes.txt", "/a/readme.doc", "/a/notes.txt", "/b/TXT"};
    FileListModel containing;
    RemoveEntriesContaining(fill(containing, texts), "TXT", {});
    EXPECT_EQ(containing.entries(), QStringList({"/a/readme.doc"}));

    FileListModel notContaining;
    RemoveEntriesNotContaining(fill(notContaining, texts), "TXT", {});
    EXPECT_EQ(notContaining.entries(), QStringList({"/a/notes.txt", "/a/notes.txt", "/b/TXT"}));

    FileListModel byFolder;
    RemoveEntriesContaining(fill(byFolder, texts), "/A/", {});
    EXPECT_EQ(byFolder.entries(), QStringList({"/b/TXT"}));
}

TEST(NameFilters, KeepOrderWhenRemovingScatteredEntriesFromALongList)
{
    FileListModel list;
    QStringList texts;
    for (int i = 0; i < 1000; ++i)
        texts << QString("/f/%1.%2").arg(i).arg(i % 3 == 0 ? "keep" : "drop");
    list.addEntries(texts);
    RemoveEntriesNotContaining(list, ".KEEP", {});
    ASSERT_EQ(list.count(), 334);
    EXPECT_EQ(list.entryText(1), "/f/0.keep");
    EXPECT_EQ(list.entryText(2), "/f/3.keep");
    EXPECT_EQ(list.entryText(334), "/f/999.keep");
    EXPECT_TRUE(list.contains("/f/999.keep"));
    EXPECT_FALSE(list.contains("/F/999.keep"));
}

TEST(ListOperations, OneAtATimeTheOthersRefuseWhileAFilterYields)
{
    // Each second operation is started from the first filter's yield: it must
    // refuse without asking anything, and the filter removes exactly its own matches.
    TestEnv env;
    const QString tree = env.path("tree");
    env.write("tree/new.txt", "x");
    const QString listFile = env.write("list.txt", "/new/entry\r\n");
    QStringList texts;
    for (int i = 0; i < 10; ++i)
        texts << QString("/f/%1-%2").arg(i).arg(i % 2 ? "odd" : "even");
    const QStringList odds = texts.filter("odd");
    struct Second {
        const char* name;
        std::function<void(FileListModel&, ScriptedPrompts&, FakePointer&)> start;
    };
    const std::vector<Second> seconds = {
        {"filter", [](FileListModel& l, ScriptedPrompts& p, FakePointer& ptr) { AskRemoveEntriesContaining(l, p, ptr, {}); }},
        {"other filter", [](FileListModel& l, ScriptedPrompts& p, FakePointer& ptr) { AskRemoveEntriesNotContaining(l, p, ptr, {}); }},
        {"folder", [](FileListModel& l, ScriptedPrompts& p, FakePointer& ptr) { AddAllFilesInFolder(l, p, ptr, {}); }},
        {"list load", [](FileListModel& l, ScriptedPrompts& p, FakePointer& ptr) { LoadListsFromDialog(l, p, ptr); }},
        {"drop", [tree](FileListModel& l, ScriptedPrompts& p, FakePointer&) { AddDroppedPaths(l, {tree}, &p, {}); }},
    };
    for (const Second& second : seconds) {
        ScriptedPrompts prompts;
        FakePointer pointer;
        FileListModel list;
        list.addEntries(texts);
        prompts.inputs = {"EVEN", "odd", "*", "*"};
        prompts.folderResults = {tree};
        prompts.openResults = {{listFile}};
        int yields = 0;
        AskRemoveEntriesContaining(list, prompts, pointer, [&] {
            if (++yields == 4)
                second.start(list, prompts, pointer);
        });
        EXPECT_EQ(list.entries(), odds) << second.name;
        EXPECT_EQ(prompts.texts("input"), QStringList({"Remove entries containing: "})) << second.name;
        EXPECT_EQ(prompts.shown.size(), 1u) << second.name;
    }
}

TEST(ListOperations, AFilterNeverRemovesAnEntryThatNoLongerMeetsItsCondition)
{
    // Entries that trade places while the filter yields are judged again
    // before removal: the one moved to an examined position stays.
    ScriptedPrompts prompts;
    FakePointer pointer;
    FileListModel list;
    list.addEntries({"/a.keep", "/b.drop", "/c.keep", "/d.drop"});
    prompts.inputs = {"drop"};
    int yields = 0;
    AskRemoveEntriesContaining(list, prompts, pointer, [&] {
        if (++yields == 4)
            list.exchange(1, 2);
    });
    EXPECT_EQ(list.entries(), QStringList({"/b.drop", "/a.keep", "/c.keep"}));
}

TEST(FilterHandlers, AskShowBusyPointerThenPlainArrowAndDoNothingOnCancel)
{
    TestEnv env;
    SetApplicationTitleText("Quorvane Test");
    ScriptedPrompts prompts;
    FakePointer pointer;
    FileListModel list;
    fill(list, {"/a/x.txt", "/a/y.doc"});

    prompts.inputs = {"txt"};
    AskRemoveEntriesContaining(list, prompts, pointer, {});
    EXPECT_EQ(list.entries(), QStringList({"/a/y.doc"}));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Remove entries containing: ");
    EXPECT_EQ(prompts.shown[0].title, "Quorvane Test");
    EXPECT_EQ(prompts.shown[0].extra, "");
    EXPECT_EQ(pointer.history, std::vector({PointerStyle::Hourglass, PointerStyle::Arrow}));

    pointer.history.clear();
    AskRemoveEntriesNotContaining(list, prompts, pointer, {}); // cancelled
    EXPECT_EQ(prompts.shown.back().text, "Remove entries not containing: ");
    EXPECT_EQ(list.entries(), QStringList({"/a/y.doc"}));
    EXPECT_TRUE(pointer.history.empty());
}

TEST(RemovalHandlers, DoNothingWhileTheBusyPointerIsShown)
{
    ScriptedPrompts prompts;
    FakePointer pointer;
    FileListModel list;
    fill(list, {"/one", "/two", "/three"});
    QListView view;
    view.setModel(&list);
    view.setCurrentIndex(list.index(1));

    pointer.style = PointerStyle::Hourglass;
    ClearList(list, pointer, prompts);
    RemoveSelectedEntry(view, list, &pointer);
    EXPECT_EQ(list.count(), 3);

    pointer.style = PointerStyle::Arrow;
    RemoveSelectedEntry(view, list, &pointer);
    EXPECT_EQ(list.entries(), QStringList({"/one", "/three"}));
    view.clearSelection();
    RemoveSelectedEntry(view, list, &pointer);
    EXPECT_EQ(list.count(), 2);
    ClearList(list, pointer, prompts);
    EXPECT_EQ(list.count(), 0);
    RemoveSelectedEntry(view, list, &pointer);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST(AddFilesFromDialog, AppendsOneFileAsReturnedAndSeveralNormalized)
{
    ScriptedPrompts prompts;
    FileListModel list;
    prompts.openResults = {{"/x//one.txt"}, {"/x//a.txt", "/x/b.txt"}, {}};
    AddFilesFromDialog(list, prompts);
    AddFilesFromDialog(list, prompts);
    AddFilesFromDialog(list, prompts);
    EXPECT_EQ(list.entries(), QStringList({"/x//one.txt", "/x/a.txt", "/x/b.txt"}));
    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(prompts.shown[0].text, "Add File(s) - Hold Ctrl to select multiple files");
    EXPECT_EQ(prompts.shown[0].title, "All Files (*)");
    EXPECT_EQ(prompts.shown[0].extra, "multiple");
}

TEST(LoadListsFromDialog, LoadsEachListWithBusyPointerAndGoesOnAfterAMissingOne)
{
    TestEnv env;
    ScriptedPrompts prompts;
    FakePointer pointer;
    FileListModel list;
    const QString first = env.write("one.txt", "/p/1\r\n/p/2\r\n");
    const QString second = env.write("two.txt", "/p/3\n");
    prompts.openResults = {{first, env.path("gone.txt"), second}};
    LoadListsFromDialog(list, prompts, pointer);

    EXPECT_EQ(list.entries(), QStringList({"/p/1", "/p/2", "/p/3"}));
    EXPECT_EQ(prompts.texts("notice"), QStringList({"File not found"}));
    EXPECT_EQ(prompts.shown[0].text, "Load List(s) - Hold Ctrl to select multiple list files");
    EXPECT_EQ(prompts.shown[0].title, "Text Files (*.txt);;All Files (*)");
    EXPECT_EQ(pointer.history, std::vector({PointerStyle::Hourglass, PointerStyle::Default}));

    pointer.history.clear();
    LoadListsFromDialog(list, prompts, pointer); // cancelled
    EXPECT_TRUE(pointer.history.empty());
}

TEST(AddAllFilesInFolder, AsksForExtensionAndFolderAndKeepsBothSettings)
{
    TestEnv env;
    SetApplicationTitleText("Quorvane Test");
    env.write("tree/a.txt", "x");
    env.write("tree/b.doc", "x");
    env.write("tree/sub/c.txt", "x");
    const QString tree = env.path("tree");
    ScriptedPrompts prompts;
    FakePointer pointer;
    FileListModel list;

    prompts.inputs = {"txt", "*", ".txt", "doc"};
    prompts.folderResults = {tree, tree, tree, ""};
    AddAllFilesInFolder(list, prompts, pointer, {});
    EXPECT_EQ(list.entries(), QStringList({tree + "/a.txt", tree + "/sub/c.txt"}));
    EXPECT_EQ(prompts.shown[0].kind, "input");
    EXPECT_EQ(prompts.shown[0].text, "Enter file extension to load:\r\r(* for all files, txt for "
                                     "all txt files, doc for all doc files, etc.)");
    EXPECT_EQ(prompts.shown[0].title, "Quorvane Test");
    EXPECT_EQ(prompts.shown[0].extra, "*");
    EXPECT_EQ(prompts.shown[1].kind, "folder");
    EXPECT_EQ(prompts.shown[1].text, "Please select folder:");
    EXPECT_EQ(prompts.shown[1].title, "");
    EXPECT_EQ(pointer.history, std::vector({PointerStyle::Hourglass, PointerStyle::Default}));

    list.clear();
    AddAllFilesInFolder(list, prompts, pointer, {});
    EXPECT_EQ(prompts.shown[2].extra, "txt");
    EXPECT_EQ(prompts.shown[3].title, tree);
    EXPECT_EQ(list.entries(), QStringList({tree + "/a.txt", tree + "/b.doc", tree + "/sub/c.txt"}));

    list.clear();
    AddAllFilesInFolder(list, prompts, pointer, {});
    EXPECT_EQ(list.count(), 0);

    // Cancelling the picker keeps the new extension and the last folder.
    AddAllFilesInFolder(list, prompts, pointer, {});
    EXPECT_EQ(ReadSetting("Extension", "?"), "doc");
    EXPECT_EQ(ReadSetting("LastFolder", "?"), tree);

    // Cancelling the extension prompt stops before anything is saved or shown.
    const std::size_t shownBefore = prompts.shown.size();
    AddAllFilesInFolder(list, prompts, pointer, {});
    EXPECT_EQ(prompts.shown.size(), shownBefore + 1);
    EXPECT_EQ(ReadSetting("Extension", "?"), "doc");
    EXPECT_TRUE(prompts.texts("error").isEmpty());
}

} // namespace
} // namespace quorvane
