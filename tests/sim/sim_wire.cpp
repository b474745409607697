#include "sim_wire.h"

#include <gtest/gtest.h>

namespace wire {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v & 0xFF));
    return out;
}

QByteArray request(const QByteArray& payload) {
    QByteArray frame = bytes({0x51, 0x80 | static_cast<int>(payload.size())}) + payload;
    std::uint8_t check = 0x6E ^ 0x51;
    for (int i = 1; i < frame.size(); ++i)
        check ^= static_cast<std::uint8_t>(frame[i]);
    frame.append(static_cast<char>(check));
    return frame;
}

Reply parse(const QByteArray& read) {
    Reply r;
    if (read.size() < 3) return r;
    r.source = static_cast<std::uint8_t>(read[0]);
    r.length_byte = static_cast<std::uint8_t>(read[1]);
    const int n = r.length_byte & 0x7F;
    if (read.size() < n + 3) return r;
    r.raw = read.left(n + 3);
    r.payload = read.mid(2, n);
    std::uint8_t check = 0x50;
    for (int i = 0; i < n + 3; ++i)
        check ^= static_cast<std::uint8_t>(read[i]);
    r.valid = (r.source == 0x6E || r.source == 0x51) && (r.length_byte & 0x80) && check == 0;
    r.null = r.valid && n == 0;
    return r;
}

int write(sim::CSimMonitor& m, const QByteArray& frame) {
    return m.i2c_write(0x6E, reinterpret_cast<const std::uint8_t*>(frame.constData()),
                       static_cast<int>(frame.size()));
}

QByteArray read(sim::CSimMonitor& m, int length) {
    QByteArray buffer(length, '\0');
    const int result = m.i2c_read(0x6F, reinterpret_cast<std::uint8_t*>(buffer.data()), length);
    EXPECT_EQ(result, 0);
    return buffer;
}

Reply exchange(sim::CSimMonitor& m, const QByteArray& payload) {
    EXPECT_GE(write(m, request(payload)), 0);
    return parse(read(m));
}

Reply poll(sim::CSimMonitor& m, const QByteArray& payload, int& nulls, int max_polls) {
    nulls = 0;
    EXPECT_GE(write(m, request(payload)), 0);
    Reply r;
    for (int i = 0; i < max_polls; ++i) {
        r = parse(read(m));
        if (!r.null) return r;
        ++nulls;
    }
    return r;
}

int word(const QByteArray& b, int at) {
    return static_cast<std::uint8_t>(b[at]) << 8 | static_cast<std::uint8_t>(b[at + 1]);
}

namespace {
Feature feature_of(const Reply& r, int opcode, int code) {
    Feature f;
    EXPECT_TRUE(r.valid);
    if (r.payload.size() != 9) {
        ADD_FAILURE() << "paged reply of " << r.payload.size() << " bytes";
        return f;
    }
    EXPECT_EQ(static_cast<std::uint8_t>(r.payload[0]), opcode);
    EXPECT_EQ(static_cast<std::uint8_t>(r.payload[2]), code >> 8);
    EXPECT_EQ(static_cast<std::uint8_t>(r.payload[3]), code & 0xFF);
    f.result = static_cast<std::uint8_t>(r.payload[1]);
    f.type = static_cast<std::uint8_t>(r.payload[4]);
    f.maximum = word(r.payload, 5);
    f.current = word(r.payload, 7);
    return f;
}
}  // namespace

Feature get_paged(sim::CSimMonitor& m, int code) {
    return feature_of(exchange(m, bytes({0xC6, code >> 8, code})), 0xC7, code);
}

Feature set_paged(sim::CSimMonitor& m, int code, int value) {
    int nulls = 0;
    return feature_of(poll(m, bytes({0xC8, code >> 8, code, value >> 8, value}), nulls), 0xC7,
                      code);
}

QByteArray read_memory(sim::CSimMonitor& m, int address, int count) {
    QByteArray out;
    for (int done = 0; done < count;) {
        const int block = std::min(32, count - done);
        const int at = address + done;
        const Reply r = exchange(m, bytes({0xC0, 0x09, block, at >> 8, at}));
        EXPECT_EQ(r.payload.size(), block + 2);
        EXPECT_EQ(r.payload.left(2), bytes({0xC1, 0x09}));
        out += r.payload.mid(2);
        done += block;
    }
    return out;
}

void write_memory(sim::CSimMonitor& m, int address, const QByteArray& data) {
    for (int done = 0; done < data.size();) {
        const int block = std::min(32, static_cast<int>(data.size()) - done);
        const int at = address + done;
        EXPECT_GE(
            write(m, request(bytes({0xC0, 0x02, block, at >> 8, at}) + data.mid(done, block))), 0);
        done += block;
    }
}

}  // namespace wire
