#pragma once

#include <QByteArray>
#include <cstdint>

namespace sim {

// I2C addresses as 8-bit write addresses; reads use the same address with bit 0 set.
constexpr int kDdcAddress = 0x6E;
constexpr int kEdidAddress = 0xA0;

constexpr std::uint8_t kHostSource = 0x51;
constexpr std::uint8_t kMonitorSource = 0x6E;
// A request's checksum covers the destination address too, so its running XOR starts at
// 0x6E ^ 0x51; a reply's starts at 0x50, the virtual address of the host's reading side.
constexpr std::uint8_t kRequestChecksumSeed = 0x6E ^ 0x51;
constexpr std::uint8_t kReplyChecksumSeed = 0x50;
constexpr int kMaxFramePayload = 0x7F;

std::uint8_t xor_bytes(std::uint8_t seed, const std::uint8_t* data, int length);

// The payload of a well-formed request frame, or false for anything a monitor must ignore:
// wrong source byte, length byte without bit 7, a length that disagrees with the bytes
// written, or a wrong checksum.
bool parse_request(const std::uint8_t* data, int length, QByteArray& payload);

// A reply frame: source, 0x80 | n, payload, checksum. An empty payload is the null message.
QByteArray build_reply(const QByteArray& payload, std::uint8_t source = kMonitorSource);

// Recomputes the checksum byte of a reply frame after one of its bytes was altered.
void reseal_reply(QByteArray& frame);

}  // namespace sim
