#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The little of an EDID that the platform layer needs to name and relate monitors (the full
// decoder belongs to the monitor communication layer above).

// The fixed eight bytes every EDID base block starts with.
bool has_edid_header(const QByteArray& edid);

// "KST6C11": the three manufacturer letters and the product code in hex; empty without a
// valid header.
QString edid_identifier(const QByteArray& edid);

// The monitor-name (0xFC) and serial-text (0xFF) descriptors of the base block; empty when
// absent.
QString edid_descriptor_text(const QByteArray& edid, int tag);
constexpr int kEdidNameTag = 0xFC;
constexpr int kEdidSerialTag = 0xFF;

}  // namespace platform
