#pragma once
// What a dry run would have written, for the entries after it: a real run
// reads a file as the entries before it left it, so a dry run that is to
// foresee the run reads an earlier entry's result in place of the file.
// Only results that a later entry reads are kept, each in a temporary file.
#include "engine/FileReplace.h"
#include "engine/files/FileIdentity.h"

#include <QHash>
#include <QString>
#include <QTemporaryFile>
#include <functional>
#include <memory>
#include <optional>

namespace quorvane {

class DryResults {
public:
    DryResults();
    ~DryResults();   // the kept results' files go with it

    // Learns which entries read which file: source(index) is entry index's
    // source, or nullopt when unknown. One stat per entry.
    void learn(qsizetype count, const std::function<std::optional<QString>(qsizetype)>& source);

    // A tap that keeps entry index's result when a later entry reads output,
    // else nullptr. next, when given, receives every byte too.
    ResultTap* keepFor(qsizetype index, const QString& output, ResultTap* next);
    // The entry is done: its kept result stands for output from now on when
    // it would have been written; otherwise it is dropped.
    void done(bool written);

    // The file that stands for path now (an earlier entry's kept result), or
    // empty to read path itself.
    QString standIn(const QString& path) const;

private:
    class Tap;
    // Files are known by device and inode where they exist, else by their
    // clean absolute path (an output not made yet).
    struct Key {
        FileIdentity id;
        QString path;
        bool operator==(const Key&) const = default;
    };
    friend size_t qHash(const Key& key, size_t seed) noexcept
    {
        return key.id.known() ? qHash(key.id, seed) : qHash(key.path, seed);
    }
    static Key keyOf(const QString& path);

    QHash<Key, qsizetype> m_lastReader;                      // the last entry reading each file
    QHash<Key, std::shared_ptr<QTemporaryFile>> m_kept;      // results standing for files
    std::unique_ptr<Tap> m_tap;                              // the entry in hand's
    Key m_tapKey;
};

} // namespace quorvane
