// Pieces of every size reach the file whole and in order, whether they were
// gathered in memory, written straight out or written behind on a thread of
// their own, and a discarded or failed file leaves nothing behind.
#include "engine/write/AtomicWrite.h"

#include "tests/engine/IoSandbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace quorvane {
namespace {

TEST(AtomicWrite, ShortAndLongPiecesArriveWholeAndInOrder)
{
    test::IoSandbox box;
    const QString target = box.write("out.txt", "old");
    QByteArray expected;
    AtomicFile file(target);
    // Short pieces around long ones, and enough of them to fill the memory buffer.
    const int sizes[] = {10, 300000, 5, 700000, 262144, 262143, 1, 900000, 2000000, 3};
    char fill = 'a';
    for (int size : sizes) {
        const QByteArray piece(size, fill++);
        ASSERT_TRUE(file.append(piece.constData(), piece.size()));
        expected += piece;
    }
    EXPECT_EQ(file.size(), expected.size());
    ASSERT_TRUE(file.finish(false));
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(test::IoSandbox::read(target), expected);
    EXPECT_EQ(box.entries(), QStringList{"out.txt"});
}

TEST(AtomicWrite, ADiscardedFileLeavesTheTargetAndNoTemporaryFile)
{
    test::IoSandbox box;
    const QString target = box.write("out.txt", "old");
    {
        AtomicFile file(target);
        const QByteArray piece(400000, 'x');  // long enough to be written out at once
        ASSERT_TRUE(file.append(piece.constData(), piece.size()));
        file.discard();
    }
    EXPECT_EQ(test::IoSandbox::read(target), "old");
    EXPECT_EQ(box.entries(), QStringList{"out.txt"});
}

// Five megabytes in pieces of 64 KB: past the first two, they are written behind.
QByteArray LongResult()
{
    QByteArray bytes;
    for (int i = 0; bytes.size() < 5 * (1 << 20); ++i)
        bytes += QByteArray::number(i) + ' ';
    return bytes;
}

bool AppendInPieces(AtomicFile& file, const QByteArray& bytes)
{
    for (qsizetype at = 0; at < bytes.size(); at += 1 << 16) {
        if (!file.append(bytes.constData() + at, std::min<qsizetype>(1 << 16, bytes.size() - at)))
            return false;
    }
    return true;
}

TEST(AtomicWrite, ALongResultIsComparedAndHashedWholeWhileWrittenBehind)
{
    const QByteArray original = LongResult();
    QByteArray changed = original;
    changed[changed.size() - 1] = '!';
    for (const bool same : {true, false}) {
        SCOPED_TRACE(same);
        test::IoSandbox box;
        const QString target = box.write("out.txt", original);
        const QByteArray result = same ? original : changed;
        AtomicFile file(target);
        file.compareWithTarget();
        file.hashContent(HashKind::Xxh3_128);
        ASSERT_TRUE(AppendInPieces(file, result));
        EXPECT_EQ(file.sameAsTarget(), same);
        ASSERT_TRUE(file.finish(false));
        EXPECT_EQ(file.contentHash(), ContentHash::hash(result, HashKind::Xxh3_128));
        ASSERT_TRUE(file.commit());
        EXPECT_EQ(test::IoSandbox::read(target), result);
        EXPECT_EQ(box.entries(), QStringList{"out.txt"});
    }
}

TEST(AtomicWrite, ALongResultAnnouncesTheFileItReplacesUntilItIsRenamedOrDropped)
{
    const struct {
        const char* name;
        bool targetExists;
        bool longResult;
        bool commit;
        qint64 announced;
    } cases[] = {
        {"long, renamed", true, true, true, 3000},
        {"long, dropped", true, true, false, 3000},
        {"long, creating its target", false, true, true, 0},
        {"short", true, false, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::IoSandbox box;
        const QString target = c.targetExists ? box.write("out.txt", QByteArray(3000, 'o')) : box.path("out.txt");
        std::vector<qint64> told, toldWhenFinished;
        {
            AtomicFile file(target);
            file.setAnnounce([&told](qint64 bytes) { told.push_back(bytes); });
            ASSERT_TRUE(AppendInPieces(file, c.longResult ? LongResult() : QByteArray("new")));
            ASSERT_TRUE(file.finish(false));
            toldWhenFinished = told;
            if (c.commit) {
                ASSERT_TRUE(file.commit());
            }
        }
        using Told = std::vector<qint64>;
        EXPECT_EQ(toldWhenFinished, c.announced ? Told{c.announced} : Told{});
        EXPECT_EQ(told, c.announced ? (Told{c.announced, -c.announced}) : Told{});
    }
}

TEST(AtomicWrite, AFailedWriteFailsTheFileWhetherWrittenAtOnceOrBehind)
{
    // The first write of a megabyte happens on the caller's thread; the
    // fourth, behind it.
    for (const int after : {0, 3}) {
        SCOPED_TRACE(after);
        test::IoSandbox box;
        const QString target = box.write("out.txt", "old");
        AtomicFile file(target);
        InjectWriteFailure(WriteStep::Write, ENOSPC, 1, after);
        const bool appended = AppendInPieces(file, LongResult());
        EXPECT_FALSE(appended && file.finish(false));
        InjectWriteFailure(WriteStep::Write, 0, 0);
        EXPECT_EQ(file.error(), FileError(FileStage::Write, ENOSPC, target));
        EXPECT_EQ(test::IoSandbox::read(target), "old");
        EXPECT_EQ(box.entries(), QStringList{"out.txt"});
    }
}

} // namespace
} // namespace quorvane
