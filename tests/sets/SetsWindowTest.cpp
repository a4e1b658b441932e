// The set list in the real main window: its buttons, the Load Sets dialog
// opened from it, and a batch run in sets mode over what was built.
#include "app/Form1.h"
#include "sets/Form2.h"
#include "shell/ProgramFolder.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

using namespace quorvane;
using quorvane::test::ScriptedPrompts;
using quorvane::test::TestEnv;

namespace {
QStringList Items(const QComboBox* box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

// Presses "Load" in the Load Sets dialog once it is up, with this file and separator.
void LoadWhenShown(const QString& path, const QString& separator)
{
    QTimer::singleShot(0, [=] {
        auto* d = qobject_cast<Form2*>(QApplication::activeModalWidget());
        ASSERT_NE(d, nullptr);
        d->findChild<QLineEdit*>("Text2")->setText(separator);
        d->findChild<QLineEdit*>("Text1")->setText(path);
        d->findChild<QPushButton*>("PushButton1")->click();
    });
}
} // namespace

TEST(SetsWindow, ButtonsBuildSaveAndRunTheSetListInOrder)
{
    TestEnv env;
    SetProgramFolder(env.mkdir("program"));
    ScriptedPrompts prompts;
    Form1 f(prompts);

    prompts.inputs = {"hi::hello", "junk::x"};
    f.pushButton(7)->click();
    f.pushButton(7)->click();
    LoadWhenShown(env.write("more.txt", "hello,bye\r\npeter,pete\r\n"), ",");
    f.pushButton(2)->click();
    EXPECT_EQ(Items(f.findCombo()), (QStringList{"hi", "junk", "hello", "peter"}));

    f.replaceCombo()->setCurrentIndex(1);
    EXPECT_EQ(f.findCombo()->currentIndex(), 1);
    f.pushButton(6)->click();
    EXPECT_EQ(Items(f.findCombo()), (QStringList{"hi", "hello", "peter"}));
    EXPECT_EQ(Items(f.replaceCombo()), (QStringList{"hello", "bye", "pete"}));

    const QString saved = env.path("saved.txt");
    prompts.saveResults = {saved};
    f.pushButton(5)->click();
    EXPECT_EQ(TestEnv::read(saved), QByteArray("hi::hello\r\nhello::bye\r\npeter::pete\r\n"));

    // Each set works on the result of the ones before it.
    f.tabs()->setCurrentIndex(1);
    const QString out = env.mkdir("out") + "/";
    f.outputFolderText()->setText(out);
    f.fileList().addEntry(env.write("src/a.txt", "hi peter\r\n"));
    f.fileList().addEntry(env.write("src/b.txt", QByteArray("\xff\xfeh\0i\0", 6)));
    f.pushButton(12)->click();
    EXPECT_EQ(TestEnv::read(out + "a.txt"), QByteArray("bye pete\r\n"));
    EXPECT_EQ(TestEnv::read(out + "b.txt"), QByteArray("\xff\xfe" "b\0y\0e\0", 8));

    f.pushButton(4)->click();
    EXPECT_EQ(f.findCombo()->count(), 0);
    EXPECT_EQ(f.replaceCombo()->count(), 0);
    EXPECT_EQ(prompts.texts("notice"), QStringList{"Done."});
    EXPECT_TRUE(prompts.texts("error").isEmpty());
}
