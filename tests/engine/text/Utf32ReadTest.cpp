// UTF-32 sources: what no UTF-16 unit can stand for fails the file with its
// place; lone surrogates and stray last bytes are carried through unchanged.
#include "engine/FileReplace.h"
#include "engine/files/FileAccess.h"
#include "engine/text/SourceReader.h"
#include "tests/engine/IoSandbox.h"
#include "tests/engine/OutcomeWords.h"

#include <gtest/gtest.h>

#include <random>

using namespace quorvane;
using quorvane::test::Hex;
using quorvane::test::IoSandbox;
using quorvane::test::Why;

namespace {

const qsizetype kChunks[] = {1, 2, 3, 4, 5, 65536};

// A run's answer for one file: the result's bytes, or the failure's words.
struct Answer {
    QByteArray result;
    QString failure;
    bool operator==(const Answer&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Answer& a)
{
    return out << (a.failure.isEmpty() ? a.result.toHex(' ').toStdString() : "fails: " + a.failure.toStdString());
}

QString UnitText(char32_t unit)
{
    return QStringLiteral("0x%1").arg(QString::number(quint32(unit), 16).toUpper(), 8, QLatin1Char('0'));
}

// The whole file at once, as the rules read: each unit as its UTF-16 form
// with `from` turned into `to`, bytes past the last whole unit as they are.
Answer Reference(const QByteArray& file, char16_t from, char16_t to)
{
    const bool big = file.startsWith(Hex("0000FEFF"));
    const qsizetype whole = 4 + (file.size() - 4) / 4 * 4;
    Answer a{Hex("FFFE"), {}};
    const auto put = [&](char16_t u) {
        u = u == from ? to : u;
        a.result.append(char(u & 0xFF)).append(char(u >> 8));
    };
    char32_t high = 0;
    for (qsizetype at = 4; at < whole; at += 4) {
        char32_t cp = 0;
        for (int k = 0; k < 4; ++k)
            cp |= char32_t(quint8(file[at + k])) << (big ? 24 - 8 * k : 8 * k);
        if (cp > 0x10FFFF)
            return {{}, QString("not valid UTF-32 at byte %1 (%2)").arg(at).arg(UnitText(cp))};
        if (high && cp >= 0xDC00 && cp <= 0xDFFF)
            return {{}, QString("not valid UTF-32 at byte %1 (%2 %3)").arg(at - 4).arg(UnitText(high), UnitText(cp))};
        high = cp >= 0xD800 && cp <= 0xDBFF ? cp : 0;
        if (cp >= 0x10000) {
            put(char16_t(0xD800 + ((cp - 0x10000) >> 10)));
            put(char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            put(char16_t(cp));
        }
    }
    a.result += file.mid(whole);
    return a;
}

// A run of A -> B from `in` to a fresh output file.
Answer Replace(const IoSandbox& box, const QString& in, qsizetype chunk, bool dryRun = false)
{
    const QString out = box.path("out");
    QFile::remove(out);
    FileJob job;
    job.pairs = {{"A", "B"}};
    job.chunkUnits = chunk;
    job.dryRun = dryRun;
    const FileOutcome r = ProcessFile(in, out, job);
    EXPECT_EQ(QFile::exists(out), r.ok && !dryRun) << qPrintable(in);
    EXPECT_TRUE(r.ok || r.failure.stage == FileStage::Read) << qPrintable(Why(r));
    return r.ok ? Answer{dryRun ? QByteArray() : IoSandbox::read(out), {}} : Answer{{}, Why(r)};
}

// The reader's units as little-endian bytes after FF FE, then its stray bytes.
Answer Read(const QString& path, qint64 blockBytes)
{
    SourceReader reader(blockBytes);
    EXPECT_TRUE(reader.open(path));
    Answer a{Hex("FFFE"), {}};
    std::u16string_view block;
    do {
        if (!reader.nextUnits(block))
            return {{}, reader.errorDetail()};
        a.result.append(reinterpret_cast<const char*>(block.data()), qsizetype(block.size() * 2));
    } while (!block.empty());
    return {a.result + reader.trailingBytes(), {}};
}

} // namespace

TEST(Utf32Read, BadUnitsFailTheFileWithTheirPlaceAndLoneSurrogatesAndStrayBytesStay)
{
    const struct { const char* name; const char* file; Answer answer; } cases[] = {
        {"beyond U+10FFFF", "FFFE0000 41000000 00001100", {{}, "not valid UTF-32 at byte 8 (0x00110000)"}},
        {"beyond, big-endian", "0000FEFF 00000041 FFFFFFFF 00000041", {{}, "not valid UTF-32 at byte 8 (0xFFFFFFFF)"}},
        {"high then low", "FFFE0000 41000000 3DD80000 00DE0000", {{}, "not valid UTF-32 at byte 8 (0x0000D83D 0x0000DE00)"}},
        {"lone high", "FFFE0000 00D80000 41000000", {Hex("FFFE 00D8 4200"), {}}},
        {"low then high", "FFFE0000 00DC0000 00D80000 41000000", {Hex("FFFE 00DC 00D8 4200"), {}}},
        {"high then a pair", "0000FEFF 0000D800 0001F600 00000041", {Hex("FFFE 00D8 3DD8 00DE 4200"), {}}},
        {"a pair then low", "FFFE0000 00F60100 00DC0000 41000000", {Hex("FFFE 3DD8 00DE 00DC 4200"), {}}},
        {"one stray byte", "FFFE0000 41000000 7A", {Hex("FFFE 4200 7A"), {}}},
        {"two stray bytes", "FFFE0000 41000000 7A00", {Hex("FFFE 4200 7A00"), {}}},
        {"three stray bytes", "0000FEFF 00000041 00007A", {Hex("FFFE 4200 00007A"), {}}},
        {"stray bytes alone", "FFFE0000 41", {Hex("FFFE 41"), {}}},   // nothing to replace
        {"a bad unit in the stray bytes", "FFFE0000 41000000 FFFFFF", {Hex("FFFE 4200 FFFFFF"), {}}},
    };
    for (const auto& c : cases) {
        IoSandbox box;
        const QString file = box.write("f", Hex(c.file));
        EXPECT_EQ(Reference(Hex(c.file), u'A', u'B'), c.answer) << c.name;
        for (qsizetype chunk : kChunks)
            EXPECT_EQ(Replace(box, file, chunk), c.answer) << c.name << " at chunk " << chunk;
        // A dry run (what the preview shows) refuses what the run refuses.
        EXPECT_EQ(Replace(box, file, 65536, true).failure, c.answer.failure) << c.name;

        // In place a refused file stays as it was, as does one without an
        // "A"; the lines of a sets file are refused alike.
        FileJob job;
        job.pairs = {{"A", "B"}};
        const FileOutcome inPlace = ProcessFile(file, file, job);
        EXPECT_EQ(Why(inPlace), c.answer.failure) << c.name;
        const bool changes = c.answer.failure.isEmpty() && c.answer != Reference(Hex(c.file), 0, 0);
        EXPECT_EQ(IoSandbox::read(file), changes ? c.answer.result : Hex(c.file)) << c.name;
        QStringList lines;
        QString error;
        EXPECT_EQ(ReadTextFile(box.write("sets", Hex(c.file)), lines, &error), c.answer.failure.isEmpty()) << c.name;
        EXPECT_EQ(error, c.answer.failure) << c.name;
    }
}

// Reads of one megabyte: the units on either side of the first block's end.
TEST(Utf32Read, UnitsMeetingAtABlockEndAreJudgedAsTogether)
{
    const qsizetype last = (1 << 20) / 4 - 1;   // the first block's last unit
    const struct { const char* name; const char* around; Answer answer; } cases[] = {
        {"high then low", "00D80000 00DC0000", {{}, "not valid UTF-32 at byte 1048576 (0x0000D800 0x0000DC00)"}},
        {"lone high", "00D80000 41000000", {Hex("00D8 4200"), {}}},
        {"a pair then low", "00F60100 00DC0000", {Hex("3DD8 00DE 00DC"), {}}},
    };
    for (const auto& c : cases) {
        IoSandbox box;
        QByteArray file = Hex("FFFE0000"), result = Hex("FFFE");
        for (qsizetype k = 0; k < last; ++k) {
            file += Hex("41000000");
            result += Hex("4200");
        }
        const QString path = box.write("f", file + Hex(c.around) + Hex("41"));
        const Answer expected = c.answer.failure.isEmpty() ? Answer{result + c.answer.result + Hex("41"), {}} : c.answer;
        for (qsizetype chunk : kChunks)
            EXPECT_TRUE(Replace(box, path, chunk) == expected) << c.name << " at chunk " << chunk;
    }
}

// Random files of every kind of unit and tail against the whole-file reading,
// through the reader at tiny block sizes and through runs at every chunk size.
TEST(Utf32Read, StreamedReadingAgreesWithTheWholeFileOnRandomFiles)
{
    IoSandbox box;
    std::mt19937 random(20240622);
    const auto pick = [&](int n) { return int(random() % unsigned(n)); };
    const char32_t kinds[] = {U'A', U'x', U'\n', 0xE9, 0xFFFF, 0x1F600, 0x10FFFF, 0xD800, 0xDBFF, 0xDC00, 0xDFFF};
    int failed = 0;
    for (int n = 0; n < 300; ++n) {
        const bool big = pick(2);
        QByteArray file = big ? Hex("0000FEFF") : Hex("FFFE0000");
        for (int units = pick(24); units > 0; --units) {
            // One unit in 40 lies beyond the code space.
            const char32_t cp = pick(40) == 0 ? 0x110000 + char32_t(random() % 0xFFEF0000u)
                                              : kinds[pick(int(std::size(kinds)))];
            for (int k = 0; k < 4; ++k)
                file.append(char(cp >> (big ? 24 - 8 * k : 8 * k)));
        }
        for (int tail = pick(4); tail > 0; --tail)
            file.append(char(pick(256)));
        const QString path = box.write(QString("r%1").arg(n), file);
        const Answer expected = Reference(file, u'A', u'B');
        const Answer unreplaced = Reference(file, 0, 0);
        failed += !expected.failure.isEmpty();
        for (qint64 block : {1, 2, 3, 4, 5, 0})
            ASSERT_EQ(Read(path, block), unreplaced) << file.toHex(' ').constData() << " in blocks of " << block;
        ASSERT_EQ(Replace(box, path, kChunks[pick(int(std::size(kChunks)))]), expected) << file.toHex(' ').constData();
    }
    // Both kinds of file were met.
    EXPECT_GT(failed, 30);
    EXPECT_LT(failed, 270);
}
