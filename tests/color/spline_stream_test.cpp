#include <gtest/gtest.h>

#include <QBuffer>
#include <QDataStream>
#include <algorithm>

#include "color/spline.h"
#include "support/pipe_device.h"

namespace {

using testing_support::Pipe;

// The fixed part of a curve record: magic, version, type, four doubles, flag, point count.
constexpr int kHeaderBytes = 4 + 4 + 4 + 4 * 8 + 1 + 4;
constexpr int kCountAt = kHeaderBytes - 4;

CSpline sample_curve() {
    CSpline s;
    s.init(2, 5, 0.0, 1.0);
    s.makeGamma(1.7);
    s.setBetaParameters(0.75, 2.5);
    s.setRange(-0.5, 1.5);
    return s;
}

QByteArray written(const CSpline& s) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_7);
    EXPECT_EQ(s.write(out), 0);
    return bytes;
}

QByteArray with_count(QByteArray bytes, const char* hex) {
    return bytes.replace(kCountAt, 4, QByteArray::fromHex(hex));
}

void expect_same_curve(const CSpline& a, const CSpline& b) {
    EXPECT_TRUE(a.type == b.type && a.valid == b.valid && a.minValue == b.minValue &&
                a.maxValue == b.maxValue && a.tension == b.tension && a.bias == b.bias);
    EXPECT_EQ(a.points, b.points);
}

TEST(SplineStream, RecordLayoutRoundTrips) {
    const QByteArray bytes = written(sample_curve());
    ASSERT_EQ(bytes.size(), kHeaderBytes + 5 * 16);
    // Big-endian: 0xFADE, 101, kind 2, min -0.5, max 1.5, tension 2.5, bias 0.75, valid, 5 points.
    EXPECT_EQ(bytes.left(kHeaderBytes).toHex(),
              "0000fade0000006500000002bfe00000000000003ff8000000000000"
              "40040000000000003fe80000000000000100000005");
    EXPECT_EQ(bytes.right(16).toHex(), "3ff00000000000003ff0000000000000");  // last point (1, 1)
    CSpline back;
    QDataStream in(bytes);
    ASSERT_EQ(back.read(in), 0);
    expect_same_curve(back, sample_curve());
}

TEST(SplineStream, CurvesFollowEachOtherAtDoublePrecision) {
    CSpline red = sample_curve(), green, blue;  // blue has no kind chosen, and keeps that
    green.init(4, 256, 0.0, 1.0);
    green.makeGamma(2.2);
    blue.points = {{0.0, 0.1}, {1.0, 0.9}};
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setFloatingPointPrecision(QDataStream::SinglePrecision);
    for (const CSpline* c : {&red, &green, &blue})
        ASSERT_EQ(c->write(out), 0);
    EXPECT_EQ(out.floatingPointPrecision(), QDataStream::SinglePrecision);
    EXPECT_EQ(bytes.size(), 3 * kHeaderBytes + (5 + 256 + 2) * 16);
    QDataStream in(bytes);
    for (const CSpline* c : {&red, &green, &blue}) {
        CSpline back;
        ASSERT_EQ(back.read(in), 0);
        expect_same_curve(back, *c);
    }
    EXPECT_TRUE(in.atEnd());
}

TEST(SplineStream, RejectedRecordsLeaveTheCurveAsItWas) {
    const QByteArray good = written(sample_curve());
    QByteArray bad_magic = good, bad_version = good;
    bad_magic[3] = '\xdf';
    bad_version[7] = 102;
    const struct {
        const char* what;
        QByteArray bytes;
        int result;
    } cases[] = {{"magic", bad_magic, -1502},
                 {"version", bad_version, -1501},
                 {"empty", QByteArray(), -1502},
                 {"header only", good.left(20), -1503},
                 {"truncated points", good.left(good.size() - 9), -1503},
                 {"negative count", with_count(good, "ffffffff"), -1503},
                 {"count beyond the stream", with_count(good, "7fffffff"), -1503}};
    CSpline original;
    original.init(4, 3, 0.0, 1.0);
    for (const auto& c : cases) {
        for (bool sequential : {false, true}) {
            Pipe pipe(c.bytes);
            QBuffer file;
            file.setData(c.bytes);
            file.open(QIODevice::ReadOnly);
            QDataStream in(sequential ? static_cast<QIODevice*>(&pipe) : &file);
            CSpline s = original;
            EXPECT_EQ(s.read(in), c.result) << c.what << sequential;
            expect_same_curve(s, original);
            // A reader of an enclosing record sees the failure too.
            if (c.result == -1503) {
                EXPECT_NE(in.status(), QDataStream::Ok) << c.what;
            }
        }
    }
}

TEST(SplineStream, WriteFailureIsReported) {
    QBuffer buffer;
    buffer.open(QIODevice::ReadOnly);
    QDataStream out(&buffer);
    EXPECT_EQ(sample_curve().write(out), -1504);
}

}  // namespace
