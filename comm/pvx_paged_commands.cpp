#include <array>

#include "comm/ddc_errors.h"
#include "comm/monitor_timing.h"
#include "comm/pvx_ddc_control.h"

namespace {

constexpr std::uint8_t kGetPaged = 0xC6;
constexpr std::uint8_t kPagedReply = 0xC7;
constexpr std::uint8_t kSetPaged = 0xC8;
// C7: opcode, result code, page, code, type, maximum (2), current (2).
constexpr int kPagedReplyLength = 9;

// While a monitor answers a paged write with null messages it is still working: look again,
// up to 17 times.
constexpr int kPollCount = 17;

bool out_of_range(int page, int code) {
    return static_cast<unsigned>(page) > 255 || static_cast<unsigned>(code) > 255;
}

struct PagedReply {
    std::array<std::uint8_t, kPagedReplyLength> bytes{};
    int length = kPagedReplyLength;

    int judge(int page, int code) const {
        if (length != kPagedReplyLength) return ddc_error::kLength;
        if (bytes[0] != kPagedReply) return ddc_error::kOpcode;
        if (bytes[2] != page || bytes[3] != code) return ddc_error::kEcho;
        return 0;
    }
    void store(int& current, int& maximum, int& result_code, int& type) const {
        result_code = bytes[1];
        type = bytes[4];
        maximum = bytes[5] * 256 + bytes[6];
        current = bytes[7] * 256 + bytes[8];
    }
};

}  // namespace

int PVX_ddc_control::get_paged(int page, int code, int& current, int& maximum, int& result_code,
                               int& type) {
    if (out_of_range(page, code)) return ddc_error::kCodeRange;
    const std::uint8_t request[] = {kGetPaged, static_cast<std::uint8_t>(page),
                                    static_cast<std::uint8_t>(code)};
    int result = ddc_error::kLength;
    for (int k = 0; k < attempts(); ++k) {
        if (k > 0)
            link->wait(monitor_timing::kPagedGetRetryBaseMs +
                       monitor_timing::kPagedGetRetryStepMs * k);
        PagedReply reply;
        const int exchanged = transact(request, sizeof request, reply.bytes.data(), reply.length,
                                       true, monitor_timing::kReplyDelayBaseMs);
        if (exchanged != 0) return exchanged;
        result = reply.judge(page, code);
        if (result == 0) {
            reply.store(current, maximum, result_code, type);
            return 0;
        }
        // A foreign opcode is most often a late reply to an earlier request: the next attempt
        // may bring the right one.
    }
    return result;
}

int PVX_ddc_control::set_paged(int page, int code, int& value, int& maximum, int& result_code,
                               int& type) {
    if (out_of_range(page, code)) return ddc_error::kCodeRange;
    const std::uint8_t request[] = {
        kSetPaged, static_cast<std::uint8_t>(page), static_cast<std::uint8_t>(code),
        static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
    const int polls = retries > 0 ? kPollCount : 1;
    int result = 0;
    for (int k = 0; k < attempts(); ++k) {
        if (k > 0)
            link->wait(monitor_timing::kPagedSetRetryBaseMs +
                       monitor_timing::kPagedSetRetryStepMs * k);
        PagedReply reply;
        const int exchanged = transact(request, sizeof request, reply.bytes.data(), reply.length,
                                       false, monitor_timing::kReplyDelayBaseMs);
        if (exchanged != 0) return exchanged;
        if (reply.length != 0) {
            result = reply.judge(page, code);
        } else {
            // Still working: the answer follows on its own, without a new request. Polls that
            // bring only null messages end the attempt as a null reply.
            result = ddc_error::kNullReply;
            for (int p = 0; p < polls; ++p) {
                link->wait(monitor_timing::kPagedPollIntervalMs);
                reply.length = kPagedReplyLength;
                const int polled = receive_only(reply.bytes.data(), reply.length,
                                                monitor_timing::kPagedPollPauseMs);
                if (polled == 0 && reply.length == 0) continue;
                result = polled != 0 ? polled : reply.judge(page, code);
                break;
            }
        }
        if (result == 0) {
            reply.store(value, maximum, result_code, type);
            return 0;
        }
        if (result == ddc_error::kOpcode) return result;
    }
    return result;
}
