#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QDataStream>
#include <QIODevice>

#include "color/spline.h"

namespace {

// The fixed part of a curve record: magic, version, type, four doubles, flag, count.
constexpr int kHeaderBytes = 4 + 4 + 4 + 4 * 8 + 1 + 4;

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

int read_from(const QByteArray& bytes, CSpline& s) {
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_4_7);
    return s.read(in);
}

void expect_same_curve(const CSpline& a, const CSpline& b) {
    EXPECT_EQ(a.type, b.type);
    EXPECT_EQ(a.valid, b.valid);
    EXPECT_EQ(a.minValue, b.minValue);
    EXPECT_EQ(a.maxValue, b.maxValue);
    EXPECT_EQ(a.tension, b.tension);
    EXPECT_EQ(a.bias, b.bias);
    EXPECT_EQ(a.points, b.points);
}

// A device that cannot tell how much is left, like a pipe or a socket.
class SequentialBuffer : public QIODevice {
  public:
    explicit SequentialBuffer(QByteArray data) : data_(std::move(data)) {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

  protected:
    qint64 readData(char* out, qint64 max) override {
        const qint64 n = std::min<qint64>(max, data_.size() - at_);
        std::copy_n(data_.constData() + at_, n, out);
        at_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    QByteArray data_;
    qint64 at_ = 0;
};

TEST(SplineStream, WritesTheRecordLayout) {
    const CSpline s = sample_curve();
    const QByteArray bytes = written(s);
    ASSERT_EQ(bytes.size(), kHeaderBytes + 5 * 16);
    EXPECT_EQ(bytes.left(12), QByteArray::fromHex("0000fade"
                                                  "00000065"
                                                  "00000002"));
    // Doubles are big-endian IEEE 754: min -0.5, max 1.5, then tension 2.5 and bias 0.75.
    EXPECT_EQ(bytes.mid(12, 32), QByteArray::fromHex("bfe0000000000000"
                                                     "3ff8000000000000"
                                                     "4004000000000000"
                                                     "3fe8000000000000"));
    EXPECT_EQ(bytes.mid(44, 5), QByteArray::fromHex("01"
                                                    "00000005"));
    // Last point (1, 1).
    EXPECT_EQ(bytes.right(16), QByteArray::fromHex("3ff0000000000000"
                                                   "3ff0000000000000"));
}

TEST(SplineStream, RoundTripsEveryField) {
    const CSpline s = sample_curve();
    CSpline back;
    ASSERT_EQ(read_from(written(s), back), 0);
    expect_same_curve(back, s);

    // A curve with no kind chosen keeps that in the record.
    CSpline unset;
    unset.points = {{0.0, 0.1}, {1.0, 0.9}};
    ASSERT_EQ(read_from(written(unset), back), 0);
    EXPECT_EQ(back.type, CSpline::kNone);
    EXPECT_EQ(back.points, unset.points);
}

TEST(SplineStream, CurvesFollowEachOtherInOneStream) {
    CSpline red = sample_curve(), green, blue;
    green.init(4, 256, 0.0, 1.0);
    green.makeGamma(2.2);
    blue.init(1, 3, 0.0, 1.0);
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(QDataStream::Qt_4_7);
        // The format is fixed at double precision whatever the stream was told.
        out.setFloatingPointPrecision(QDataStream::SinglePrecision);
        for (const CSpline* c : {&red, &green, &blue})
            ASSERT_EQ(c->write(out), 0);
        EXPECT_EQ(out.floatingPointPrecision(), QDataStream::SinglePrecision);
    }
    EXPECT_EQ(bytes.size(), 3 * kHeaderBytes + (5 + 256 + 3) * 16);
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_4_7);
    for (const CSpline* c : {&red, &green, &blue}) {
        CSpline back;
        ASSERT_EQ(back.read(in), 0);
        expect_same_curve(back, *c);
    }
    EXPECT_TRUE(in.atEnd());
}

TEST(SplineStream, RejectedRecordsLeaveTheCurveAsItWas) {
    const CSpline original = sample_curve();
    const QByteArray good = written(CSpline());

    QByteArray bad_magic = good;
    bad_magic[3] = '\xdf';
    QByteArray bad_version = good;
    bad_version[7] = 102;
    QByteArray truncated = written(sample_curve());
    truncated.chop(9);
    QByteArray negative = good;
    negative.replace(45, 4, QByteArray::fromHex("ffffffff"));
    QByteArray huge = written(sample_curve());
    huge.replace(45, 4, QByteArray::fromHex("7fffffff"));

    const struct {
        const char* what;
        QByteArray bytes;
        int result;
    } cases[] = {{"magic", bad_magic, CSpline::kBadMagic},
                 {"version", bad_version, CSpline::kBadVersion},
                 {"empty", QByteArray(), CSpline::kBadMagic},
                 {"header only", good.left(20), CSpline::kReadError},
                 {"truncated points", truncated, CSpline::kReadError},
                 {"negative count", negative, CSpline::kReadError},
                 {"count beyond the stream", huge, CSpline::kReadError}};
    for (const auto& c : cases) {
        CSpline s = original;
        EXPECT_EQ(read_from(c.bytes, s), c.result) << c.what;
        expect_same_curve(s, original);
    }
    EXPECT_EQ(CSpline::kBadMagic, -1502);
    EXPECT_EQ(CSpline::kBadVersion, -1501);
    EXPECT_EQ(CSpline::kReadError, -1503);
}

TEST(SplineStream, OversizedCountMarksTheStreamCorrupt) {
    QByteArray huge = written(sample_curve());
    huge.replace(45, 4, QByteArray::fromHex("7fffffff"));
    QDataStream in(huge);
    CSpline s;
    EXPECT_EQ(s.read(in), CSpline::kReadError);
    // An enclosing record reading on sees the failure too.
    EXPECT_EQ(in.status(), QDataStream::ReadCorruptData);
}

TEST(SplineStream, SequentialDevicesReadAndFailCleanly) {
    const CSpline original = sample_curve();
    {
        SequentialBuffer device(written(original));
        QDataStream in(&device);
        CSpline back;
        ASSERT_EQ(back.read(in), 0);
        expect_same_curve(back, original);
    }
    QByteArray huge = written(original);
    huge.replace(45, 4, QByteArray::fromHex("7fffffff"));
    SequentialBuffer device(huge);
    QDataStream in(&device);
    CSpline s = original;
    EXPECT_EQ(s.read(in), CSpline::kReadError);
    expect_same_curve(s, original);
}

TEST(SplineStream, WriteFailureIsReported) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QDataStream out(&buffer);
    EXPECT_EQ(sample_curve().write(out), CSpline::kWriteError);
    EXPECT_EQ(CSpline::kWriteError, -1504);
}

}  // namespace
