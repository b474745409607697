#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>

#include "comm/low_level_ddc.h"

// The DDC/CI command set of one monitor: the transaction rules (attempts, waits, the pause after
// each exchange) and the standard VESA commands. Owns the link it talks through.
class ddc_control {
  public:
    // The largest request payload and reply capacity a transaction accepts.
    static constexpr int kMaxMessage = 120;
    static constexpr int kDefaultRetries = 4;
    // Size of the buffer `read_edid` fills: the base block and one extension block.
    static constexpr int kEdidSize = 256;

    ddc_control(int interface_index, int link_parameter, int mode);
    virtual ~ddc_control();
    ddc_control(const ddc_control&) = delete;
    ddc_control& operator=(const ddc_control&) = delete;

    // One-way message; waits `post_delay` ms afterwards whether or not it went out.
    int send_command(const std::uint8_t* payload, int length, int post_delay);
    // Request and reply. `reply_length` is the reply capacity on entry and the payload length
    // received on return. A null reply is a success with length 0 unless `null_is_error`.
    int transact(const std::uint8_t* request, int length, std::uint8_t* reply, int& reply_length,
                 bool null_is_error, int base_delay);
    // Reads the reply to a request sent earlier.
    int receive_only(std::uint8_t* reply, int& reply_length, int post_delay);

    int get_vcp(int code, int& current, int& maximum, int& result_code, int& type);
    int set_vcp(int code, int value);
    int save_settings();
    // Fills `buffer` (NUL-terminated) with the capability string; the number of bytes copied.
    int get_capabilities(char* buffer, int size);
    // Reads 256 bytes (the second half zero without an extension block); positive on success.
    int read_edid(std::uint8_t* buffer, bool check);

    int mode;
    int retries;
    std::unique_ptr<low_level_ddc> link;

  protected:
    int attempts() const;
    // The waits after failed attempt `attempt`, without the bus unless it was the last: 0, or
    // why the bus could not be taken again (the transaction then ends without it).
    int back_off(int attempt, std::initializer_list<int> waits);
    // Repeats the exchange, at most `retries` + 1 times, until the reply has exactly `expected`
    // bytes (then 0); -24 when none had, or the first transaction error.
    int transact_fixed(const std::uint8_t* request, int length, std::uint8_t* reply, int expected);
};
