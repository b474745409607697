#include <QDataStream>
#include <QIODevice>

#include "color/spline.h"

namespace {

constexpr qint64 kPointBytes = 2 * 8;

// The format stores 8-byte doubles whatever precision the caller left on the stream.
class DoublePrecision {
  public:
    explicit DoublePrecision(QDataStream& stream)
        : stream_(stream), saved_(stream.floatingPointPrecision()) {
        stream_.setFloatingPointPrecision(QDataStream::DoublePrecision);
    }
    ~DoublePrecision() { stream_.setFloatingPointPrecision(saved_); }
    DoublePrecision(const DoublePrecision&) = delete;
    DoublePrecision& operator=(const DoublePrecision&) = delete;

  private:
    QDataStream& stream_;
    QDataStream::FloatingPointPrecision saved_;
};

// How many points the stream can still hold, or -1 when a sequential device cannot tell.
qint64 points_left(const QDataStream& stream) {
    const QIODevice* device = stream.device();
    if (!device || device->isSequential()) return -1;
    return device->bytesAvailable() / kPointBytes;
}

}  // namespace

int CSpline::write(QDataStream& stream) const {
    const DoublePrecision precision(stream);
    stream << kMagic << version << type << minValue << maxValue << tension << bias << valid
           << static_cast<qint32>(points.size());
    for (const QPointF& p : points)
        stream << p.x() << p.y();
    return stream.status() == QDataStream::Ok ? 0 : kWriteError;
}

int CSpline::read(QDataStream& stream) {
    const DoublePrecision precision(stream);
    qint32 magic = 0;
    stream >> magic;
    if (magic != kMagic) return kBadMagic;
    qint32 streamVersion = 0;
    stream >> streamVersion;
    if (streamVersion != version) return kBadVersion;

    qint32 newType = 0;
    double newMin = 0.0, newMax = 0.0, newTension = 0.0, newBias = 0.0;
    bool newValid = false;
    qint32 count = 0;
    stream >> newType >> newMin >> newMax >> newTension >> newBias >> newValid >> count;
    if (stream.status() != QDataStream::Ok) return kReadError;

    // A corrupt count must not size an allocation: it has to fit what the stream still holds.
    const qint64 room = points_left(stream);
    if (count < 0 || (room >= 0 && count > room)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return kReadError;
    }
    QList<QPointF> newPoints;
    if (room >= 0) newPoints.reserve(count);
    for (qint32 i = 0; i < count; ++i) {
        double x = 0.0, y = 0.0;
        stream >> x >> y;
        if (stream.status() != QDataStream::Ok) return kReadError;
        newPoints.append(QPointF(x, y));
    }

    type = newType;
    minValue = newMin;
    maxValue = newMax;
    tension = newTension;
    bias = newBias;
    valid = newValid;
    points = std::move(newPoints);
    return 0;
}
