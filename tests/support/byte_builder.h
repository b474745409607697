#pragma once

#include <QByteArray>
#include <QString>
#include <bit>
#include <cstdint>

namespace testing_support {

// Builds the bytes a stored layout prescribes, field by field, big-endian, without going
// through the data stream under test.
class ByteBuilder {
  public:
    ByteBuilder& i8(int v) { return put(static_cast<std::uint8_t>(v), 1); }
    ByteBuilder& i16(int v) { return put(static_cast<std::uint16_t>(v), 2); }
    ByteBuilder& u16(unsigned v) { return put(v, 2); }
    ByteBuilder& i32(std::int32_t v) { return put(static_cast<std::uint32_t>(v), 4); }
    ByteBuilder& u32(std::uint32_t v) { return put(v, 4); }
    // IEEE 754 double, most significant byte first.
    ByteBuilder& f64(double v) { return put(std::bit_cast<std::uint64_t>(v), 8); }
    // Byte length, then UTF-16 big-endian; a null string is the length 0xFFFFFFFF alone.
    ByteBuilder& str(const QString& s) {
        if (s.isNull()) return u32(0xFFFFFFFF);
        u32(static_cast<std::uint32_t>(s.size() * 2));
        for (QChar c : s)
            u16(c.unicode());
        return *this;
    }
    // Byte length, then the bytes; a null array is the length 0xFFFFFFFF alone.
    ByteBuilder& bytes(const QByteArray& b) {
        if (b.isNull()) return u32(0xFFFFFFFF);
        u32(static_cast<std::uint32_t>(b.size()));
        return raw(b);
    }
    ByteBuilder& raw(const QByteArray& b) {
        data_ += b;
        return *this;
    }
    const QByteArray& data() const { return data_; }
    qsizetype size() const { return data_.size(); }

  private:
    ByteBuilder& put(std::uint64_t v, int n) {
        for (int shift = 8 * (n - 1); shift >= 0; shift -= 8)
            data_.append(static_cast<char>((v >> shift) & 0xFF));
        return *this;
    }
    QByteArray data_;
};

}  // namespace testing_support
