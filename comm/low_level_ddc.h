#pragma once

#include <cstdint>
#include <vector>

// How well the link to one interface has gone: what a user with a flaky cable needs to see.
struct CLinkCounters {
    int exchanges = 0;          // requests framed and written
    int retries = 0;            // requests written again after the previous one went wrong
    int null_replies = 0;       // reads that brought a null message
    int checksum_errors = 0;    // replies whose checksum was wrong
    int failed_operations = 0;  // transactions that ended in a link error
};

// The DDC/CI link to one monitor: raw I2C transfers through the access object, the DDC/CI
// frame (source byte, length byte, checksum) and the check of a reply. It keeps no connection
// state: every exchange is self-contained.
class low_level_ddc {
  public:
    // DDC/CI slave of the display (8-bit write address; reads use it with bit 0 set).
    static constexpr int kDdcAddress = 0x6E;
    // EDID EEPROM of the display.
    static constexpr int kEdidAddress = 0xA0;
    // Source byte the host puts at the front of every request.
    static constexpr std::uint8_t kHostSource = 0x51;
    // The largest payload a frame's 7-bit length byte can announce.
    static constexpr int kMaxFramePayload = 127;

    low_level_ddc(int interface_index, int link_parameter, int mode);
    virtual ~low_level_ddc();
    low_level_ddc(const low_level_ddc&) = delete;
    low_level_ddc& operator=(const low_level_ddc&) = delete;

    // The operations below keep this order: derived links override them slot by slot.
    virtual int open();
    virtual int end_access();
    // A non-zero result aborts the transaction it would have started, with that value.
    virtual int begin_access();
    virtual int set_mode(int new_mode);
    // The access library's result unchanged: negative means failure.
    virtual int i2c_write(int address, const std::uint8_t* data, int length);
    // The access library's 0 becomes 1, so success is always positive.
    virtual int i2c_read(int address, std::uint8_t* buffer, int length);
    // Writes the register offset, then reads `length` bytes (the EDID's access pattern).
    virtual int read_register(std::uint8_t* buffer, int address, int offset, int length);
    // Reads one reply of at most `max_payload` payload bytes: the payload length (0 for a null
    // message) or a negative error.
    virtual int receive(std::uint8_t* payload, int max_payload);
    // Frames and writes one request; the write's result.
    virtual int send(const std::uint8_t* payload, int length);
    virtual int wait(int milliseconds);

    // Lets another program have the bus for a while inside a transaction (a back-off between
    // attempts) and takes it again: 0, or why it could not be taken. The transaction and its
    // figures go on as before.
    int release_bus();
    int retake_bus();

    // This link's figures, and those of every link to `interface_index` since the program
    // started (monitor objects come and go with the selected display; the figures must not).
    CLinkCounters counters() const;
    static CLinkCounters interface_counters(int interface_index);

    int mode;
    int interface_index;
    int link_parameter;
    int reserved;

  private:
    enum class Outcome { none, good, null_reply, error };
    void note_send(const std::uint8_t* payload, int length, int result);
    void note_receive(int result);
    void count(int CLinkCounters::*field);

    CLinkCounters counters_;
    // The transaction under way: what its last step brought, and its steps so far.
    Outcome outcome_ = Outcome::none;
    int sends_ = 0;
    int reads_since_send_ = 0;
    // The previous transaction's request and whether it went wrong, to tell a repeat.
    std::vector<std::uint8_t> last_request_;
    bool last_went_wrong_ = false;
};
