#include "filelist/FolderScanReport.h"
#include "shell/Prompts.h"
#include "tests/support/ScriptedPrompts.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using quorvane::test::ScriptedPrompts;
using quorvane::test::TestEnv;

namespace quorvane {
namespace {

TEST(CollectFolderFilesReported, NamesTheFilesAndFoldersItCannotHoldInOneNotice)
{
    TestEnv env;
    env.write("top/ok.txt", "x");
    const QByteArray t = QFile::encodeName(env.path("top"));
    close(open(t + "/caf\xE9.txt", O_WRONLY | O_CREAT, 0644));
    ASSERT_EQ(mkdir(t + "/\xFF" "dir", 0755), 0);
    close(open(t + "/\xFF" "dir/in.txt", O_WRONLY | O_CREAT, 0644));
    const QString top = env.path("top");

    ScriptedPrompts prompts;
    EXPECT_EQ(CollectFolderFilesReported(top, "*", {}, &prompts), QStringList({top + "/ok.txt"}));
    EXPECT_EQ(prompts.texts("notice"),
              QStringList({"These names are not valid UTF-8 and were not added:\n" + top + "/caf\\xE9.txt\n"
                           + top + "/\\xFFdir/"}));
    EXPECT_EQ(prompts.shown.at(0).title, ApplicationTitle());
    // With no one to tell, they are left out silently.
    EXPECT_EQ(CollectFolderFilesReported(top, "*", {}, nullptr), QStringList({top + "/ok.txt"}));
    std::filesystem::remove_all(t.toStdString());
}

} // namespace
} // namespace quorvane
