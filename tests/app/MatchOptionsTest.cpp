// The status bar's matching options: stored as they are toggled, applied to
// every pair or set of a run, a preview (its counts and its changes) and the
// files it approves, and a refused pattern stopping a run before any file.
#include "tests/app/WindowFixture.h"

#include "app/DiffView.h"
#include "app/RunReportView.h"
#include "shell/Settings.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QToolButton>

using namespace quorvane;
using namespace quorvane::test;

namespace {

class MatchChoicesInWindow : public WindowTest {};

// Finds and replaces typed in the tab the case names.
void SetTexts(Form1& f, bool sets, const QString& find, const QString& replace)
{
    f.tabs()->setCurrentIndex(sets ? 1 : 0);
    if (sets) {
        f.findCombo()->clear();
        f.replaceCombo()->clear();
        f.findCombo()->addItem(find);
        f.replaceCombo()->addItem(replace);
    } else {
        f.findText()->setPlainText(find);
        f.replaceText()->setPlainText(replace);
    }
}

TEST_F(MatchChoicesInWindow, AreStoredAsToggledAndShownByTheNextWindow)
{
    Form1& f = open();
    const MatchControls& boxes = f.matchControls();
    EXPECT_EQ(QStringList({boxes.wholeWords->text(), boxes.ignoreCase->text(), boxes.regex->text()}),
              QStringList({"Match whole words", "Ignore case", "Regular expressions"}));
    EXPECT_FALSE(boxes.wholeWords->isChecked() || boxes.ignoreCase->isChecked() || boxes.regex->isChecked());

    boxes.wholeWords->click();
    boxes.regex->click();
    EXPECT_EQ(QStringList({ReadSetting("Match Whole Words", {}), ReadSetting("Ignore Case", {}),
                           ReadSetting("Regular Expressions", {})}),
              QStringList({"True", "False", "True"}));
    Form1 later(prompts);
    EXPECT_TRUE(later.matchControls().wholeWords->isChecked());
    EXPECT_FALSE(later.matchControls().ignoreCase->isChecked());
    EXPECT_TRUE(later.matchControls().regex->isChecked());

    boxes.help->click();
    EXPECT_EQ(notices(), QStringList({RegexHelpText()}));
    EXPECT_TRUE(errors().isEmpty());
}

TEST_F(MatchChoicesInWindow, ApplyToRunsPreviewsTheirChangesAndApprovedFiles)
{
    struct Case {
        const char* label;
        bool sets, wholeWords, ignoreCase, regex;
        QString find, replace;
        QByteArray source, result;
        int replacements;
    };
    const Case cases[] = {
        {"whole words", false, true, false, false, "FileReplace", "FileRewrite",
         "FileReplace(FileReplaceTargets); FileReplace\n", "FileRewrite(FileReplaceTargets); FileRewrite\n", 2},
        {"any case", true, false, true, false, "cat", "dog", "Cat CAT cat cats\n", "dog dog dog dogs\n", 4},
        {"a group", false, false, false, true, "(\\w+)\\(\\)", "call $1", "a() bc()\n", "call a call bc\n", 2},
        {"all three", true, true, true, true, "id\\d", "X", "ID1 id2 aid3 id45\n", "X X aid3 id45\n", 2},
        {"none: exact text", false, false, false, false, "a.b", "X", "a.b axb a.b\n", "X axb X\n", 2},
    };
    Form1& f = open();
    f.option2()->click();
    const MatchControls& boxes = f.matchControls();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const QString file = env.write("file.txt", c.source);
        f.fileList().clear();
        f.fileList().addEntries({file});
        boxes.wholeWords->setChecked(c.wholeWords);
        boxes.ignoreCase->setChecked(c.ignoreCase);
        boxes.regex->setChecked(c.regex);
        SetTexts(f, c.sets, c.find, c.replace);

        f.previewButton()->click();
        ASSERT_NE(f.runReport(), nullptr);
        EXPECT_EQ(ReportRows(*f.runReport()), QStringList(file + "|" + file + "|" + QString::number(c.replacements)
                                                          + "|written|"));
        RunReportWindow* window = f.reportWindow();
        QSignalSpy shown(window->changes(), &DiffView::changesShown);
        window->table()->setCurrentIndex(window->table()->model()->index(0, RunReportModel::OutcomeColumn));
        ASSERT_TRUE(shown.wait(10000));
        EXPECT_EQ(window->changes()->findChild<QLabel*>("DiffSummary")->text(),
                  QString("%1 replacements in 1 place.").arg(c.replacements));
        EXPECT_EQ(TestEnv::read(file), c.source);

        // Approved after the options changed, the file gets what the preview showed.
        boxes.regex->setChecked(!c.regex);
        window->replaceCheckedButton()->click();
        EXPECT_EQ(TestEnv::read(file), c.result);
        boxes.regex->setChecked(c.regex);

        env.write("file.txt", c.source);
        f.pushButton(12)->click();
        EXPECT_EQ(TestEnv::read(file), c.result);
    }
    EXPECT_EQ(notices(), QStringList(std::size(cases), "Done."));
    EXPECT_TRUE(errors().isEmpty());
}

TEST_F(MatchChoicesInWindow, ARefusedPatternStopsARunOrPreviewBeforeAnyFile)
{
    struct Case {
        bool sets;
        QString find, replace, told;
    };
    const Case cases[] = {
        {false, "a\nb(", "x\ny", "Pattern 2 \"b(\": missing closing parenthesis (at the end)"},
        {true, "a", "$x", "Replacement 1 \"$x\": A $ starts a group reference: use $$ for a dollar (at character 1)"},
    };
    Form1& f = open();
    f.option2()->click();
    f.matchControls().regex->click();
    const QString a = env.write("a.txt", "ab\n"), b = env.write("b.txt", "b(\n");
    f.fileList().addEntries({a, b});
    for (const Case& c : cases) {
        SetTexts(f, c.sets, c.find, c.replace);
        prompts.shown.clear();
        f.previewButton()->click();
        f.pushButton(12)->click();
        EXPECT_EQ(notices().join(" | ").toStdString(), QStringList(2, c.told).join(" | ").toStdString());
        EXPECT_EQ(TestEnv::read(a) + TestEnv::read(b), "ab\nb(\n");
    }
    // Neither the previews nor the runs had anything to report.
    EXPECT_EQ(f.reportWindow(), nullptr);
    EXPECT_TRUE(errors().isEmpty());
}

} // namespace
