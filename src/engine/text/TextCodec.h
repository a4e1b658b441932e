#pragma once
// Text file codec: classes a file by its byte-order mark and reads its text.
// Only regular files are ever opened; a FIFO, socket or device fails like an
// unreadable file.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace quorvane {

enum class TextEncoding { Ansi, Unicode, Utf8 };

// The exact form behind a class, as far as reading needs it.
enum class SourceForm { Bytes, Utf8Marked, Utf16LE, Utf16BE, Utf32LE, Utf32BE };

struct Detected {
    TextEncoding encoding = TextEncoding::Ansi;
    SourceForm form = SourceForm::Bytes;
    int markLength = 0;   // bytes of the mark, never part of the text
};

// How one file is read and its result written. Chosen per file, today by
// the mark alone (ChooseCodec); a run carries it with the file's outcome.
struct FileCodec {
    Detected read;           // the form the source was read in
    QByteArray resultMark;   // bytes the result starts with
};

// The codec for a source classed as detected: Ansi and Utf8 results as raw
// bytes without a mark, Unicode (any UTF-16 or UTF-32 form) as UTF-16LE with FF FE.
FileCodec ChooseCodec(const Detected& detected);

// A line of a file read as UTF-8 whose bytes are not UTF-8: its 1-based
// number and its bytes.
using RawLine = std::pair<qsizetype, QByteArray>;

// Lines of a text file in any class, without terminators: CR LF, LF and a lone
// CR each end a line, and a final terminator adds no line. An empty text gives
// one empty line. Ansi bytes are decoded as UTF-8, invalid sequences as U+FFFD;
// *notUtf8 gets such lines, ascending. False and *error on failure, also for
// UTF-32 that has no faithful UTF-16 form (see SourceReader).
bool ReadTextFile(const QString& path, QStringList& lines, QString* error = nullptr,
                  TextEncoding* encoding = nullptr, std::vector<RawLine>* notUtf8 = nullptr);

// UTF-8 bytes as text, invalid sequences as U+FFFD. Unlike QString::fromUtf8, a
// leading U+FEFF is kept: in a name or a line it is a character like any other.
QString Utf8Text(QByteArrayView bytes);

} // namespace quorvane
