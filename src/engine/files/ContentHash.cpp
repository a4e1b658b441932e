#include "engine/files/ContentHash.h"

#include <new>
#include <xxhash.h>

namespace quorvane {

namespace {

const struct {
    const char* name;
    HashKind kind;
    QCryptographicHash::Algorithm algorithm;
} kKinds[] = {
    {"Xxh3_128", HashKind::Xxh3_128, QCryptographicHash::Md5},   // the algorithm is unused
    {"Blake2b_256", HashKind::Blake2b_256, QCryptographicHash::Blake2b_256},
    {"Sha1", HashKind::Sha1, QCryptographicHash::Sha1},
    {"Sha256", HashKind::Sha256, QCryptographicHash::Sha256},
    {"Md5", HashKind::Md5, QCryptographicHash::Md5},
};

} // namespace

QString HashKindName(HashKind kind)
{
    for (const auto& k : kKinds) {
        if (k.kind == kind)
            return QString::fromLatin1(k.name);
    }
    return {};
}

std::optional<HashKind> HashKindNamed(const QString& name)
{
    for (const auto& k : kKinds) {
        if (name == QLatin1String(k.name))
            return k.kind;
    }
    return std::nullopt;
}

void ContentHash::FreeState::operator()(XXH3_state_s* state) const
{
    XXH3_freeState(state);
}

ContentHash::ContentHash(HashKind kind)
{
    if (kind == HashKind::Xxh3_128) {
        m_xxh.reset(XXH3_createState());
        if (!m_xxh)
            throw std::bad_alloc();
        XXH3_128bits_reset(m_xxh.get());
        return;
    }
    for (const auto& k : kKinds) {
        if (k.kind == kind)
            m_crypto = std::make_unique<QCryptographicHash>(k.algorithm);
    }
}

ContentHash::~ContentHash() = default;

void ContentHash::addData(QByteArrayView data)
{
    if (m_xxh)
        XXH3_128bits_update(m_xxh.get(), data.data(), size_t(data.size()));
    else
        m_crypto->addData(data);
}

QByteArray ContentHash::result() const
{
    if (!m_xxh)
        return m_crypto->result();
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, XXH3_128bits_digest(m_xxh.get()));
    return QByteArray(reinterpret_cast<const char*>(canonical.digest), sizeof canonical.digest);
}

QByteArray ContentHash::hash(QByteArrayView data, HashKind kind)
{
    ContentHash h(kind);
    h.addData(data);
    return h.result();
}

} // namespace quorvane
