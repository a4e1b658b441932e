// Approving a preview's changes before they are written: the checked files,
// each with its checked changes, written as a run of their own; and a file
// written with a random subset of its changes equals its source patched by
// exactly those changes.
#include "tests/app/WindowFixture.h"

#include "app/ApprovedWrite.h"
#include "app/DiffView.h"
#include "app/RunReportView.h"
#include "engine/diff/FileDiff.h"

#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QTextBlock>
#include <random>

using namespace quorvane;
using namespace quorvane::test;

namespace {

// source's lines with the checked hunks applied as their lines read.
QString Patched(const QString& source, const std::vector<DiffHunk>& hunks, const std::vector<bool>& checked)
{
    QStringList lines;
    for (qsizetype at = 0; at < source.size();) {
        const qsizetype lf = source.indexOf('\n', at);
        const qsizetype end = lf < 0 ? source.size() : lf + 1;
        lines << source.mid(at, end - at);
        at = end;
    }
    QString out;
    qsizetype next = 0;   // the first source line not yet taken
    for (size_t h = 0; h < hunks.size(); ++h) {
        if (!checked[h])
            continue;
        const DiffHunk& hunk = hunks[h];
        const qsizetype first = hunk.oldCount == 0 ? hunk.oldStart : hunk.oldStart - 1;
        for (; next < first; ++next)
            out += lines[next];
        for (const DiffLine& line : hunk.lines)
            if (line.kind != DiffLine::Kind::Removed)
                out += line.text + (line.noNewline ? "" : "\n");
        next = first + hunk.oldCount;
    }
    for (; next < lines.size(); ++next)
        out += lines[next];
    return out;
}

QByteArray Utf16WithMark(const QString& text)
{
    return QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

} // namespace

TEST(ApprovedWrite, AFileWithRandomChangesLeftOutIsItsSourcePatchedByExactlyTheCheckedOnes)
{
    TestEnv env;
    std::mt19937 random(25);
    const auto pick = [&random](int n) { return int(random() % unsigned(n)); };
    const QStringList words = {"cat", "dog", "a", "b", "cow", ""};
    const std::vector<std::vector<Pair>> pairSets = {
        {{"cat", "dog"}}, {{"a", "xy"}, {"dog", "cat"}}, {{"b", ""}}, {{"t\nc", "T"}}, {{"cow", "c\nw"}}};
    int tried = 0;
    for (int round = 0; round < 60; ++round) {
        QString text;
        const int lineCount = 1 + pick(40);
        for (int l = 0; l < lineCount; ++l) {
            for (int w = pick(4); w > 0; --w)
                text += words[pick(int(words.size()))] + ' ';
            if (l + 1 < lineCount || pick(2))
                text += pick(4) ? "\n" : "\r\n";
        }
        const bool marked = pick(3) == 0;
        const QString path = env.write(QString("r%1.txt").arg(round), marked ? Utf16WithMark(text) : text.toUtf8());
        FileJob job;
        job.pairs = pairSets[size_t(pick(int(pairSets.size())))];
        const FileDiff diff = CollectDiff(path, path, job, -1);
        ASSERT_TRUE(diff.outcome.ok);
        std::vector<bool> checked;
        std::vector<LeftOut> leftOut;
        for (const DiffHunk& hunk : diff.hunks) {
            checked.push_back(pick(2) == 0);
            if (!checked.back())
                leftOut.push_back({hunk.oldStart, hunk.oldCount, hunk.newStart, hunk.newCount});
        }
        const QString expected = Patched(text, diff.hunks, checked);
        const FileOutcome outcome = ProcessApproved(path, path, job, {}, leftOut);
        ASSERT_TRUE(outcome.ok) << round;
        EXPECT_EQ(TestEnv::read(path), marked ? Utf16WithMark(expected) : expected.toUtf8())
            << round << " " << text.toStdString();
        EXPECT_EQ(outcome.written, expected != text) << round;
        tried += leftOut.empty() ? 0 : 1;
    }
    EXPECT_GT(tried, 20);   // most rounds leave something out
}

class ApproveInWindow : public WindowTest {};

TEST_F(ApproveInWindow, ReplaceCheckedFilesWritesTheCheckedFilesAndChangesAsARunThatCanBeUndone)
{
    Form1& f = open();
    QByteArray middle;
    for (int i = 0; i < 10; ++i)
        middle += "line\n";
    const QString a = env.write("a.txt", "cat\n"), b = env.write("b.txt", "cat\n"),
                  c = env.write("c.txt", "cat\n" + middle + "cat\n"), d = env.write("d.txt", "cat\n");
    f.fileList().addEntries({a, b, c, d});
    f.option2()->click();
    f.findText()->setPlainText("cat");
    f.replaceText()->setPlainText("dog");
    f.previewButton()->click();
    RunReportWindow* window = f.reportWindow();
    ASSERT_NE(window, nullptr);
    QTableView* table = window->table();
    EXPECT_EQ(table->model()->index(1, RunReportModel::FileColumn).data(Qt::CheckStateRole).toInt(), Qt::Checked);

    // Space unchecks b; c's second change is unchecked in its changes.
    table->setCurrentIndex(table->model()->index(1, RunReportModel::OutcomeColumn));
    QTest::keyClick(table, Qt::Key_Space);
    EXPECT_EQ(window->model()->checkedRows(), (std::vector<size_t>{0, 2, 3}));
    QSignalSpy shown(window->changes(), &DiffView::changesShown);
    table->setCurrentIndex(table->model()->index(2, RunReportModel::OutcomeColumn));
    ASSERT_TRUE(shown.wait(10000));
    auto* text = window->changes()->findChild<QPlainTextEdit*>("DiffText");
    EXPECT_TRUE(text->toPlainText().startsWith("[x] @@ -1,4 +1,4 @@\n"));
    QTextCursor cursor(text->document()->findBlockByNumber(text->document()->blockCount() - 1));
    text->setTextCursor(cursor);
    QTest::keyClick(text, Qt::Key_Space);
    EXPECT_EQ(window->changes()->leftOut(), (std::vector<LeftOut>{{9, 4, 9, 4}}));
    EXPECT_TRUE(text->toPlainText().contains("\n[ ] @@ -9,4 +9,4 @@\n"));
    env.write("d.txt", "cat, edited\n");   // after the preview

    window->replaceCheckedButton()->click();
    EXPECT_EQ(TestEnv::read(a), "dog\n");
    EXPECT_EQ(TestEnv::read(b), "cat\n");
    EXPECT_EQ(TestEnv::read(c), "dog\n" + middle + "cat\n");
    EXPECT_EQ(TestEnv::read(d), "cat, edited\n");
    EXPECT_EQ(ReportRows(*f.runReport()), QStringList({a + "|" + a + "|1|written|", c + "|" + c + "|1|written|",
                                                       d + "|" + d + "|0|failed|changed since the preview"}));
    EXPECT_EQ(window->windowTitle(), "Run Report");
    EXPECT_FALSE(f.reportButton()->isHidden());

    prompts.answers = {true};
    f.undoButton()->click();
    EXPECT_EQ(TestEnv::read(a), "cat\n");
    EXPECT_EQ(TestEnv::read(c), "cat\n" + middle + "cat\n");
}
