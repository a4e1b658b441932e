// What a result may replace: paths holding a NUL reach no file, only regular
// files (or links to one) are read or replaced, and an in-place result
// identical to its source leaves the source as it was.
#include "engine/FileReplace.h"
#include "engine/files/FileAccess.h"
#include "engine/files/PathHelpers.h"
#include "engine/text/TextCodec.h"
#include "engine/write/AtomicWrite.h"
#include "engine/write/CommitGroup.h"
#include "tests/engine/IoSandbox.h"
#include "tests/engine/OutcomeWords.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace quorvane;
using quorvane::test::Hex;
using quorvane::test::IoSandbox;
using quorvane::test::Why;

namespace {

FileJob Job(std::vector<Pair> pairs)
{
    FileJob job;
    job.pairs = std::move(pairs);
    return job;
}

struct stat LstatOf(const QString& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0) << qPrintable(path);
    return st;
}

void Symlink(const char* target, const QString& at)
{
    ASSERT_EQ(::symlink(target, QFile::encodeName(at).constData()), 0);
}

} // namespace

TEST(FileReplaceTargets, APathHoldingANulReachesNoFileAtAnyEntryPoint)
{
    IoSandbox box;
    const QString victim = box.write("victim.txt", "a");
    box.mkdir("victim.d");
    const QString cut = victim + QChar(0) + ".not-this-one";
    const QString nul = "Invalid file name: it contains a NUL character";

    EXPECT_EQ(OpenRegularForReading(cut), -1);
    EXPECT_FALSE(FileExists(cut));
    EXPECT_FALSE(FolderExists(box.path("victim.d") + QChar(0) + "x"));
    EXPECT_EQ(FileSize2(cut), -1);

    AtomicFile file(cut);
    EXPECT_FALSE(file.finish(false));
    EXPECT_EQ(file.errorText(), nul);

    CommitGroup group;
    FileJob job = Job({{"a", "b"}});
    job.group = &group;
    ASSERT_TRUE(ProcessFile(victim, box.path("out.txt"), job).ok);   // one result waits
    const FileOutcome asSource = ProcessFile(cut, cut, job);
    const FileOutcome asOutput = ProcessFile(victim, cut, job);
    EXPECT_FALSE(group.isPending(box.path("out.txt") + QChar(0)));
    EXPECT_EQ(group.pendingCount(), 1);
    EXPECT_EQ(asSource.failure, FileError(FileStage::Open, kNulInPath, cut));
    EXPECT_EQ(Why(asSource), nul);
    EXPECT_EQ(asOutput.failure, FileError(FileStage::Write, kNulInPath, cut));
    EXPECT_EQ(Why(asOutput), nul);
    group.flush();
    EXPECT_EQ(IoSandbox::read(victim), "a");
    EXPECT_EQ(box.entries(), (QStringList{"out.txt", "victim.d", "victim.txt"}));
}

TEST(FileReplaceTargets, OnlyRegularFilesAreReplacedAndWhateverElseStandsThereStays)
{
    IoSandbox box;
    const QString in = box.write("in.txt", "a cat");
    box.mkdir("out");
    const QString regular = box.write("out/real.txt", "old");
    const auto fifo = [](const QString& at) { ASSERT_EQ(::mkfifo(QFile::encodeName(at).constData(), 0644), 0); };
    const auto socket = [](const QString& at) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un addr {};
        addr.sun_family = AF_UNIX;
        const QByteArray native = QFile::encodeName(at);
        ASSERT_LT(size_t(native.size()), sizeof addr.sun_path);
        std::memcpy(addr.sun_path, native.constData(), size_t(native.size()));
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ::close(fd);
    };
    const struct {
        const char* name;
        std::function<void(const QString&)> make;
        const char* error;   // "" when the write succeeds
    } cases[] = {
        {"fifo", fifo, "Not a regular file"},
        {"socket", socket, "Not a regular file"},
        {"to-fifo", [&](const QString& at) { fifo(box.path("out/pipe")); Symlink("pipe", at); }, "Not a regular file"},
        {"self", [](const QString& at) { Symlink("self", at); }, "Too many levels of symbolic links"},
        {"loopA", [&](const QString& at) { Symlink("loopB", at); Symlink("loopA", box.path("out/loopB")); },
         "Too many levels of symbolic links"},
        {"to-real", [](const QString& at) { Symlink("real.txt", at); }, ""},
    };
    for (const auto& c : cases) {
        const QString target = box.path(QString("out/") + c.name);
        c.make(target);
        const mode_t type = LstatOf(target).st_mode & S_IFMT;
        const FileOutcome r = ProcessFile(in, target, Job({{"cat", "dog"}}));
        EXPECT_EQ(r.ok, *c.error == 0) << c.name;
        EXPECT_EQ(Why(r), c.error) << c.name;
        EXPECT_EQ(r.failure.stage, *c.error ? FileStage::Write : FileStage::None) << c.name;
        EXPECT_EQ(LstatOf(target).st_mode & S_IFMT, type) << c.name;
    }
    EXPECT_EQ(IoSandbox::read(regular), "a dog");   // through the link
    EXPECT_EQ(box.entries("out"), (QStringList{"fifo", "loopA", "loopB", "pipe", "real.txt", "self", "socket",
                                               "to-fifo", "to-real"}));
}

TEST(FileReplaceTargets, ASourceThatIsNoRegularFileFailsUnopenedInPlaceOrNot)
{
    IoSandbox box;
    const QString pipe = box.path("pipe"), link = box.path("to-pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    Symlink("pipe", link);
    const QString out = box.write("out.txt", "old");
    // Any open of the FIFO, even one that would not block, shows as an event.
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, QFile::encodeName(pipe).constData(), IN_OPEN), 0);
    CommitGroup group;
    const struct {
        QString source, output;
        bool grouped;
    } cases[] = {{pipe, out, false}, {pipe, pipe, false}, {link, link, false}, {link, link, true}};
    for (const auto& c : cases) {
        FileJob job = Job({{"a", "b"}});
        job.group = c.grouped ? &group : nullptr;
        const FileOutcome r = ProcessFile(c.source, c.output, job);
        EXPECT_EQ(r.failure, FileError(FileStage::Open, EINVAL, c.source)) << qPrintable(c.source + " " + c.output);
    }
    char event[256];
    EXPECT_EQ(::read(watch, event, sizeof event), -1);
    ::close(watch);
    EXPECT_EQ(IoSandbox::read(out), "old");
    EXPECT_EQ(box.entries(), (QStringList{"out.txt", "pipe", "to-pipe"}));
}

TEST(FileReplaceTargets, AnInPlaceResultIdenticalToItsSourceLeavesItUntouchedInEveryClass)
{
    const QByteArray large(3 << 20, 'a');   // compared over several written parts
    const struct {
        const char* name;
        QByteArray bytes;
        std::vector<Pair> pairs;
        QByteArray expected;
        bool untouched;
    } cases[] = {
        {"same text", "aaa", {{"a", "a"}}, "aaa", true},
        {"put back", "ab", {{"a", "x"}, {"x", "a"}}, "ab", true},
        {"utf-16le", Hex("FFFE 6100"), {{"a", "a"}}, Hex("FFFE 6100"), true},
        {"odd byte", Hex("FFFE 6100 41"), {{"a", "a"}}, Hex("FFFE 6100 41"), true},
        {"large", large, {{"a", "a"}}, large, true},
        {"utf-8 mark", "\xEF\xBB\xBF" "a", {{"a", "a"}}, "a", false},
        {"utf-16be", Hex("FEFF 0061"), {{"a", "a"}}, Hex("FFFE 6100"), false},
        {"shorter", "ab", {{"b", ""}}, "a", false},
        {"longer", "a", {{"a", "ab"}}, "ab", false},
        {"last byte", large + "xy", {{"x", "x"}, {"y", "z"}}, large + "xz", false},
    };
    IoSandbox box;
    const struct timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
    for (const auto& c : cases) {
        const QString file = box.write(c.name, c.bytes);
        const QString twin = file + ".link";
        ASSERT_EQ(::link(QFile::encodeName(file).constData(), QFile::encodeName(twin).constData()), 0);
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), past, 0), 0);
        const ino_t inode = LstatOf(file).st_ino;

        const FileOutcome r = ProcessFile(file, file, Job(c.pairs));
        ASSERT_TRUE(r.ok) << c.name << ": " << qPrintable(Why(r));
        EXPECT_GT(r.counts[0], 0) << c.name;
        EXPECT_EQ(r.written, !c.untouched) << c.name;
        EXPECT_TRUE(IoSandbox::read(file) == c.expected) << c.name;
        const struct stat st = LstatOf(file);
        EXPECT_EQ(st.st_ino == inode && st.st_mtim.tv_sec == 1000000000 && st.st_nlink == 2, c.untouched)
            << c.name;
    }
    EXPECT_EQ(box.entries().size(), 2 * qsizetype(std::size(cases)));   // no temporary file left
}

TEST(FileReplaceTargets, AFolderThatRefusesTheTemporaryFileOrTheRenameIsNamedInTheFailure)
{
    IoSandbox box;
    const QString file = box.write("dir/f.txt", "cat");
    const QString folder = QFileInfo(box.path("dir")).canonicalFilePath();
    const QString created = "cannot create a temporary file in " + folder + ": Permission denied";
    // Stand-ins for a read-only folder and for another user's file in a sticky folder.
    const struct { WriteStep step; int err; FileStage stage; QString error; } cases[] = {
        {WriteStep::CreateTemp, EACCES, FileStage::CreateTemp, created},
        {WriteStep::Rename, EPERM, FileStage::Rename, "cannot replace a file in " + folder + ": Permission denied"},
    };
    for (const auto& c : cases) {
        InjectWriteFailure(c.step, c.err);
        const FileOutcome r = ProcessFile(file, file, Job({{"cat", "dog"}}));
        EXPECT_EQ(r.failure, FileError(c.stage, c.err, QFileInfo(file).canonicalFilePath()));
        EXPECT_EQ(Why(r), c.error);
    }
    EXPECT_EQ(IoSandbox::read(file), "cat");
    EXPECT_EQ(box.entries("dir"), QStringList{"f.txt"});

    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root; the injected failures above stand in";
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    EXPECT_EQ(Why(ProcessFile(file, file, Job({{"cat", "dog"}}))), created);
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_EQ(IoSandbox::read(file), "cat");
}
