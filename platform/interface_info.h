#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace platform {

// The 484-byte interface information record that GetDisplayInterfaceInfo fills. Integers are
// stored little-endian, texts zero-terminated.
constexpr int kInterfaceInfoSize = 484;
constexpr int kInterfaceTypeUsb = 9;

namespace info_offset {
constexpr int size = 0;
constexpr int type = 4;
constexpr int usable = 8;
constexpr int model_name = 9;  // up to 67 bytes
constexpr int model_name_capacity = 67;
constexpr int area = 76;  // four int32
constexpr int skip_video = 93;
constexpr int serial = 352;  // up to 128 bytes
constexpr int serial_capacity = 128;
constexpr int product_id = 480;
}  // namespace info_offset

struct CInterfaceInfo {
    std::array<std::uint8_t, kInterfaceInfoSize> bytes{};

    CInterfaceInfo() { set_int(info_offset::size, kInterfaceInfoSize); }

    std::int32_t get_int(int offset) const;
    void set_int(int offset, std::int32_t value);
    // Texts are cut to capacity - 1 bytes so that the terminating zero always fits.
    QByteArray get_text(int offset, int capacity) const;
    void set_text(int offset, int capacity, const QByteArray& text);

    int type() const { return get_int(info_offset::type); }
    bool usable() const { return bytes[info_offset::usable] != 0; }
    bool skip_video() const { return bytes[info_offset::skip_video] != 0; }
    QByteArray model_name() const {
        return get_text(info_offset::model_name, info_offset::model_name_capacity);
    }
    QByteArray serial() const {
        return get_text(info_offset::serial, info_offset::serial_capacity);
    }
    std::int32_t product_id() const { return get_int(info_offset::product_id); }
    std::int32_t area(int i) const { return get_int(info_offset::area + 4 * i); }
};

}  // namespace platform
