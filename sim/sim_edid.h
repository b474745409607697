#pragma once

#include <QByteArray>
#include <cstdint>

namespace sim {

struct CSimModel;

// The model's EDID for one serial number: 128 bytes, or 256 with a CEA extension block.
QByteArray build_edid(const CSimModel& model, const QByteArray& serial);

// The numeric serial of the base block: the serial text when it is a decimal number that fits,
// otherwise 0.
std::uint32_t edid_serial_number(const QByteArray& serial);

// The manufacturer word of bytes 8..9 for three letters 'A'..'Z'.
std::uint16_t edid_vendor_word(const QByteArray& letters);

}  // namespace sim
