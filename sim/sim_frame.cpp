#include "sim/sim_frame.h"

namespace sim {

std::uint8_t xor_bytes(std::uint8_t seed, const std::uint8_t* data, int length) {
    for (int i = 0; i < length; ++i)
        seed ^= data[i];
    return seed;
}

bool parse_request(const std::uint8_t* data, int length, QByteArray& payload) {
    if (!data || length < 3) return false;
    if (data[0] != kHostSource || (data[1] & 0x80) == 0) return false;
    const int n = data[1] & 0x7F;
    if (length != n + 3) return false;
    if (xor_bytes(kRequestChecksumSeed, data + 1, n + 1) != data[n + 2]) return false;
    payload = QByteArray(reinterpret_cast<const char*>(data + 2), n);
    return true;
}

QByteArray build_reply(const QByteArray& payload, std::uint8_t source) {
    const int n = static_cast<int>(payload.size()) & kMaxFramePayload;
    QByteArray frame;
    frame.reserve(n + 3);
    frame.append(static_cast<char>(source));
    frame.append(static_cast<char>(0x80 | n));
    frame.append(payload.left(n));
    frame.append('\0');
    reseal_reply(frame);
    return frame;
}

void reseal_reply(QByteArray& frame) {
    if (frame.size() < 3) return;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(frame.constData());
    const int last = static_cast<int>(frame.size()) - 1;
    frame[last] = static_cast<char>(xor_bytes(kReplyChecksumSeed, bytes, last));
}

}  // namespace sim
