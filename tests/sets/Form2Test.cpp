// The Load Sets dialog: its controls, the remembered separator, browsing, the
// help text, the checks of "Load" and what loading adds to the set list.
#include "sets/Form2.h"
#include "sets/SetList.h"
#include "shell/Pointer.h"
#include "shell/ProgramFolder.h"
#include "shell/Prompts.h"
#include "shell/Settings.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QComboBox>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace quorvane;
using quorvane::test::ScriptedPrompts;
using quorvane::test::TestEnv;

namespace {
struct Fixture {
    TestEnv env;
    ScriptedPrompts prompts;
    QComboBox find;
    QComboBox replace;
    SetList sets{&find, &replace};

    Fixture() { SetApplicationTitleText("Quorvane"); }
    ~Fixture() { SetApplicationTitleText(QString()); }
};

QLineEdit* Text(Form2& d, const char* name) { return d.findChild<QLineEdit*>(name); }
QPushButton* Button(Form2& d, const char* name) { return d.findChild<QPushButton*>(name); }
} // namespace

TEST(Form2, OpensWithItsControlsAnEmptyPathAndTheDefaultSeparatorStored)
{
    Fixture f;
    EXPECT_EQ(ReadSetting("Form2.Text2", "<none>"), "<none>");
    Form2 d(f.prompts, f.sets);
    EXPECT_EQ(d.windowTitle(), "Load Sets");
    EXPECT_TRUE(d.isModal());
    EXPECT_EQ(d.findChild<QLabel*>("Label1")->text(), "File To Load:");
    EXPECT_EQ(d.findChild<QLabel*>("Label1_2")->text(), "Separator:");
    EXPECT_EQ(Button(d, "PushButton16")->text(), "...");
    EXPECT_EQ(Button(d, "PushButton3")->text(), "?");
    EXPECT_EQ(Button(d, "PushButton1")->text(), "Load");
    EXPECT_EQ(Button(d, "PushButton2")->text(), "Cancel");
    EXPECT_EQ(Text(d, "Text1")->text(), "");
    EXPECT_EQ(Text(d, "Text2")->text(), "::");
    EXPECT_EQ(ReadSetting("Form2.Text2", "<none>"), "::");
    EXPECT_TRUE(f.prompts.shown.empty());
}

TEST(Form2, SeparatorIsKeptAcrossOpeningsEvenWhenEmptied)
{
    Fixture f;
    {
        Form2 d(f.prompts, f.sets);
        Text(d, "Text2")->setText(",");
        EXPECT_EQ(ReadSetting("Form2.Text2", "<none>"), ",");
        Text(d, "Text1")->setText("typed path");
    }
    {
        Form2 d(f.prompts, f.sets);
        EXPECT_EQ(Text(d, "Text2")->text(), ",");
        EXPECT_EQ(Text(d, "Text1")->text(), "");
        Text(d, "Text2")->clear();
        EXPECT_EQ(ReadSetting("Form2.Text2", "<none>"), "");
    }
    Form2 d(f.prompts, f.sets);
    EXPECT_EQ(Text(d, "Text2")->text(), "");
}

TEST(Form2, BrowsePutsTheChosenFileInThePathBoxAndCancelKeepsIt)
{
    Fixture f;
    Form2 d(f.prompts, f.sets);
    f.prompts.openResults.push_back({"/some/where/sets.txt"});
    Button(d, "PushButton16")->click();
    EXPECT_EQ(Text(d, "Text1")->text(), "/some/where/sets.txt");
    Button(d, "PushButton16")->click();   // cancelled
    EXPECT_EQ(Text(d, "Text1")->text(), "/some/where/sets.txt");
    ASSERT_EQ(f.prompts.shown.size(), 2u);
    EXPECT_EQ(f.prompts.shown[0].kind, "open");
    EXPECT_EQ(f.prompts.shown[0].text, "Select Text File");
    EXPECT_EQ(f.prompts.shown[0].title, "Text Files (*.txt)");
    EXPECT_EQ(f.prompts.shown[0].extra, "single");
}

TEST(Form2, HelpShowsTheSeparatorExplanationLineForLine)
{
    Fixture f;
    Form2 d(f.prompts, f.sets);
    Button(d, "PushButton3")->click();
    ASSERT_EQ(f.prompts.shown.size(), 1u);
    EXPECT_EQ(f.prompts.shown[0].kind, "notice");
    EXPECT_EQ(f.prompts.shown[0].title, "Quorvane");
    EXPECT_EQ(f.prompts.shown[0].text,
              "If the text file you are loading looks like this:\r\n\r\nhi::hello\r\npeter::pete\r\n\r\n"
              "then use :: as a Separator\r\n\r\n"
              "If the text file you are loading looks like this:\r\n\r\nhi,hello\r\npeter,pete\r\n\r\n"
              "then use , as a Separator\r\n\r\n"
              "NOTE: The 'Save Sets' feature in this software always saves in this format:\r\n\r\n"
              "hi::hello\r\npeter::pete");
}

TEST(Form2, LoadRefusesAMissingSeparatorAnEmptyPathAndAMissingFile)
{
    Fixture f;
    Form2 d(f.prompts, f.sets);
    d.show();
    Text(d, "Text2")->clear();
    Button(d, "PushButton1")->click();

    Text(d, "Text2")->setText("::");
    Button(d, "PushButton1")->click();
    Text(d, "Text1")->setText("   ");
    Button(d, "PushButton1")->click();

    const QString missing = f.env.path("none.txt");
    Text(d, "Text1")->setText(missing);
    Button(d, "PushButton1")->click();
    const QString folder = f.env.mkdir("folder.txt");
    Text(d, "Text1")->setText(folder);
    Button(d, "PushButton1")->click();

    EXPECT_EQ(f.prompts.texts("notice"),
              (QStringList{"You must enter separating character(s).", missing + " not found.",
                           folder + " not found."}));
    for (const auto& s : f.prompts.shown)
        EXPECT_EQ(s.title, "Quorvane");
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(f.sets.count(), 0);
}

TEST(Form2, LoadAppendsTheFileSetsAfterTheExistingOnesAndCloses)
{
    Fixture f;
    f.sets.append("old", "set");
    const QString path = f.env.write(".hidden sets.txt", "hi,hello\r\npeter,pete\r\nnothing here\r\n");
    Form2 d(f.prompts, f.sets);
    d.show();
    Text(d, "Text2")->setText(",");
    Text(d, "Text1")->setText(path);
    Button(d, "PushButton1")->click();
    EXPECT_EQ(f.sets.finds(), (QStringList{"old", "hi", "peter"}));
    EXPECT_EQ(f.sets.replaces(), (QStringList{"set", "hello", "pete"}));
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(f.prompts.shown.empty());
}

TEST(Form2, LoadNamesTheLinesThatAreNotUtf8AndLoadsTheOthers)
{
    const struct {
        QByteArray bytes;
        QStringList finds;
        const char* notice;   // %1: the file
    } cases[] = {
        {"cafe::caf\xe9\r\nhi::hello\r\n", {"hi"}, "Line 1 of %1 was not loaded: its text is not valid UTF-8."},
        {QByteArray("\xff::x\n").repeated(12) + "a::b\n", {"a"},
         "Lines 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 and 2 more of %1 were not loaded: their text is not valid UTF-8."},
    };
    for (const auto& c : cases) {
        Fixture f;
        const QString path = f.env.write("sets.txt", c.bytes);
        Form2 d(f.prompts, f.sets);
        d.show();
        Text(d, "Text1")->setText(path);
        Button(d, "PushButton1")->click();
        EXPECT_EQ(f.sets.finds(), c.finds);
        EXPECT_EQ(f.prompts.texts("notice"), QStringList{QString::fromUtf8(c.notice).arg(path)});
        EXPECT_EQ(d.result(), QDialog::Accepted);
    }
}

TEST(Form2, BoxesHoldTextsOfAnyLengthAndEnterPressesLoad)
{
    Fixture f;
    const QString path = f.env.write("s.txt", "hi,hello\r\n");
    const QString longText(40000, QChar(u'x'));
    Form2 d(f.prompts, f.sets);
    d.show();
    Text(d, "Text1")->setText(longText);
    Text(d, "Text2")->setText(longText);
    EXPECT_EQ(Text(d, "Text1")->text(), longText);
    EXPECT_EQ(ReadSetting("Form2.Text2", "<none>"), longText);

    Text(d, "Text1")->setText(path);
    Text(d, "Text2")->setText(",");
    Text(d, "Text2")->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(Text(d, "Text2"), &enter);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(f.sets.finds(), QStringList{"hi"});
    EXPECT_TRUE(f.prompts.shown.empty());
}

TEST(Form2, CancelAndTheCloseButtonLeaveTheListUnchanged)
{
    Fixture f;
    f.sets.append("a", "b");
    const QString path = f.env.write("s.txt", "x::y\r\n");
    {
        Form2 d(f.prompts, f.sets);
        d.show();
        Text(d, "Text1")->setText(path);
        Button(d, "PushButton2")->click();
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_FALSE(d.isVisible());
    }
    {
        Form2 d(f.prompts, f.sets);
        d.show();
        Text(d, "Text1")->setText(path);
        d.close();
        EXPECT_FALSE(d.isVisible());
    }
    EXPECT_EQ(f.sets.finds(), QStringList{"a"});
    EXPECT_EQ(f.sets.replaces(), QStringList{"b"});
}

TEST(Form2, LoadSetsButtonRunsTheDialogModallyUntilItCloses)
{
    Fixture f;
    const QString path = f.env.write("s.txt", "x::y\r\n");
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<Form2*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        seen = true;
        Text(*d, "Text1")->setText(path);
        Button(*d, "PushButton1")->click();
    });
    Form2::RunModal(nullptr, f.prompts, f.sets);
    EXPECT_TRUE(seen);
    EXPECT_EQ(f.sets.finds(), QStringList{"x"});
    EXPECT_EQ(f.sets.replaces(), QStringList{"y"});
    EXPECT_TRUE(f.prompts.shown.empty());
}

namespace {
// A 16x16 32-bit cursor with its hot spot at (3, 1).
QByteArray TinyCursorFile()
{
    QByteArray bytes;
    auto put16 = [&](int v) { bytes.append(char(v & 0xff)).append(char((v >> 8) & 0xff)); };
    auto put32 = [&](int v) { put16(v & 0xffff); put16((v >> 16) & 0xffff); };
    const int pixels = 16 * 16 * 4;
    const int mask = 16 * 4;
    put16(0); put16(2); put16(1);                       // header: cursor, one image
    bytes.append(char(16)).append(char(16)).append('\0').append('\0');
    put16(3); put16(1);                                  // hot spot
    put32(40 + pixels + mask); put32(22);               // size and offset of the image
    put32(40); put32(16); put32(32); put16(1); put16(32); // bitmap header, height doubled
    put32(0); put32(pixels + mask); put32(0); put32(0); put32(0); put32(0);
    bytes.append(QByteArray(pixels, '\x7f'));
    bytes.append(QByteArray(mask, '\0'));
    return bytes;
}

struct BusyHost : PointerHost {
    PointerStyle style = PointerStyle::Hourglass;
    PointerStyle pointer() const override { return style; }
    void setPointer(PointerStyle s) override { style = s; }
};

void Hover(QWidget* w, QEvent::Type type)
{
    if (type == QEvent::Enter) {
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(w, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(w, &leave);
    }
}
} // namespace

TEST(Form2, ButtonsShowTheHandCursorOnHoverExceptUnderTheHourglass)
{
    Fixture f;
    SetProgramFolder(f.env.mkdir("program"));
    f.env.write("program/HAND-M.CUR", TinyCursorFile());

    Form2 d(f.prompts, f.sets);
    QPushButton* load = Button(d, "PushButton1");
    Hover(load, QEvent::Enter);
    EXPECT_TRUE(load->testAttribute(Qt::WA_SetCursor));
    EXPECT_EQ(load->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(load->cursor().hotSpot(), QPoint(3, 1));
    Hover(load, QEvent::Leave);
    EXPECT_FALSE(load->testAttribute(Qt::WA_SetCursor));

    BusyHost busy;
    Form2 during(f.prompts, f.sets, &busy);
    Hover(Button(during, "PushButton2"), QEvent::Enter);
    EXPECT_FALSE(Button(during, "PushButton2")->testAttribute(Qt::WA_SetCursor));
    EXPECT_TRUE(f.prompts.shown.empty());
}
