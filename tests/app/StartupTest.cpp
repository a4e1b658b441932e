#include "app/Startup.h"
#include "shell/Chance.h"
#include "shell/Settings.h"
#include "tests/app/WindowFixture.h"

#include <QHeaderView>
#include <QLabel>
#include <QFile>
#include <QToolButton>

using namespace quorvane;
using namespace quorvane::test;

namespace {
// Points HOME into the sandbox while it lives, so the default output folder
// does not depend on the machine's own home folder.
class SandboxHome {
public:
    explicit SandboxHome(const QString& home)
        : m_hadHome(qEnvironmentVariableIsSet("HOME")), m_home(qgetenv("HOME")),
          m_hadConfig(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")), m_config(qgetenv("XDG_CONFIG_HOME"))
    {
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/.config"));
    }
    ~SandboxHome()
    {
        Restore("HOME", m_hadHome, m_home);
        Restore("XDG_CONFIG_HOME", m_hadConfig, m_config);
    }
    SandboxHome(const SandboxHome&) = delete;
    SandboxHome& operator=(const SandboxHome&) = delete;

private:
    static void Restore(const char* name, bool had, const QByteArray& value)
    {
        if (had)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
    bool m_hadHome;
    QByteArray m_home;
    bool m_hadConfig;
    QByteArray m_config;
};

QString Report(const QString& description, int step)
{
    return quorvane::test::Report(description, "Form1.Form_Load", step);
}
} // namespace

class Startup : public WindowTest {};

TEST_F(Startup, FreshStoreOpensWithEveryDefault)
{
    const QString home = env.mkdir("home");
    SandboxHome sandbox(home);
    const QString desktop = env.mkdir("home/Desktop") + "/";
    Form1& f = open();
    EXPECT_EQ(f.windowTitle(), "Quorvane");
    EXPECT_EQ(ApplicationTitle(), "Quorvane");
    EXPECT_FALSE(f.windowIcon().isNull());
    EXPECT_EQ(f.tabs()->currentIndex(), 0);
    EXPECT_EQ(f.outputFolderText()->text(), desktop);
    EXPECT_TRUE(f.option1()->isChecked());
    EXPECT_FALSE(f.option2()->isChecked());
    EXPECT_TRUE(f.frame1()->isEnabled());
    EXPECT_EQ(f.listView()->model()->columnCount(), 1);
    EXPECT_EQ(f.listView()->model()->headerData(0, Qt::Horizontal).toString(), "File(s)");
    EXPECT_EQ(f.listView()->columnWidth(0), 467);
    EXPECT_EQ(f.progressBar()->format(), "Progress Bar");
    EXPECT_EQ(f.progressBar()->value(), 0);
    EXPECT_EQ(f.countsLabel()->text(), QString("0 files \u00b7 0 sets"));
    EXPECT_EQ(f.pointer(), PointerStyle::Default);
    EXPECT_FALSE(f.handCursor().has_value());
    EXPECT_TRUE(f.styleSheet().isEmpty());
    EXPECT_TRUE(prompts.shown.empty());
    // Start-up writes back only what its own change handlers see; the empty
    // samples folder leaves the snapshot to be tried again.
    EXPECT_EQ(ReadSetting("Output Folder", "?"), desktop);
    EXPECT_EQ(ReadSetting("Snapshot", "?"), "");
    EXPECT_EQ(ReadSetting("TabSel", "?"), "?");
}

TEST_F(Startup, EveryControlCarriesItsNameAndCaption)
{
    Form1& f = open();
    const std::vector<std::pair<int, QString>> buttons = {
        {13, "Add File(s)"}, {3, "Add All File(s) In Folder"}, {9, "Load List Of Files From File"},
        {1, "Clear List"}, {10, "Help"}, {8, "Load Sample/Example Files"},
        {11, "Remove Filenames Not Cont. X"}, {17, "Remove Filenames Contain. X"},
        {7, "Add Set"}, {2, "Load Sets"}, {5, "Save Sets"}, {6, "Remove Selected Set"},
        {4, "Clear All Sets"}, {14, "..."}, {12, "Start Replacing"}};
    for (const auto& [number, caption] : buttons) {
        auto* button = f.findChild<QPushButton*>(QString("PushButton%1").arg(number));
        ASSERT_NE(button, nullptr) << number;
        EXPECT_EQ(button->text(), caption);
        EXPECT_EQ(f.pushButton(number), button);
    }
    // Beside them only Stop and Run Report..., hidden until a run needs them,
    // and Preview in the status bar, with Undo Last Run (a tool button).
    EXPECT_EQ(f.findChildren<QPushButton*>().size(), 18);
    EXPECT_EQ(f.findChild<QPushButton*>("PreviewButton"), f.previewButton());
    EXPECT_EQ(f.previewButton()->text(), "Preview");
    EXPECT_EQ(f.undoButton()->text(), "Undo Last Run");
    EXPECT_EQ(f.findChild<QPushButton*>("StopButton"), f.stopButton());
    EXPECT_EQ(f.findChild<QPushButton*>("RunReportButton"), f.reportButton());
    EXPECT_EQ(f.stopButton()->text(), "Stop");
    EXPECT_EQ(f.reportButton()->text(), "Run Report...");
    EXPECT_TRUE(f.stopButton()->isHidden());
    EXPECT_TRUE(f.reportButton()->isHidden());
    const std::vector<std::pair<QString, QString>> labels = {
        {"Label1", " Find what (exact case):"}, {"Label2", " Replace with:"},
        {"Label3", " Find what (exact case):"}, {"Label4", " Replace with:"}};
    for (const auto& [name, caption] : labels) {
        auto* label = f.findChild<QLabel*>(name);
        ASSERT_NE(label, nullptr) << name.toStdString();
        EXPECT_EQ(label->text(), caption);
    }
    EXPECT_EQ(f.tabs()->objectName(), "TabControl1");
    EXPECT_EQ(f.tabs()->tabText(0), "Single find and replace");
    EXPECT_EQ(f.tabs()->tabText(1), "Multiple find and replace (sets)");
    EXPECT_EQ(f.findChild<QGroupBox*>("Frame2")->title(), "Save Option");
    EXPECT_EQ(f.frame1()->title(), "");
    EXPECT_EQ(f.option1()->text(), "Save results to this folder:");
    EXPECT_EQ(f.option2()->text(), "Save results in folder of original file");
    EXPECT_EQ(f.findChild<QLineEdit*>("Text3"), f.outputFolderText());
    EXPECT_EQ(f.findChild<QPlainTextEdit*>("Text1"), f.findText());
    EXPECT_EQ(f.findChild<QPlainTextEdit*>("Text2"), f.replaceText());
    EXPECT_EQ(f.findChild<QComboBox*>("Combo1"), f.findCombo());
    EXPECT_EQ(f.findChild<QComboBox*>("Combo2"), f.replaceCombo());
    EXPECT_FALSE(f.findCombo()->isEditable());
    EXPECT_EQ(f.findChild<QProgressBar*>("ProgressBar1"), f.progressBar());
    EXPECT_EQ(f.findChild<QTreeView*>("ListView1"), f.listView());
    EXPECT_EQ(f.listView()->toolTip(), "Drag and drop files here. Double-click item to remove it. "
                                       "Move | line to right and out of window to reveal full names.");
    // The output folder box and its button sit in Frame1, so disabling the frame disables both.
    EXPECT_TRUE(f.frame1()->isAncestorOf(f.outputFolderText()));
    EXPECT_TRUE(f.frame1()->isAncestorOf(f.pushButton(14)));
}

TEST_F(Startup, DefaultOutputFolderIsTheDesktopOrWithoutOneTheHomeFolder)
{
    const QString home = env.mkdir("home");
    SandboxHome sandbox(home);
    EXPECT_EQ(open().outputFolderText()->text(), home + "/");
    EXPECT_EQ(ReadSetting("Output Folder", "?"), home + "/");

    form.reset();
    WriteSetting("Output Folder", "/srv/results/");
    env.mkdir("home/Desktop");
    EXPECT_EQ(open().outputFolderText()->text(), "/srv/results/");
    EXPECT_TRUE(errors().isEmpty());
}

TEST_F(Startup, StoredTabFolderAndSecondOptionAreRestored)
{
    WriteSetting("TabSel", "1");
    WriteSetting("Output Folder", "/srv/results/");
    WriteSetting("Option1", "False");
    WriteSetting("Option2", "True");
    Form1& f = open();
    EXPECT_EQ(f.tabs()->currentIndex(), 1);
    EXPECT_EQ(f.outputFolderText()->text(), "/srv/results/");
    EXPECT_TRUE(f.option2()->isChecked());
    EXPECT_FALSE(f.option1()->isChecked());
    EXPECT_FALSE(f.frame1()->isEnabled());
    EXPECT_FALSE(f.outputFolderText()->isEnabled());
    EXPECT_FALSE(f.pushButton(14)->isEnabled());
    EXPECT_TRUE(errors().isEmpty());
}

TEST_F(Startup, BothOptionsStoredTrueSelectTheSecond)
{
    WriteSetting("Option1", "True");
    WriteSetting("Option2", "True");
    Form1& f = open();
    EXPECT_TRUE(f.option2()->isChecked());
    EXPECT_FALSE(f.option1()->isChecked());
    EXPECT_FALSE(f.frame1()->isEnabled());
    // The option handler writes the state it now shows.
    EXPECT_EQ(ReadSetting("Option1", "?"), "False");
    EXPECT_EQ(ReadSetting("Option2", "?"), "True");
}

TEST_F(Startup, UnreadableStoredValuesAreReportedAtTheirStepsAndTheRestStillApplies)
{
    WriteSetting("TabSel", "one");
    WriteSetting("Option1", "maybe");
    WriteSetting("Option2", "True");
    Form1& f = open();
    EXPECT_EQ(errors(), QStringList({Report("Type mismatch", 132), Report("Type mismatch", 136)}));
    EXPECT_EQ(prompts.shown[0].title, "Application Error");
    EXPECT_EQ(f.tabs()->currentIndex(), 0);
    EXPECT_TRUE(f.option2()->isChecked());
    EXPECT_FALSE(f.frame1()->isEnabled());
}

TEST_F(Startup, ATabIndexOutsideTheTabsKeepsTheFirstTab)
{
    WriteSetting("TabSel", "5");
    EXPECT_EQ(open().tabs()->currentIndex(), 0);
    EXPECT_TRUE(errors().isEmpty());
}

TEST_F(Startup, TabChangeIsStored)
{
    Form1& f = open();
    f.tabs()->setCurrentIndex(1);
    EXPECT_EQ(ReadSetting("TabSel", "?"), "1");
    f.tabs()->setCurrentIndex(0);
    EXPECT_EQ(ReadSetting("TabSel", "?"), "0");
}

TEST_F(Startup, TheStatusBarCountsFilesAndSetsAsTheyChange)
{
    Form1& f = open();
    QStringList seen;
    f.fileList().addEntry("/a");
    seen << f.countsLabel()->text();
    f.fileList().addEntries({"/b", "/c"});
    f.findCombo()->addItem("x");
    f.replaceCombo()->addItem("y");
    seen << f.countsLabel()->text();
    f.fileList().removeEntry(1);
    f.findCombo()->addItem("z");
    f.replaceCombo()->addItem("w");
    seen << f.countsLabel()->text();
    f.fileList().clear();
    f.findCombo()->clear();
    f.replaceCombo()->clear();
    seen << f.countsLabel()->text();
    EXPECT_EQ(seen, QStringList({"1 file \u00b7 0 sets", "3 files \u00b7 1 set", "2 files \u00b7 2 sets",
                                 "0 files \u00b7 0 sets"}));
}

TEST_F(Startup, TitleIsCutAtTheLastSpaceAtLeastOnceAndWhileOverForty)
{
    // 49 characters: without " Abcde" still 43, so " Abcd" goes too.
    const QString longName = "Abcdefghi Abcdefghi Abcdefghi Abcdefgh Abcd Abcde";
    ASSERT_EQ(longName.size(), 49);
    EXPECT_EQ(CutApplicationTitle(longName), "Abcdefghi Abcdefghi Abcdefghi Abcdefgh");
    const QString shortName = "Exact Replace Over Many Filess";
    ASSERT_EQ(shortName.size(), 30);
    EXPECT_EQ(CutApplicationTitle(shortName), "Exact Replace Over Many");
    EXPECT_EQ(CutApplicationTitle("Quorvane"), "Quorvane");
}

TEST_F(Startup, SkinFileIsAppliedAndAnUnreadableOneIsReportedAtStep100)
{
    const QString sheet = "QPushButton { color: #203040; }";
    env.write("program/x/o.cjs", sheet.toUtf8());
    EXPECT_EQ(open().styleSheet(), sheet);
    EXPECT_TRUE(errors().isEmpty());

    form.reset();
    QFile::remove(env.path("program/x/o.cjs"));
    env.mkdir("program/x/o.cjs");
    Form1& f = open();
    EXPECT_EQ(errors(), QStringList({Report("Permission denied", 100)}));
    EXPECT_TRUE(f.styleSheet().isEmpty());
    EXPECT_EQ(f.windowTitle(), "Quorvane");
}

TEST_F(Startup, HandCursorIsLoadedFromTheProgramFolderAndABadFileIsReportedAtStep104)
{
    QFile::copy(QUORVANE_SOURCE_DIR "/resources/HAND-M.CUR", env.path("program/HAND-M.CUR"));
    Form1& f = open();
    ASSERT_TRUE(f.handCursor().has_value());
    EXPECT_EQ(f.handCursor()->shape(), Qt::BitmapCursor);
    EXPECT_EQ(f.handCursor()->hotSpot(), QPoint(10, 2));
    EXPECT_TRUE(errors().isEmpty());

    form.reset();
    env.write("program/HAND-M.CUR", "not a cursor");
    EXPECT_FALSE(open().handCursor().has_value());
    EXPECT_EQ(errors(), QStringList({Report("Invalid picture", 104)}));
}

TEST_F(Startup, MakersSiteOpensOnlyWhenTheDrawIsSeven)
{
    SetRandomFractionSource([] { return 0.065; });
    open();
    EXPECT_EQ(prompts.texts("url"), QStringList({"https://quorvane.app/"}));

    form.reset();
    prompts.shown.clear();
    SetRandomFractionSource([] { return 0.07; });
    open();
    EXPECT_TRUE(prompts.texts("url").isEmpty());
}

TEST_F(Startup, SampleFilesAreRecordedOnceTheFolderHoldsSome)
{
    open();
    EXPECT_EQ(ReadSetting("Snapshot", "?"), "");
    form.reset();
    const QString first = env.write("program/Samples/b.txt", "b");
    const QString second = env.write("program/Samples/a.txt", "a");
    open();
    EXPECT_EQ(ReadSetting("Snapshot", "?"), second + "|" + first);
    form.reset();
    env.write("program/Samples/c.txt", "c");
    open();
    EXPECT_EQ(ReadSetting("Snapshot", "?"), second + "|" + first);
}
