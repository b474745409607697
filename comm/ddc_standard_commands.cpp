#include <algorithm>
#include <array>
#include <cstring>

#include "comm/ddc_control.h"
#include "comm/ddc_errors.h"
#include "comm/monitor_timing.h"

namespace {

constexpr std::uint8_t kGetVcp = 0x01;
constexpr std::uint8_t kGetVcpReply = 0x02;
constexpr int kGetVcpReplyLength = 8;
constexpr std::uint8_t kSetVcp = 0x03;
constexpr std::uint8_t kSaveSettings = 0x0C;
constexpr std::uint8_t kCapabilitiesRequest = 0xF3;
constexpr std::uint8_t kCapabilitiesReply = 0xE3;

// A capability fragment carries at most 32 text bytes after the opcode and the offset.
constexpr int kCapabilityReplyCapacity = 35;
constexpr int kCapabilityHeader = 3;

constexpr int kEdidBlock = 128;
constexpr std::array<std::uint8_t, 8> kEdidHeader = {0x00, 0xFF, 0xFF, 0xFF,
                                                     0xFF, 0xFF, 0xFF, 0x00};
constexpr int kEdidExtensionCount = 126;

bool code_out_of_range(int code) {
    return static_cast<unsigned>(code) > 255;
}

std::uint8_t block_sum(const std::uint8_t* block) {
    std::uint8_t sum = 0;
    for (int i = 0; i < kEdidBlock; ++i)
        sum = static_cast<std::uint8_t>(sum + block[i]);
    return sum;
}

}  // namespace

int ddc_control::get_vcp(int code, int& current, int& maximum, int& result_code, int& type) {
    if (code_out_of_range(code)) return ddc_error::kCodeRange;
    const std::uint8_t request[] = {kGetVcp, static_cast<std::uint8_t>(code)};
    std::array<std::uint8_t, kGetVcpReplyLength> reply{};
    // A reply for another code or opcode is most often the late answer to an earlier request:
    // like a reply of the wrong length it costs one attempt, and only the last one's fault is
    // reported.
    int result = ddc_error::kLength;
    for (int k = 0; k < attempts(); ++k) {
        int length = kGetVcpReplyLength;
        const int exchanged = transact(request, sizeof request, reply.data(), length, true,
                                       monitor_timing::kReplyDelayBaseMs);
        if (exchanged != 0) return exchanged;
        if (length != kGetVcpReplyLength) {
            result = ddc_error::kLength;
        } else if (reply[0] != kGetVcpReply) {
            result = ddc_error::kOpcode;
        } else if (reply[2] != code) {
            result = ddc_error::kEcho;
        } else {
            result_code = reply[1];
            type = reply[3];
            maximum = reply[4] * 256 + reply[5];
            current = reply[6] * 256 + reply[7];
            return 0;
        }
    }
    return result;
}

int ddc_control::set_vcp(int code, int value) {
    if (code_out_of_range(code)) return ddc_error::kCodeRange;
    const std::uint8_t request[] = {kSetVcp, static_cast<std::uint8_t>(code),
                                    static_cast<std::uint8_t>(value >> 8),
                                    static_cast<std::uint8_t>(value)};
    return send_command(request, sizeof request, monitor_timing::kSetVcpPauseMs);
}

int ddc_control::save_settings() {
    const std::uint8_t request[] = {kSaveSettings};
    return send_command(request, sizeof request, monitor_timing::kSaveSettingsPauseMs);
}

int ddc_control::get_capabilities(char* buffer, int size) {
    if (!buffer || size <= 0) return ddc_error::kNoRoom;
    int offset = 0;
    int copied = 0;
    int failures = 0;
    int step_result = 0;
    bool ended = false;
    // A bad fragment is asked for again at the same offset; a run of bad replies longer than
    // the retry count gives up, a good one starts the count afresh.
    while (true) {
        const std::uint8_t request[] = {kCapabilitiesRequest,
                                        static_cast<std::uint8_t>(offset >> 8),
                                        static_cast<std::uint8_t>(offset)};
        std::array<std::uint8_t, kCapabilityReplyCapacity> reply{};
        int length = kCapabilityReplyCapacity;
        step_result = transact(request, sizeof request, reply.data(), length, true,
                               monitor_timing::kReplyDelayBaseMs);
        if (step_result == 0) {
            if (length < kCapabilityHeader) {
                step_result = ddc_error::kLength;
            } else if (reply[0] != kCapabilitiesReply || reply[1] * 256 + reply[2] != offset) {
                step_result = ddc_error::kOpcode;
            }
        }
        if (step_result == 0) {
            const int fragment = length - kCapabilityHeader;
            if (copied + fragment >= size) {
                buffer[copied] = '\0';
                return ddc_error::kNoRoom;
            }
            const std::uint8_t* text = reply.data() + kCapabilityHeader;
            std::memcpy(buffer + copied, text, static_cast<std::size_t>(fragment));
            copied += fragment;
            if (fragment == 0 || std::find(text, text + fragment, 0) != text + fragment) {
                ended = true;
            }
            offset += fragment;
            failures = 0;
        }
        if (failures++ > retries || ended) break;
    }
    buffer[copied] = '\0';
    return step_result < 0 ? step_result : copied;
}

int ddc_control::read_edid(std::uint8_t* buffer, bool check) {
    if (const int begun = link->begin_access(); begun != 0) return begun;
    std::uint8_t* extension = buffer + kEdidBlock;
    int result = 0;
    for (int k = 0; k < attempts(); ++k) {
        result = link->read_register(buffer, low_level_ddc::kEdidAddress, 0, kEdidBlock);
        if (result >= 0) break;
        link->wait(monitor_timing::kEdidRetryBaseMs + monitor_timing::kEdidRetryStepMs * k);
    }
    // The second half never keeps bytes of an earlier read: without an extension it is zero.
    bool extension_read = false;
    if (result >= 0 && check) {
        if (!std::equal(kEdidHeader.begin(), kEdidHeader.end(), buffer)) {
            result = ddc_error::kEdidHeader;
        }
        if (block_sum(buffer) != 0) result = ddc_error::kEdidChecksum;
        if (buffer[kEdidExtensionCount] != 0) {
            const int read =
                link->read_register(extension, low_level_ddc::kEdidAddress, kEdidBlock, kEdidBlock);
            if (read < 0) {
                result = read;
            } else {
                extension_read = true;
                if (block_sum(extension) != 0) result = ddc_error::kEdidChecksum;
            }
        }
    }
    if (!extension_read) std::fill(extension, extension + kEdidBlock, 0);
    link->end_access();
    return result;
}
