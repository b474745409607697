#include "platform/edid_identity.h"

#include <array>
#include <cstdint>

namespace platform {

namespace {
constexpr std::array<std::uint8_t, 8> kHeader{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};

int byte_at(const QByteArray& bytes, int i) {
    return static_cast<std::uint8_t>(bytes[i]);
}
}  // namespace

bool has_edid_header(const QByteArray& edid) {
    if (edid.size() < static_cast<int>(kHeader.size())) return false;
    for (int i = 0; i < static_cast<int>(kHeader.size()); ++i) {
        if (byte_at(edid, i) != kHeader[static_cast<std::size_t>(i)]) return false;
    }
    return true;
}

QString edid_identifier(const QByteArray& edid) {
    if (edid.size() < 12 || !has_edid_header(edid)) return QString();
    const int vendor = byte_at(edid, 8) << 8 | byte_at(edid, 9);
    QString text;
    for (int shift : {10, 5, 0})
        text += QChar(((vendor >> shift) & 0x1F) + 0x40);
    const int product = byte_at(edid, 11) << 8 | byte_at(edid, 10);
    return text + QStringLiteral("%1").arg(product, 4, 16, QLatin1Char('0')).toUpper();
}

QString edid_descriptor_text(const QByteArray& edid, int tag) {
    if (edid.size() < 128 || !has_edid_header(edid)) return QString();
    for (int start = 54; start < 126; start += 18) {
        if (byte_at(edid, start) != 0 || byte_at(edid, start + 1) != 0 ||
            byte_at(edid, start + 3) != tag) {
            continue;
        }
        QString text;
        for (int i = start + 5; i < start + 18 && byte_at(edid, i) != 0x0A; ++i)
            text += QChar::fromLatin1(static_cast<char>(byte_at(edid, i)));
        return text.trimmed();
    }
    return QString();
}

}  // namespace platform
