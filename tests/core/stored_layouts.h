#pragma once

#include <QList>
#include <QString>
#include <cstdint>
#include <vector>

#include "support/byte_builder.h"

namespace testing_support {

struct Named {
    QString name;
    std::int16_t code;
    std::int16_t slot;
};

// An adjustment record that holds only named entries, laid out field by field: magic,
// version, no mode items, the entries, two empty primary groups, a zero reference item, no
// curve sets, a zero matrix and the null byte array.
inline void put_record(ByteBuilder& b, const std::vector<Named>& named,
                       std::int32_t version = 121) {
    b.u32(0xDEADFADE).i32(version).u16(0);
    b.u16(static_cast<unsigned>(named.size()));
    for (const Named& n : named)
        b.str(n.name).i16(n.code).i16(n.slot);
    for (int group = 0; group < 2; ++group) {
        b.i8(0);
        for (int i = 0; i < 6; ++i)
            b.i16(0);
    }
    for (int i = 0; i < 16; ++i)
        b.i16(0);
    b.u16(0);
    for (int i = 0; i < 9; ++i)
        b.f64(0.0);
    b.bytes(QByteArray());
}

// Block A of config.dat: magic, version, interface count, ten assignments.
inline void put_block_a(ByteBuilder& b, std::int32_t interfaces,
                        const std::vector<std::int32_t>& mapping) {
    b.i32(57003).i32(11).i32(interfaces);
    for (int i = 0; i < 10; ++i)
        b.i32(i < static_cast<int>(mapping.size()) ? mapping[static_cast<std::size_t>(i)] : -1);
}

// The head of block B: magic, version, entry count.
inline void put_block_b_head(ByteBuilder& b, std::int32_t count) {
    b.i32(43962).i32(100).i32(count);
}

}  // namespace testing_support
