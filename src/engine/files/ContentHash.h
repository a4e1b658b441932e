#pragma once
// The checksums that record what a run wrote, so undo can tell whether a file
// still holds it. New runs use xxh3-128: an integrity check, not a guard
// against forgery, and fast enough (about 10 GB/s) to keep pace with writing.
// The cryptographic hashes earlier runs were recorded with stay readable.
#include <QByteArray>
#include <QByteArrayView>
#include <QCryptographicHash>
#include <QString>
#include <memory>
#include <optional>

struct XXH3_state_s;

namespace quorvane {

enum class HashKind { Xxh3_128, Blake2b_256, Sha1, Sha256, Md5 };

// The name a manifest records the kind by ("Xxh3_128", "Blake2b_256", ...),
// and the kind a name stands for (nullopt for one this program does not know).
QString HashKindName(HashKind kind);
std::optional<HashKind> HashKindNamed(const QString& name);

class ContentHash {
public:
    explicit ContentHash(HashKind kind);
    ~ContentHash();
    ContentHash(const ContentHash&) = delete;
    ContentHash& operator=(const ContentHash&) = delete;

    void addData(QByteArrayView data);
    // The digest's bytes (xxh3-128 in its canonical, big-endian form).
    QByteArray result() const;

    static QByteArray hash(QByteArrayView data, HashKind kind);

private:
    struct FreeState {
        void operator()(XXH3_state_s* state) const;
    };
    std::unique_ptr<XXH3_state_s, FreeState> m_xxh;
    std::unique_ptr<QCryptographicHash> m_crypto;
};

} // namespace quorvane
