#include <QDataStream>
#include <QIODevice>

#include "color/error_codes.h"
#include "color/spline.h"
#include "color/stream_checks.h"

namespace {

constexpr qint64 kPointBytes = 2 * 8;

}  // namespace

int CSpline::write(QDataStream& stream) const {
    const stream_checks::CDoublePrecisionScope precision(stream);
    stream << kMagic << version << type << minValue << maxValue << tension << bias << valid
           << static_cast<qint32>(points.size());
    for (const QPointF& p : points)
        stream << p.x() << p.y();
    return stream.status() == QDataStream::Ok ? 0 : ui_error::kFileWriteError;
}

int CSpline::read(QDataStream& stream) {
    const stream_checks::CDoublePrecisionScope precision(stream);
    qint32 magic = 0;
    stream >> magic;
    if (magic != kMagic) return ui_error::kFileWrongMagic;
    qint32 streamVersion = 0;
    stream >> streamVersion;
    if (streamVersion != version) return ui_error::kFileUnsupportedVersion;

    qint32 newType = 0;
    double newMin = 0.0, newMax = 0.0, newTension = 0.0, newBias = 0.0;
    bool newValid = false;
    qint32 count = 0;
    stream >> newType >> newMin >> newMax >> newTension >> newBias >> newValid >> count;
    if (stream.status() != QDataStream::Ok) return ui_error::kFileReadError;

    // A corrupt count must not size an allocation: it has to fit what the stream still holds.
    if (!stream_checks::may_hold(stream, count, kPointBytes)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return ui_error::kFileReadError;
    }
    QList<QPointF> newPoints;
    if (stream_checks::bytes_left(stream) >= 0) newPoints.reserve(count);
    for (qint32 i = 0; i < count; ++i) {
        double x = 0.0, y = 0.0;
        stream >> x >> y;
        if (stream.status() != QDataStream::Ok) return ui_error::kFileReadError;
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
