#pragma once
// A text as the units a stream of its width holds: UTF-8 bytes, or UTF-16 units.
#include <QString>
#include <QStringView>

#include <string>

namespace quorvane {

// text as Unit (char: UTF-8 bytes; char16_t: its UTF-16 units as they are).
template <typename Unit>
std::basic_string<Unit> UnitsOf(QStringView text)
{
    if constexpr (sizeof(Unit) == 1) {
        const QByteArray bytes = text.toUtf8();
        return std::string(bytes.constData(), std::size_t(bytes.size()));
    } else {
        return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), std::size_t(text.size()));
    }
}

} // namespace quorvane
