#include <algorithm>
#include <array>
#include <cstring>

#include "comm/ddc_errors.h"
#include "comm/monitor_timing.h"
#include "comm/pvx_ddc_control.h"

namespace {

constexpr std::uint8_t kMemoryRequest = 0xC0;
constexpr std::uint8_t kMemoryReply = 0xC1;
constexpr std::uint8_t kTableRequest = 0xC2;
constexpr std::uint8_t kTableReply = 0xC3;
constexpr std::uint8_t kReadMemory = 0x09;
constexpr std::uint8_t kWriteMemory = 0x02;
constexpr std::uint8_t kReadWords = 0x0A;
constexpr std::uint8_t kWriteWords = 0x0B;
constexpr std::uint8_t kCommand06 = 0x06;
constexpr std::uint8_t kCommand07 = 0x07;

// A word table that does not read back as written is written again, a fixed number of passes
// in all.
constexpr int kVerifyPasses = 7;

bool count_too_large(int count, int limit) {
    return static_cast<unsigned>(count) > unsigned(limit);
}

std::uint8_t high(int value) {
    return static_cast<std::uint8_t>(value >> 8);
}
std::uint8_t low(int value) {
    return static_cast<std::uint8_t>(value);
}

}  // namespace

int PVX_ddc_control::read_memory_block(std::uint8_t* buffer, int address, int count) {
    if (count_too_large(count, kMaxMemoryBlock)) return ddc_error::kCount;
    if (count == 0) return ddc_error::kLength;
    const std::uint8_t request[] = {kMemoryRequest, kReadMemory, low(count), high(address),
                                    low(address)};
    std::array<std::uint8_t, kMaxMemoryBlock + 2> reply{};
    const int result = transact_fixed(request, sizeof request, reply.data(), count + 2);
    if (result != 0) return result;
    if (reply[0] != kMemoryReply || reply[1] != kReadMemory) return ddc_error::kOpcode;
    std::memcpy(buffer, reply.data() + 2, static_cast<std::size_t>(count));
    return 0;
}

int PVX_ddc_control::write_memory_block(const std::uint8_t* data, int address, int count) {
    if (count_too_large(count, kMaxMemoryBlock)) return ddc_error::kCount;
    if (count == 0) return ddc_error::kLength;
    std::array<std::uint8_t, kMaxMemoryBlock + 5> request{kMemoryRequest, kWriteMemory, low(count),
                                                          high(address), low(address)};
    std::memcpy(request.data() + 5, data, static_cast<std::size_t>(count));
    return send_command(request.data(), count + 5, monitor_timing::kMemoryWritePauseMs);
}

int PVX_ddc_control::read_words(int* values, int address, int count) {
    if (count_too_large(count, kMaxWords)) return ddc_error::kCount;
    if (count == 0) return ddc_error::kLength;
    const std::uint8_t request[] = {kTableRequest, kReadWords, high(address), low(address),
                                    low(count)};
    std::array<std::uint8_t, 2 * kMaxWords + 2> reply{};
    const int result = transact_fixed(request, sizeof request, reply.data(), 2 * count + 2);
    if (result != 0) return result;
    if (reply[0] != kTableReply || reply[1] != kReadWords) return ddc_error::kOpcode;
    for (int i = 0; i < count; ++i) {
        values[i] = reply[static_cast<std::size_t>(2 + 2 * i)] * 256 +
                    reply[static_cast<std::size_t>(3 + 2 * i)];
    }
    return 0;
}

int PVX_ddc_control::write_words(const int* values, int address, int count) {
    if (count_too_large(count, kMaxWords)) return ddc_error::kCount;
    if (count == 0) return ddc_error::kLength;
    std::array<std::uint8_t, 2 * kMaxWords + 4> request{kTableRequest, kWriteWords, high(address),
                                                        low(address)};
    for (int i = 0; i < count; ++i) {
        request[static_cast<std::size_t>(4 + 2 * i)] = high(values[i]);
        request[static_cast<std::size_t>(5 + 2 * i)] = low(values[i]);
    }
    return send_command(request.data(), 4 + 2 * count, monitor_timing::kMemoryWritePauseMs);
}

int PVX_ddc_control::table_command_06() {
    const std::uint8_t request[] = {kTableRequest, kCommand06};
    return send_command(request, sizeof request, monitor_timing::kCommand06PauseMs);
}

int PVX_ddc_control::table_command_07() {
    const std::uint8_t request[] = {kTableRequest, kCommand07};
    return send_command(request, sizeof request, monitor_timing::kCommand07PauseMs);
}

int PVX_ddc_control::read_memory(std::uint8_t* buffer, int address, int length) {
    if (length < 0) return ddc_error::kLength;
    for (int done = 0; done < length; done += kMaxMemoryBlock) {
        const int block = std::min(kMaxMemoryBlock, length - done);
        const int result = read_memory_block(buffer + done, address + done, block);
        if (result != 0) return result;
    }
    return 0;
}

int PVX_ddc_control::write_memory(const std::uint8_t* data, int address, int length) {
    if (length < 0) return ddc_error::kLength;
    for (int done = 0; done < length; done += kMaxMemoryBlock) {
        const int block = std::min(kMaxMemoryBlock, length - done);
        const int result = write_memory_block(data + done, address + done, block);
        if (result != 0) return result;
        link->wait(monitor_timing::kBetweenBlocksPauseMs);
    }
    return 0;
}

int PVX_ddc_control::write_words_verified(const int* values, int address, int count) {
    for (int pass = 0; pass < kVerifyPasses; ++pass) {
        if (pass > 0) link->wait(monitor_timing::kTableVerifyPauseMs);
        const int written = write_words(values, address, count);
        if (written != 0) return written;
        std::array<int, kMaxWords> back{};
        // Only a successful read-back can confirm the words; a failed one counts as a mismatch.
        const int read = read_words(back.data(), address, count);
        if (read == 0 && std::equal(values, values + count, back.begin())) return read;
    }
    return ddc_error::kVerify;
}
