// Pieces of every size reach the file whole and in order, whether they were
// gathered in memory or written straight out, and a discarded file leaves
// nothing behind.
#include "engine/write/AtomicWrite.h"

#include "tests/engine/IoSandbox.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace quorvane
