#include "color/stream_checks.h"

#include <QIODevice>
#include <QtEndian>
#include <algorithm>

namespace stream_checks {

namespace {

constexpr quint32 kNullLength = 0xFFFFFFFF;
// Raw data is read in pieces of this size, so that on a device that cannot tell its length
// memory grows only as fast as data really arrives.
constexpr qint64 kChunk = 64 * 1024;

// Reads `length` raw bytes after the length field has been checked.
bool read_raw(QDataStream& stream, quint32 length, QByteArray& raw) {
    if (!may_hold(stream, length, 1)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return false;
    }
    qint64 done = 0;
    while (done < length) {
        const qint64 piece = std::min<qint64>(kChunk, length - done);
        raw.resize(done + piece);
        if (stream.readRawData(raw.data() + done, static_cast<int>(piece)) != piece) {
            stream.setStatus(QDataStream::ReadPastEnd);
            return false;
        }
        done += piece;
    }
    return true;
}

}  // namespace

qint64 bytes_left(const QDataStream& stream) {
    const QIODevice* device = stream.device();
    if (!device || device->isSequential()) return -1;
    return device->bytesAvailable();
}

bool may_hold(const QDataStream& stream, qint64 count, qint64 item_bytes) {
    if (count < 0) return false;
    const qint64 left = bytes_left(stream);
    if (left < 0) return true;
    return item_bytes <= 0 || count <= left / item_bytes;
}

bool read_string(QDataStream& stream, QString& out) {
    quint32 length = 0;
    stream >> length;
    if (stream.status() != QDataStream::Ok) return false;
    if (length == kNullLength) {
        out = QString();
        return true;
    }
    // UTF-16 code units come in pairs of bytes.
    if (length % 2 != 0) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return false;
    }
    QByteArray raw;
    if (!read_raw(stream, length, raw)) return false;
    const qsizetype units = length / 2;
    QString text(units, Qt::Uninitialized);
    const bool big = stream.byteOrder() == QDataStream::BigEndian;
    for (qsizetype i = 0; i < units; ++i) {
        const char* at = raw.constData() + 2 * i;
        text[i] = QChar(big ? qFromBigEndian<quint16>(at) : qFromLittleEndian<quint16>(at));
    }
    out = text;
    return true;
}

bool read_bytes(QDataStream& stream, QByteArray& out) {
    quint32 length = 0;
    stream >> length;
    if (stream.status() != QDataStream::Ok) return false;
    if (length == kNullLength) {
        out = QByteArray();
        return true;
    }
    QByteArray raw(0, Qt::Uninitialized);
    if (!read_raw(stream, length, raw)) return false;
    out = raw;
    return true;
}

}  // namespace stream_checks
