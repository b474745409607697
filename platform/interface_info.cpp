#include "platform/interface_info.h"

#include <algorithm>
#include <cstring>

namespace platform {

std::int32_t CInterfaceInfo::get_int(int offset) const {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | bytes[static_cast<std::size_t>(offset + i)];
    return static_cast<std::int32_t>(v);
}

void CInterfaceInfo::set_int(int offset, std::int32_t value) {
    auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) {
        bytes[static_cast<std::size_t>(offset + i)] = static_cast<std::uint8_t>(v & 0xFF);
        v >>= 8;
    }
}

QByteArray CInterfaceInfo::get_text(int offset, int capacity) const {
    const char* start = reinterpret_cast<const char*>(bytes.data()) + offset;
    const void* end = std::memchr(start, 0, static_cast<std::size_t>(capacity));
    const int length = end ? static_cast<int>(static_cast<const char*>(end) - start) : capacity;
    return QByteArray(start, length);
}

void CInterfaceInfo::set_text(int offset, int capacity, const QByteArray& text) {
    std::uint8_t* start = bytes.data() + offset;
    std::memset(start, 0, static_cast<std::size_t>(capacity));
    const int length = std::min<int>(static_cast<int>(text.size()), capacity - 1);
    std::memcpy(start, text.constData(), static_cast<std::size_t>(length));
}

}  // namespace platform
