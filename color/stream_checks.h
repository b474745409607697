#pragma once

#include <QByteArray>
#include <QDataStream>
#include <QString>

// Guards for reading stored records: a count or length taken from a file sizes nothing until
// the stream is known to hold that much, so a damaged file cannot make a reader allocate
// gigabytes or run on past its end.
namespace stream_checks {

// Bytes the stream can still deliver, or -1 when its device cannot tell (a pipe).
qint64 bytes_left(const QDataStream& stream);

// True when `count` items of at least `item_bytes` bytes each can still be in the stream. A
// device that cannot tell is given the benefit of the doubt: readers then grow item by item.
bool may_hold(const QDataStream& stream, qint64 count, qint64 item_bytes);

// The toolkit's string and byte-array encodings (uint32 byte length, 0xFFFFFFFF for null),
// read with the length checked first. A null value stays null and an empty one stays empty,
// so a record read and written again keeps its bytes. On failure the stream's status is set
// and `out` is left as it was.
bool read_string(QDataStream& stream, QString& out);
bool read_bytes(QDataStream& stream, QByteArray& out);

// The stored formats hold 8-byte doubles whatever precision the caller left on the stream.
class CDoublePrecisionScope {
  public:
    explicit CDoublePrecisionScope(QDataStream& stream)
        : stream_(stream), saved_(stream.floatingPointPrecision()) {
        stream_.setFloatingPointPrecision(QDataStream::DoublePrecision);
    }
    ~CDoublePrecisionScope() { stream_.setFloatingPointPrecision(saved_); }
    CDoublePrecisionScope(const CDoublePrecisionScope&) = delete;
    CDoublePrecisionScope& operator=(const CDoublePrecisionScope&) = delete;

  private:
    QDataStream& stream_;
    QDataStream::FloatingPointPrecision saved_;
};

}  // namespace stream_checks
