#pragma once

#include "comm/ddc_control.h"

// The maker's extended commands: paged features (C6/C7/C8), monitor memory (C0/C1), word
// tables, 3D LUT points and named LUT slots (C2/C3).
class PVX_ddc_control : public ddc_control {
  public:
    // Limits the monitor's message buffer sets per command.
    static constexpr int kMaxMemoryBlock = 32;
    static constexpr int kMaxWords = 16;
    static constexpr int kMaxLutPoints = 8;
    static constexpr int kSlotNameLength = 13;

    using ddc_control::ddc_control;

    int get_paged(int page, int code, int& current, int& maximum, int& result_code, int& type);
    // On success `value` receives the monitor's current value after the write.
    int set_paged(int page, int code, int& value, int& maximum, int& result_code, int& type);

    int read_memory_block(std::uint8_t* buffer, int address, int count);
    int write_memory_block(const std::uint8_t* data, int address, int count);
    // 16-bit words, each handed over as an int (only the low 16 bits are sent).
    int read_words(int* values, int address, int count);
    int write_words(const int* values, int address, int count);
    int table_command_06();
    int table_command_07();

    // `count` points of three values each, starting at (index0, index1, index2) of the cube.
    int read_lut_points(int* points, int index0, int index1, int index2, int count);
    int write_lut_points(const int* points, int index0, int index1, int index2, int count);
    // `name` receives kSlotNameLength bytes and a terminating zero.
    int read_slot_name(int slot, char* name);
    // Sends exactly kSlotNameLength bytes: characters the monitor cannot show become spaces,
    // and a shorter name is padded with spaces.
    int write_slot_name(int slot, const char* name);

    // Any length, moved in blocks at consecutive addresses; the first error ends the transfer.
    int read_memory(std::uint8_t* buffer, int address, int length);
    int write_memory(const std::uint8_t* data, int address, int length);
    // Writes up to kMaxWords words and reads them back until they match, a few passes at most.
    int write_words_verified(const int* values, int address, int count);
};
