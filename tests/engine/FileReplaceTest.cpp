#include "engine/FileReplace.h"
#include "engine/write/CommitGroup.h"
#include "tests/engine/IoSandbox.h"
#include "tests/engine/OutcomeWords.h"

#include <gtest/gtest.h>

#include <csignal>
#include <numeric>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace quorvane;
using quorvane::test::Hex;
using quorvane::test::IoSandbox;
using quorvane::test::Why;

namespace {

// Bytes of a literal, embedded NULs included.
template <size_t N>
QByteArray Bytes(const char (&s)[N])
{
    return QByteArray(s, qsizetype(N - 1));
}

FileJob Job(std::vector<Pair> pairs)
{
    FileJob job;
    job.pairs = std::move(pairs);
    return job;
}

// Result bytes of one run from source bytes to a separate output file.
QByteArray Replaced(const IoSandbox& box, const QByteArray& source, std::vector<Pair> pairs,
                    qsizetype chunkUnits = 65536)
{
    static int n = 0;
    const QString in = box.write(QString("in%1").arg(n), source);
    const QString out = box.path(QString("out%1").arg(n++));
    FileJob job = Job(std::move(pairs));
    job.chunkUnits = chunkUnits;
    const FileOutcome r = ProcessFile(in, out, job);
    EXPECT_TRUE(r.ok) << qPrintable(Why(r));
    return IoSandbox::read(out);
}

struct stat StatOf(const QString& path)
{
    struct stat st {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0);
    return st;
}

} // namespace

TEST(FileReplace, AnsiAndUtf8FilesAreMatchedAsRawBytesAndWrittenWithoutAMark)
{
    IoSandbox box;
    // Latin-1, a NUL, invalid UTF-8 and a stray mark byte around the matches stay as they are.
    EXPECT_EQ(Replaced(box, Bytes("caf\xE9 cat\0\xC3( cat\xFF"), {{"cat", "dog"}}),
              Bytes("caf\xE9 dog\0\xC3( dog\xFF"));
    EXPECT_EQ(Replaced(box, "na\xC3\xAFve", {{QString::fromUtf8("ï"), "i"}}), "naive");
    EXPECT_EQ(Replaced(box, "\xEF\xBB\xBF" "abc cat\r\n", {{"cat", "dog"}}), "abc dog\r\n");
    EXPECT_EQ(Replaced(box, "\xEF\xBB\xBF", {{"cat", "dog"}}), "");
    EXPECT_EQ(Replaced(box, "", {{"cat", "dog"}}), "");
}

TEST(FileReplace, UnicodeFilesOfEveryFormAreWrittenAsUtf16LeWithAMark)
{
    IoSandbox box;
    const std::vector<Pair> catDog{{"cat", "dog"}};
    // An unpaired surrogate (D800) survives; the mark is never text.
    EXPECT_EQ(Replaced(box, Hex("FFFE 6300 6100 7400 00D8 2000"), catDog), Hex("FFFE 6400 6F00 6700 00D8 2000"));
    EXPECT_EQ(Replaced(box, Hex("FEFF 0063 0061 0074 D83D DE00"), catDog), Hex("FFFE 6400 6F00 6700 3DD8 00DE"));
    // UTF-32: a supplementary character becomes a pair, a lone surrogate stays
    // that unit and bytes of a cut-off last unit stay as they are (more cases
    // in text/Utf32ReadTest.cpp).
    EXPECT_EQ(Replaced(box, Hex("FFFE0000 63000000 61000000 74000000 00F60100 00DC0000 4100"), catDog),
              Hex("FFFE 6400 6F00 6700 3DD8 00DE 00DC 4100"));
    EXPECT_EQ(Replaced(box, Hex("0000FEFF 00000063 00000061 00000074 0000D800"), catDog),
              Hex("FFFE 6400 6F00 6700 00D8"));
    // A lone last byte of a UTF-16 file is carried through unchanged.
    EXPECT_EQ(Replaced(box, Hex("FFFE 6300 6100 7400 41"), catDog), Hex("FFFE 6400 6F00 6700 41"));
    EXPECT_EQ(Replaced(box, Hex("FFFE"), catDog), Hex("FFFE"));
    EXPECT_EQ(Replaced(box, Hex("FFFE0000"), catDog), Hex("FFFE"));
    // Matching is on UTF-16 units, so a find text can hold half a pair.
    EXPECT_EQ(Replaced(box, Hex("FFFE 3DD8 00DE"), {{QString(QChar(0xDE00)), "x"}}), Hex("FFFE 3DD8 7800"));
}

TEST(FileReplace, MatchesAcrossChunkBoundariesAreReplacedAtEveryChunkSize)
{
    IoSandbox box;
    QByteArray text(65534, '.');
    text += "cat and more cat";   // the first "cat" straddles 65,536
    QByteArray expected(65534, '.');
    expected += "dog and more dog";
    for (qsizetype chunk : {qsizetype(1), qsizetype(2), qsizetype(3), qsizetype(65536)})
        EXPECT_EQ(Replaced(box, text, {{"cat", "dog"}}, chunk), expected) << chunk;

    QByteArray wide = Hex("FFFE") + QByteArray(2 * 65535, 'x');
    wide += Hex("6300 6100 7400");     // starts on the last unit of the first 65,536
    QByteArray wideExpected = Hex("FFFE") + QByteArray(2 * 65535, 'x') + Hex("6400 6F00 6700");
    EXPECT_EQ(Replaced(box, wide, {{"cat", "dog"}}), wideExpected);

    // Files larger than one read: matches across every megabyte boundary.
    QByteArray large(3 * (1 << 20) + 100, '.'), largeExpected = large;
    for (int k = 1; k <= 3; ++k) {
        large.replace(k * (1 << 20) + 1, 6, "catcat");
        largeExpected.replace(k * (1 << 20) + 1, 6, "dogdog");
    }
    EXPECT_TRUE(Replaced(box, large, {{"cat", "dog"}}) == largeExpected);
    QByteArray be = Hex("FEFF"), beExpected = Hex("FFFE");
    for (int i = 0; i < (1 << 19) + 3; ++i) {
        be += i % 100000 == 99999 ? Hex("0063 0061 0074") : Hex("0078");
        beExpected += i % 100000 == 99999 ? Hex("6400 6F00 6700") : Hex("7800");
    }
    EXPECT_TRUE(Replaced(box, be, {{"cat", "dog"}}) == beExpected);
}

TEST(FileReplace, PairsApplyInOrderAndCountPerPairWithEmptyFindsChangingNothing)
{
    IoSandbox box;
    const QString in = box.write("in.txt", "ab ab");
    const FileOutcome r = ProcessFile(in, box.path("out.txt"), Job({{"a", "b"}, {"", "zz"}, {"b", "c"}}));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(IoSandbox::read(box.path("out.txt")), "cc cc");
    EXPECT_EQ(r.counts, (std::vector<std::int64_t>{2, 0, 4}));
    EXPECT_EQ(r.codec.read.encoding, TextEncoding::Ansi);
    EXPECT_TRUE(r.written);
    // A new output gets the usual mode of a new file, not the private mode of a temporary one.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(StatOf(box.path("out.txt")).st_mode & 07777, 0666 & ~mask);
}

TEST(FileReplace, AFileWhoseLatePartNeedsThePairsInTurnIsReadAgainAndComesOutExact)
{
    // Many pairs put all of them in one pass; far into the file "a" -> "b"
    // meets a "c" and forms the later find "bc", so the file is read again
    // with the pairs in turn. In place: the source must still be whole then.
    IoSandbox box;
    std::vector<Pair> pairs{{"word", "W"}, {"a", "b"}, {"bc", "X"}};
    for (int k = 0; k < 40; ++k)
        pairs.push_back({QString("zz%1").arg(k), "-"});
    QByteArray text;
    for (int i = 0; i < 300000; ++i)
        text += "word ";
    text += "ac word";
    const QString in = box.write("in.txt", text);
    const FileOutcome r = ProcessFile(in, in, Job(pairs));
    ASSERT_TRUE(r.ok) << qPrintable(Why(r));
    QByteArray expected = text;
    expected.replace("word", "W").replace("a", "b").replace("bc", "X");
    EXPECT_EQ(IoSandbox::read(in), expected);
    EXPECT_EQ(r.counts[0], 300001);
    EXPECT_EQ(r.counts[1], 1);
    EXPECT_EQ(r.counts[2], 1);
    EXPECT_EQ(box.entries(), QStringList{"in.txt"});
}

TEST(FileReplace, FilesOneAfterAnotherGetTheirOwnJobsPairsInEitherWidth)
{
    // Prepared pairs are kept from file to file; a job whose pairs differ in
    // one replacement only must not get the previous job's.
    IoSandbox box;
    std::vector<Pair> pairs{{"cat", "dog"}};
    for (int k = 0; k < 40; ++k)
        pairs.push_back({QString("zz%1").arg(k), "-"});
    const QString bytes = box.write("bytes.txt", "a cat zz7");
    const QString wide = box.write("wide.txt", Bytes("\xFF\xFE" "c\0a\0t\0"));
    EXPECT_EQ(Replaced(box, "a cat zz7", pairs), "a dog -");
    ASSERT_TRUE(ProcessFile(wide, box.path("wide.out"), Job(pairs)).ok);
    EXPECT_EQ(IoSandbox::read(box.path("wide.out")), Bytes("\xFF\xFE" "d\0o\0g\0"));
    pairs[0].replace = "cow";
    EXPECT_EQ(Replaced(box, "a cat zz7", pairs), "a cow -");
    ASSERT_TRUE(ProcessFile(wide, box.path("wide.out"), Job(pairs)).ok);
    EXPECT_EQ(IoSandbox::read(box.path("wide.out")), Bytes("\xFF\xFE" "c\0o\0w\0"));
    EXPECT_EQ(Replaced(box, "a cat zz7", {{"cat", "dog"}}), "a dog zz7");
    EXPECT_EQ(IoSandbox::read(bytes), "a cat zz7");
}

TEST(FileReplace, ReadFailuresLeaveNoOutputAndAreNamedForTheReadStage)
{
    IoSandbox box;
    const QString fifo = box.path("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString out = box.write("out.txt", "old");
    FileOutcome r = ProcessFile(fifo, out, Job({{"a", "b"}}));   // must return, not wait for a writer
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failure, FileError(FileStage::Open, EINVAL, fifo));
    EXPECT_EQ(Why(r), "Not a regular file");
    r = ProcessFile(box.path("missing.txt"), out, Job({{"a", "b"}}));
    EXPECT_EQ(r.failure, FileError(FileStage::Open, ENOENT, box.path("missing.txt")));
    EXPECT_EQ(Why(r), "File not found");
    EXPECT_EQ(IoSandbox::read(out), "old");
    EXPECT_EQ(box.entries(), (QStringList{"out.txt", "pipe"}));
}

TEST(FileReplace, WriteFailuresLeaveTheTargetUntouchedAndNoTemporaryFile)
{
    IoSandbox box;
    const QString in = box.write("in.txt", "a cat");
    box.write("plain", "not a folder");
    box.mkdir("folder.txt");
    // A missing folder refuses the temporary file; a file where the folder
    // should be, or a folder at the target, refuses the target itself.
    const struct { const char* out; FileStage stage; const char* error; } cases[] = {
        {"missing/out.txt", FileStage::CreateTemp, "Path not found"},
        {"plain/out.txt", FileStage::Write, "Path not found"},
        {"folder.txt", FileStage::Write, "Is a directory"},
    };
    for (const auto& c : cases) {
        const FileOutcome r = ProcessFile(in, box.path(c.out), Job({{"cat", "dog"}}));
        EXPECT_FALSE(r.ok) << c.out;
        EXPECT_EQ(r.failure.stage, c.stage) << c.out;
        EXPECT_EQ(Why(r), c.error) << c.out;
    }
    EXPECT_EQ(box.entries(), (QStringList{"folder.txt", "in.txt", "plain"}));
    EXPECT_TRUE(box.entries("folder.txt").isEmpty());
}

TEST(FileReplace, AReadOnlyTargetIsNotReplaced)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root";
    IoSandbox box;
    const QString file = box.write("ro.txt", "cat");
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0444), 0);
    const FileOutcome r = ProcessFile(file, file, Job({{"cat", "dog"}}));
    EXPECT_EQ(r.failure.stage, FileStage::Write);
    EXPECT_EQ(Why(r), "Permission denied");
    EXPECT_EQ(IoSandbox::read(file), "cat");
}

TEST(FileReplace, AWriteFailingMidwayInPlaceKeepsTheSourceWhole)
{
    IoSandbox box;
    const QByteArray original = QByteArray(3 << 20, 'a') + "cat";
    const QString file = box.write("big.txt", original);
    // A file size limit makes the temporary file's writes fail after the first
    // megabytes, the way a full disk would.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 3 << 19;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileOutcome r = ProcessFile(file, file, Job({{"cat", "dog"}}));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failure.stage, FileStage::Write);
    EXPECT_EQ(r.failure.number, EFBIG);
    EXPECT_EQ(Why(r), "File too large");
    EXPECT_TRUE(IoSandbox::read(file) == original);
    EXPECT_EQ(box.entries(), QStringList{"big.txt"});
}

TEST(FileReplace, InPlaceResultsKeepOwnerModeAndExtendedAttributesAndLinksStayLinks)
{
    IoSandbox box;
    const QString real = box.write("real.txt", "a cat");
    const QByteArray native = QFile::encodeName(real);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(native.constData(), 1234, 5678), 0);
    }
    ASSERT_EQ(::chmod(native.constData(), root ? 06751 : 0640), 0);
    const bool xattrs = ::setxattr(native.constData(), "user.note", "kept", 4, 0) == 0;
    const QString link = box.path("link.txt");
    ASSERT_EQ(::symlink("real.txt", QFile::encodeName(link).constData()), 0);

    const FileOutcome r = ProcessFile(link, link, Job({{"cat", "dog"}}));
    ASSERT_TRUE(r.ok) << qPrintable(Why(r));

    EXPECT_TRUE(S_ISLNK(StatOf(link).st_mode));
    EXPECT_EQ(IoSandbox::read(real), "a dog");
    const struct stat st = StatOf(real);
    EXPECT_EQ(st.st_mode & 07777, root ? 06751u : 0640u);
    if (root) {
        EXPECT_EQ(st.st_uid, 1234u);
        EXPECT_EQ(st.st_gid, 5678u);
    }
    if (xattrs) {
        char value[16] = {};
        EXPECT_EQ(::getxattr(native.constData(), "user.note", value, sizeof value), 4);
        EXPECT_STREQ(value, "kept");
    }
    EXPECT_EQ(box.entries(), (QStringList{"link.txt", "real.txt"}));
}

TEST(FileReplace, AHardLinkedFileGetsANewFileUnderTheWrittenNameOnly)
{
    IoSandbox box;
    const QString a = box.write("a.txt", "cat");
    const QString b = box.path("b.txt");
    ASSERT_EQ(::link(QFile::encodeName(a).constData(), QFile::encodeName(b).constData()), 0);
    ASSERT_TRUE(ProcessFile(a, a, Job({{"cat", "dog"}})).ok);
    EXPECT_EQ(IoSandbox::read(a), "dog");
    EXPECT_EQ(IoSandbox::read(b), "cat");
    EXPECT_EQ(StatOf(b).st_nlink, 1u);
}

TEST(FileReplace, AFileNothingWasReplacedInIsLeftAloneInPlaceWhateverItsForm)
{
    // A result written back would drop a UTF-8 mark or turn UTF-16BE and
    // UTF-32 into UTF-16LE although nothing matched. With a replacement, each
    // form is written as its class says, and so is one with none written to
    // another file, at every chunk size.
    const struct {
        const char* name;
        QByteArray bytes;
        QByteArray replaced;   // the result of cat -> dog where the text holds "cat"
        QByteArray copied;     // the result of zebra -> x in another file
    } forms[] = {
        {"bytes", "cow cat", "cow dog", "cow cat"},
        {"utf8 mark", "\xEF\xBB\xBF" "cow cat", "cow dog", "cow cat"},
        {"utf16le", Hex("FFFE 6300 6100 7400"), Hex("FFFE 6400 6F00 6700"), Hex("FFFE 6300 6100 7400")},
        {"utf16be", Hex("FEFF 0063 0061 0074"), Hex("FFFE 6400 6F00 6700"), Hex("FFFE 6300 6100 7400")},
        {"utf32le", Hex("FFFE0000 63000000 61000000 74000000"), Hex("FFFE 6400 6F00 6700"),
         Hex("FFFE 6300 6100 7400")},
        {"utf32be", Hex("0000FEFF 00000063 00000061 00000074"), Hex("FFFE 6400 6F00 6700"),
         Hex("FFFE 6300 6100 7400")},
    };
    const struct timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
    for (const auto& f : forms) {
        IoSandbox box;
        const QString file = box.write("f.txt", f.bytes);
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(file).constData(), past, 0), 0);
        const ino_t inode = StatOf(file).st_ino;
        FileJob dry = Job({{"zebra", "x"}});
        dry.dryRun = true;
        EXPECT_FALSE(ProcessFile(file, file, dry).written) << f.name;
        const FileOutcome r = ProcessFile(file, file, Job({{"zebra", "x"}}));
        EXPECT_TRUE(r.ok && !r.written) << f.name;
        EXPECT_TRUE(IoSandbox::read(file) == f.bytes) << f.name;
        EXPECT_EQ(StatOf(file).st_mtim.tv_sec, 1000000000) << f.name;
        EXPECT_EQ(StatOf(file).st_ino, inode) << f.name;

        for (qsizetype chunk : {1, 2, 65536})
            EXPECT_EQ(Replaced(box, f.bytes, {{"zebra", "x"}}, chunk).toHex().toStdString(), f.copied.toHex().toStdString())
                << f.name << chunk;

        EXPECT_TRUE(ProcessFile(file, file, Job({{"cat", "dog"}})).written) << f.name;
        EXPECT_TRUE(IoSandbox::read(file) == f.replaced) << f.name;
    }
}

TEST(FileReplace, ADryRunCountsButWritesNothingAndTellsWhetherARealRunWould)
{
    const struct {
        const char* source;
        bool inPlace;
        std::vector<Pair> pairs;
        std::int64_t counts;
        bool written;
    } cases[] = {
        {"cat cat", false, {{"cat", "dog"}}, 2, true},
        {"cow", false, {{"cat", "dog"}}, 0, true},    // a separate output is always written
        {"cat cat", true, {{"cat", "dog"}}, 2, true},
        {"cow", true, {{"cat", "dog"}}, 0, false},
        {"cat", true, {{"cat", "dog"}, {"dog", "cat"}}, 2, false},   // replaced, yet identical
        {"\xEF\xBB\xBF" "cow", true, {{"cat", "dog"}}, 0, false},  // nothing replaced: the mark stays
    };
    for (const auto& c : cases) {
        IoSandbox box;
        const QString in = box.write("in.txt", c.source);
        FileJob job = Job(c.pairs);
        job.dryRun = true;
        const FileOutcome r = ProcessFile(in, c.inPlace ? in : box.path("out.txt"), job);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.written, c.written) << c.source << " " << c.inPlace;
        EXPECT_EQ(std::accumulate(r.counts.begin(), r.counts.end(), std::int64_t{0}), c.counts);
        EXPECT_EQ(box.entries(), QStringList{"in.txt"});
        EXPECT_EQ(IoSandbox::read(in), c.source);
    }
}

TEST(FileReplace, TheMatchSinkHearsEachPairThatMatchedWithItsCountInThePairsOrder)
{
    struct Heard : MatchSink {
        QStringList pairs;
        void matched(size_t pair, std::int64_t count) override { pairs << QString("%1:%2").arg(pair).arg(count); }
    };
    IoSandbox box;
    const QString file = box.write("f.txt", "abc");
    for (const bool dryRun : {true, false}) {
        Heard heard;
        FileJob job = Job({{"a", "b"}, {"", "x"}, {"c", "d"}, {"b", "e"}, {"q", "r"}});
        job.matches = &heard;
        job.dryRun = dryRun;
        EXPECT_EQ(ProcessFile(file, box.path("out.txt"), job).counts, (std::vector<std::int64_t>{1, 0, 1, 2, 0}));
        EXPECT_EQ(heard.pairs, (QStringList{"0:1", "2:1", "3:2"})) << dryRun;
    }
    EXPECT_EQ(IoSandbox::read(box.path("out.txt")), "eed");
}
