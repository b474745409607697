#pragma once

#include <QByteArray>
#include <cstdint>
#include <initializer_list>

#include "sim/sim_monitor.h"

// The host's side of the wire, written from the frame rules alone, so that the simulator's
// answers are checked against the rules rather than against its own helpers.
namespace wire {

QByteArray bytes(std::initializer_list<int> values);

// 0x51, 0x80 | n, payload, XOR of 0x6E, 0x51, the length byte and the payload.
QByteArray request(const QByteArray& payload);

struct Reply {
    bool null = false;   // the null message
    bool valid = false;  // source 0x6E or 0x51 and 0x50-seeded checksum right
    int source = 0;
    int length_byte = 0;
    QByteArray payload;
    QByteArray raw;  // the frame bytes (n + 3)
};

// Interprets the bytes read at 0x6F.
Reply parse(const QByteArray& read);

int write(sim::CSimMonitor& m, const QByteArray& frame);
// Reads `length` bytes at 0x6F.
QByteArray read(sim::CSimMonitor& m, int length = 131);

// Sends the payload as a request and reads one reply.
Reply exchange(sim::CSimMonitor& m, const QByteArray& payload);
// Sends the payload, then polls until a non-null reply or `max_polls` reads; `nulls` receives
// how many null messages came first.
Reply poll(sim::CSimMonitor& m, const QByteArray& payload, int& nulls, int max_polls = 40);

// 16-bit big-endian at `at`.
int word(const QByteArray& bytes, int at);

// A C6 reply's fields.
struct Feature {
    int result = -1;
    int type = -1;
    int maximum = -1;
    int current = -1;
};
Feature get_paged(sim::CSimMonitor& m, int code);
// C8, polled through any busy replies.
Feature set_paged(sim::CSimMonitor& m, int code, int value);

QByteArray read_memory(sim::CSimMonitor& m, int address, int count);
void write_memory(sim::CSimMonitor& m, int address, const QByteArray& data);

}  // namespace wire
