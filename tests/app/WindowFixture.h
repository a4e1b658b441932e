#pragma once
// A main window on its own settings store and program folder, with scripted
// prompts. Stored settings and files beside the program are prepared before
// open() so that start-up sees them.
#include "app/Form1.h"
#include "shell/ProgramFolder.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestEnv.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeView>
#include <gtest/gtest.h>
#include <memory>

namespace quorvane::test {

// The failure box of a step of procedure, as the window words it.
inline QString Report(const QString& description, const QString& procedure, int step)
{
    return description + "\r\nin Halderik2021/08/31." + procedure + " at line " + QString::number(step)
        + "\r\rPlease email screenshot of this message to support@quorvane.app";
}

// Each row of a run report as "source|output|replacements|outcome|reason".
inline QStringList ReportRows(const RunReport& report)
{
    QStringList out;
    for (const RunReportRow& row : report.rows())
        out << QString("%1|%2|%3|%4|%5")
                   .arg(row.source, row.output)
                   .arg(row.replacements)
                   .arg(RunOutcomeText(row.outcome), row.reason);
    return out;
}

class WindowTest : public ::testing::Test {
protected:
    WindowTest() { SetProgramFolder(env.mkdir("program")); }

    Form1& open()
    {
        form = std::make_unique<Form1>(prompts);
        return *form;
    }

    // Notices shown so far, in order.
    QStringList notices() const { return prompts.texts("notice"); }
    QStringList errors() const { return prompts.texts("error"); }

    TestEnv env;
    ScriptedPrompts prompts;
    std::unique_ptr<Form1> form;
};

} // namespace quorvane::test
