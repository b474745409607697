#pragma once

#include <QByteArray>
#include <cstdint>

// The byte stream profiles and tags are read from and written to. Numbers travel big-endian,
// as everywhere in an ICC profile.
class CIccIO {
  public:
    enum Origin : int { kFromStart = 0, kFromCurrent = 1, kFromEnd = 2 };

    virtual ~CIccIO() = default;

    virtual void Close() = 0;
    // Bytes transferred; 0 when nothing could be.
    virtual std::int32_t Read8(void* buffer, std::int32_t count) = 0;
    virtual std::int32_t Write8(const void* buffer, std::int32_t count) = 0;
    virtual std::int32_t GetLength() = 0;
    // The new position, or -1.
    virtual std::int32_t Seek(std::int32_t offset, int origin) = 0;
    // -1 when there is no position.
    virtual std::int32_t Tell() = 0;

    // Each true only when the whole value was transferred.
    bool Read16(std::uint16_t& value);
    bool Read32(std::uint32_t& value);
    bool Write16(std::uint16_t value);
    bool Write32(std::uint32_t value);
};

// A stream over bytes in memory, for tags built before they go into a profile.
class CIccMemIO : public CIccIO {
  public:
    CIccMemIO() = default;
    explicit CIccMemIO(const QByteArray& bytes) : bytes_(bytes) {}

    const QByteArray& bytes() const { return bytes_; }

    void Close() override {}
    std::int32_t Read8(void* buffer, std::int32_t count) override;
    std::int32_t Write8(const void* buffer, std::int32_t count) override;
    std::int32_t GetLength() override { return static_cast<std::int32_t>(bytes_.size()); }
    std::int32_t Seek(std::int32_t offset, int origin) override;
    std::int32_t Tell() override { return position_; }

  private:
    QByteArray bytes_;
    std::int32_t position_ = 0;
};
