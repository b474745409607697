#include <gtest/gtest.h>

#include <QBuffer>
#include <QDataStream>
#include <algorithm>
#include <set>

#include "color/adjust_value.h"
#include "support/byte_builder.h"
#include "support/pipe_device.h"
#include "support/qt_printers.h"

namespace {

using testing_support::ByteBuilder;
using testing_support::Pipe;

struct Curve {
    std::int32_t type;
    double min, max, tension, bias;
    bool valid;
    QList<QPointF> points;
};

CSpline make_curve(const Curve& c) {
    CSpline s;
    s.init(c.type, 0, c.min, c.max);
    s.setBetaParameters(c.bias, c.tension);
    for (const QPointF& p : c.points)
        s.append(p);
    s.valid = c.valid;
    return s;
}

// The curve record as its layout gives it: magic, version, type, range, beta parameters,
// flag, point count, points.
void put_curve(ByteBuilder& b, const Curve& c) {
    b.i32(64222).i32(101).i32(c.type).f64(c.min).f64(c.max).f64(c.tension).f64(c.bias);
    b.i8(c.valid ? 1 : 0).i32(static_cast<std::int32_t>(c.points.size()));
    for (const QPointF& p : c.points)
        b.f64(p.x()).f64(p.y());
}

CModeSettings item(std::initializer_list<int> values) {
    CModeSettings m;
    std::transform(values.begin(), values.end(), m.values.begin(),
                   [](int v) { return static_cast<std::int16_t>(v); });
    return m;
}

const Curve kRed{4, 0.0, 1.0, 0.0, 1.0, true, {{0.0, 0.0}, {0.5, 0.25}, {1.0, 1.0}}};
const Curve kGreen{0, 0.0, 1.0, 0.0, 1.0, false, {{0.0, 0.125}, {1.0, 0.875}}};
const Curve kBlue{2, -0.5, 1.5, 0.0, 1.0, true, {}};

const std::array<double, 9> kMatrix = {1.0125,  -0.0125, 0.0,    0.0043, 0.998,
                                       -0.0031, -0.0002, 0.0107, 0.9895};

// A record with something in every member: two memories, two named modes, both primary
// groups, a reference item, one curve set, a matrix and a capability string.
CAdjustValue sample_record() {
    CAdjustValue r;
    r.modeSettings.append(
        item({1, 2, 0, 1, 640, 330, 300, 600, 150, 60, 313, 329, 9, 170, 120, 5}));
    r.modeSettings.append(item({2, 8, 2, 1, 680, 320, 265, 690, 150, 60, 314, 351, 6, -1, 80, 3}));
    r.namedEntries.append(CNamedEntry::for_slot(QStringLiteral("Studio \u00e4"), 1));
    r.namedEntries.append(CNamedEntry::for_slot(QStringLiteral(""), 2));
    r.set_has_factory_primaries(true);
    r.set_factory_primary(CAdjustValue::kRed, 640, 330);
    r.set_factory_primary(CAdjustValue::kGreen, 300, 600);
    r.set_factory_primary(CAdjustValue::kBlue, 150, 60);
    r.set_has_corrected_primaries(true);
    r.set_corrected_primary(CAdjustValue::kRed, 641, 331);
    r.set_corrected_primary(CAdjustValue::kGreen, 299, 601);
    r.set_corrected_primary(CAdjustValue::kBlue, 151, 59);
    r.referenceSettings = r.modeSettings[0];
    CCurveSet set;
    set.flag = 1;
    set.key = 8;
    set.red = make_curve(kRed);
    set.green = make_curve(kGreen);
    set.blue = make_curve(kBlue);
    r.setCurveSet(set);
    r.set_calibration(kMatrix);
    r.extra = QByteArrayLiteral("prot(monitor)type(lcd)");
    return r;
}

// The same record laid out by hand from the record's stream format.
QByteArray sample_bytes() {
    ByteBuilder b;
    b.u32(0xDEADFADE).i32(121);
    b.u16(2);
    for (int v : {1, 2, 0, 1, 640, 330, 300, 600, 150, 60, 313, 329, 9, 170, 120, 5})
        b.i16(v);
    for (int v : {2, 8, 2, 1, 680, 320, 265, 690, 150, 60, 314, 351, 6, -1, 80, 3})
        b.i16(v);
    b.u16(2);
    b.str(QStringLiteral("Studio \u00e4")).i16(8).i16(1);
    b.str(QStringLiteral("")).i16(9).i16(2);
    b.i8(1);
    for (int v : {640, 330, 300, 600, 150, 60})
        b.i16(v);
    b.i8(1);
    for (int v : {641, 331, 299, 601, 151, 59})
        b.i16(v);
    for (int v : {1, 2, 0, 1, 640, 330, 300, 600, 150, 60, 313, 329, 9, 170, 120, 5})
        b.i16(v);
    b.u16(1).i8(1).i8(8);
    put_curve(b, kRed);
    put_curve(b, kGreen);
    put_curve(b, kBlue);
    for (double v : kMatrix)
        b.f64(v);
    b.bytes(QByteArrayLiteral("prot(monitor)type(lcd)"));
    return b.data();
}

// Where the fields that the damage cases rewrite sit in sample_bytes().
constexpr int kModeCountAt = 8;
constexpr int kNamedCountAt = kModeCountAt + 2 + 2 * 32;
constexpr int kFirstNameAt = kNamedCountAt + 2;

QByteArray written(const CAdjustValue& r) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_7);
    EXPECT_EQ(r.write(out), 0);
    return bytes;
}

int read_from(CAdjustValue& r, const QByteArray& bytes) {
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_4_7);
    return r.read(in);
}

QByteArray patched(QByteArray bytes, int at, const char* hex) {
    return bytes.replace(at, static_cast<int>(std::strlen(hex) / 2), QByteArray::fromHex(hex));
}

bool same_curve(const CSpline& a, const CSpline& b) {
    return a.type == b.type && a.valid == b.valid && a.minValue == b.minValue &&
           a.maxValue == b.maxValue && a.tension == b.tension && a.bias == b.bias &&
           a.points == b.points;
}

void expect_same_record(const CAdjustValue& a, const CAdjustValue& b) {
    EXPECT_EQ(a.modeSettings, b.modeSettings);
    EXPECT_EQ(a.namedEntries, b.namedEntries);
    EXPECT_EQ(a.flagA, b.flagA);
    EXPECT_EQ(a.factoryPrimaries, b.factoryPrimaries);
    EXPECT_EQ(a.flagB, b.flagB);
    EXPECT_EQ(a.correctedPrimaries, b.correctedPrimaries);
    EXPECT_EQ(a.referenceSettings, b.referenceSettings);
    ASSERT_EQ(a.curveSets.size(), b.curveSets.size());
    for (qsizetype i = 0; i < a.curveSets.size(); ++i) {
        const CCurveSet &x = a.curveSets[i], &y = b.curveSets[i];
        EXPECT_EQ(x.flag, y.flag);
        EXPECT_EQ(x.key, y.key);
        EXPECT_TRUE(same_curve(x.red, y.red) && same_curve(x.green, y.green) &&
                    same_curve(x.blue, y.blue))
            << "curve set " << i;
    }
    EXPECT_EQ(a.calibration, b.calibration);
    EXPECT_EQ(a.extra, b.extra);
}

TEST(AdjustValueStream, WritesTheLayoutFieldByField) {
    EXPECT_EQ(written(sample_record()), sample_bytes());
}

TEST(AdjustValueStream, ReadsTheLayoutIntoEveryMember) {
    CAdjustValue r;
    EXPECT_FALSE(r.loaded);
    ASSERT_EQ(read_from(r, sample_bytes()), 0);
    EXPECT_TRUE(r.loaded);
    expect_same_record(r, sample_record());
    EXPECT_EQ(r.namedEntries[0].name, QStringLiteral("Studio \u00e4"));
    EXPECT_FALSE(r.namedEntries[1].name.isNull()) << "an empty name is not a missing one";
    EXPECT_EQ(r.factory_x(CAdjustValue::kGreen), 300);
    EXPECT_EQ(r.corrected_y(CAdjustValue::kBlue), 59);
    EXPECT_DOUBLE_EQ(r.calibration_at(1, 2), -0.0031);
    EXPECT_EQ(written(r), sample_bytes()) << "read and written again, byte for byte";

    // A stream that cannot tell its length reads the same.
    Pipe pipe(sample_bytes());
    QDataStream in(&pipe);
    CAdjustValue piped;
    ASSERT_EQ(piped.read(in), 0);
    expect_same_record(piped, sample_record());
}

TEST(AdjustValueStream, WrongMagicOrVersionChangesNothing) {
    CAdjustValue r = sample_record();
    r.modeSettings.removeLast();
    const CAdjustValue before = r;
    EXPECT_EQ(read_from(r, patched(sample_bytes(), 4, "00000078")), -1501) << "version 120";
    EXPECT_FALSE(r.loaded);
    expect_same_record(r, before);
    EXPECT_EQ(read_from(r, patched(sample_bytes(), 0, "DEADFADF")), -1502);
    EXPECT_FALSE(r.loaded);
    expect_same_record(r, before);

    // A loaded record that then meets a bad one is no longer marked loaded.
    ASSERT_EQ(read_from(r, sample_bytes()), 0);
    EXPECT_EQ(read_from(r, patched(sample_bytes(), 4, "00000078")), -1501);
    EXPECT_FALSE(r.loaded);
    expect_same_record(r, sample_record());
}

TEST(AdjustValueStream, ACutRecordNeverLeavesAHalfReadRecord) {
    const QByteArray full = sample_bytes();
    CAdjustValue before;
    before.modeSettings.append(item({4, 13}));
    before.extra = QByteArrayLiteral("kept");
    for (qsizetype cut = 0; cut < full.size(); ++cut) {
        CAdjustValue r = before;
        const int result = read_from(r, full.left(cut));
        ASSERT_LT(result, 0) << "cut at " << cut;
        EXPECT_FALSE(r.loaded);
        expect_same_record(r, before);
        if (::testing::Test::HasFailure()) FAIL() << "cut at " << cut;

        Pipe pipe(full.left(cut));
        QDataStream in(&pipe);
        CAdjustValue piped = before;
        ASSERT_LT(piped.read(in), 0) << "cut at " << cut << " through a pipe";
        expect_same_record(piped, before);
    }
}

TEST(AdjustValueStream, CountsAndLengthsBeyondTheStreamAreReadErrors) {
    const QByteArray full = sample_bytes();
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"mode items", patched(full, kModeCountAt, "FFFF")},
        {"named entries", patched(full, kNamedCountAt, "FFFF")},
        {"name length", patched(full, kFirstNameAt, "7FFFFFF0")},
        {"odd name length", patched(full, kFirstNameAt, "00000011")},
        {"byte array length", patched(full, static_cast<int>(full.size()) - 26, "FFFFFFF0")},
    };
    for (const auto& c : cases) {
        CAdjustValue r;
        EXPECT_EQ(read_from(r, c.bytes), -1503) << c.what;
        EXPECT_FALSE(r.loaded) << c.what;
        EXPECT_TRUE(r.modeSettings.isEmpty() && r.namedEntries.isEmpty()) << c.what;
    }
    // Through a pipe the lengths cannot be checked beforehand; the read still ends at the
    // stream's end instead of allocating what the length claims.
    Pipe pipe(patched(full, static_cast<int>(full.size()) - 26, "FFFFFFF0"));
    QDataStream in(&pipe);
    CAdjustValue r;
    EXPECT_EQ(r.read(in), -1503);
}

TEST(AdjustValueStream, ADamagedCurveEndsTheReadWithItsOwnCode) {
    const QByteArray full = sample_bytes();
    const int red_at = static_cast<int>(full.indexOf(QByteArray::fromHex("0000FADE00000065")));
    ASSERT_GT(red_at, 0);
    CAdjustValue r;
    EXPECT_EQ(read_from(r, patched(full, red_at, "0000FADF")), -1502);
    EXPECT_EQ(read_from(r, patched(full, red_at + 4, "00000064")), -1501);
    EXPECT_FALSE(r.loaded);
    EXPECT_TRUE(r.curveSets.isEmpty() && r.modeSettings.isEmpty());
}

TEST(AdjustValueStream, WriteFailuresAreReported) {
    QBuffer read_only;
    read_only.open(QIODevice::ReadOnly);
    QDataStream out(&read_only);
    EXPECT_EQ(sample_record().write(out), -1503);

    // More items than a 16-bit count can say: nothing is written rather than a wrong count.
    CAdjustValue r;
    r.modeSettings.resize(0x10000);
    QByteArray bytes;
    QDataStream big(&bytes, QIODevice::WriteOnly);
    EXPECT_EQ(r.write(big), -1503);
    EXPECT_TRUE(bytes.isEmpty());
}

TEST(AdjustValueCurveSets, AnUnknownKeyAppendsAKnownOneReplacesInPlace) {
    CAdjustValue r;
    CCurveSet eight;
    eight.flag = 1;
    eight.key = 8;
    eight.red = make_curve(kRed);
    r.setCurveSet(eight);
    ASSERT_EQ(r.curveSets.size(), 1);

    CCurveSet nine;
    nine.key = 9;
    nine.green = make_curve(kGreen);
    r.setCurveSet(nine);
    ASSERT_EQ(r.curveSets.size(), 2);
    EXPECT_EQ(r.curveSets[1].key, 9) << "appended at the end";

    CCurveSet replacement;
    replacement.flag = 3;
    replacement.key = 8;
    replacement.red = make_curve(kGreen);
    replacement.blue = make_curve(kRed);
    r.setCurveSet(replacement);
    ASSERT_EQ(r.curveSets.size(), 2) << "replaced, not added";
    EXPECT_EQ(r.curveSets[0].key, 8) << "in its old place";
    EXPECT_EQ(r.curveSets[0].flag, 3);
    EXPECT_EQ(r.curveSets[0].red.points, kGreen.points);
    EXPECT_EQ(r.curveSets[0].blue.points, kRed.points);
    EXPECT_EQ(r.curveSets[1].green.points, kGreen.points) << "the other set untouched";

    CCurveSet out;
    ASSERT_TRUE(r.getCurveSet(8, out));
    EXPECT_EQ(out.flag, 3);
    EXPECT_EQ(out.red.points, kGreen.points);
    EXPECT_TRUE(out.red.valid == kGreen.valid);
    CCurveSet untouched;
    untouched.flag = 5;
    EXPECT_FALSE(r.getCurveSet(10, untouched));
    EXPECT_EQ(untouched.flag, 5);
}

TEST(AdjustValueModeSettings, OnlyAnItemWithTheSameMemoryIsReplaced) {
    CAdjustValue r = sample_record();
    CModeSettings changed = r.modeSettings[1];
    changed.values[1] = 13;
    EXPECT_TRUE(r.setModeSettings(changed));
    EXPECT_EQ(r.modeSettings.size(), 2);
    EXPECT_EQ(r.modeSettings[1].preset(), 13);
    EXPECT_EQ(r.findModeSettings(2), &r.modeSettings[1]);

    EXPECT_FALSE(r.setModeSettings(item({4, 1})));
    EXPECT_EQ(r.modeSettings.size(), 2) << "an unknown memory is not added";
    EXPECT_EQ(r.findModeSettings(4), nullptr);
}

TEST(AdjustValueModeSettings, FeaturesLandWhereThePictureModesReadThem) {
    // Each value gets a distinct number so that a value in the wrong place shows.
    CModeSettings m;
    for (std::int32_t code : CModeSettings::kReadOrder)
        EXPECT_TRUE(m.set_feature(code, static_cast<std::int16_t>(code & 0xFFF)));
    EXPECT_EQ(m.memory(), 0x050);
    EXPECT_EQ(m.key(), 0x050);
    EXPECT_EQ(m.preset(), 0x051);
    const std::pair<int, int> chromaticities[] = {
        {0x052, 0x053}, {0x055, 0x056}, {0x057, 0x058}, {0x059, 0x05A}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(m.chromaticity_x(i), chromaticities[i].first) << i;
        EXPECT_EQ(m.chromaticity_y(i), chromaticities[i].second) << i;
    }
    EXPECT_EQ(m.curve_type(), 0x268);
    EXPECT_EQ(m.gamma_code(), 0x2E8);
    EXPECT_EQ(m.brightness(), 0x2B3);
    EXPECT_EQ(m.black_level(), 0x054);
    EXPECT_EQ(m.feature(0x106B), 0x06B);
    EXPECT_EQ(m.feature(0x1069), 0x069);

    const std::set<std::int32_t> read(CModeSettings::kReadOrder.begin(),
                                      CModeSettings::kReadOrder.end());
    const std::set<std::int32_t> kept(CModeSettings::kFeatures.begin(),
                                      CModeSettings::kFeatures.end());
    EXPECT_EQ(read.size(), 16u) << "every feature asked for once";
    EXPECT_EQ(read, kept);
    EXPECT_FALSE(m.set_feature(0x10, 1));
    EXPECT_EQ(m.feature(0x10), 0);
}

TEST(AdjustValueNamedEntries, SlotsShowAsPresetsFromEight) {
    const CNamedEntry first = CNamedEntry::for_slot(QStringLiteral("Print"), 1);
    EXPECT_EQ(first.slot, 1);
    EXPECT_EQ(first.code, 8);
    EXPECT_EQ(CNamedEntry::for_slot(QStringLiteral("Video"), 5).code, 12);
}

}  // namespace

namespace {

// A damaged record loads cleanly with a one-point curve at NaN and a curve whose values are NaN;
// evaluating them, by any path, must neither leave the point list nor give NaN.
TEST(AdjustValueDamagedCurves, OnePointAndNaNCurvesEvaluateSafely) {
    const double nan = std::nan("");
    const Curve one_point_at_nan{4, 0.0, 1.0, 0.0, 1.0, true, {{nan, 0.5}}};
    const Curve nan_values{3, 0.0, 1.0, 0.0, 1.0, true, {{0.0, nan}, {0.5, nan}, {1.0, 1.0}}};
    const Curve nan_range{1, nan, nan, 0.0, 1.0, true, {{0.0, nan}}};
    ByteBuilder b;
    b.u32(0xDEADFADE).i32(121).u16(0).u16(0).i8(0);
    for (int i = 0; i < 6; ++i)
        b.i16(0);
    b.i8(0);
    for (int i = 0; i < 6 + 16; ++i)
        b.i16(0);
    b.u16(1).i8(1).i8(8);
    put_curve(b, one_point_at_nan);
    put_curve(b, nan_values);
    put_curve(b, nan_range);
    for (int i = 0; i < 9; ++i)
        b.f64(0.0);
    b.bytes(QByteArray());

    CAdjustValue r;
    ASSERT_EQ(read_from(r, b.data()), 0);
    ASSERT_EQ(r.curveSets.size(), 1);
    const CCurveSet& set = r.curveSets[0];
    ASSERT_EQ(set.red.size(), 1);
    for (double x : {-1.0, 0.0, 0.3, 0.5, 0.99, 1.0, 2.0, nan}) {
        EXPECT_EQ(set.red.evaluate(x), 0.5) << x;
        EXPECT_EQ(set.red.evaluateInverse(x), 0.0) << x;  // its x is NaN: the range's minimum
        for (const CSpline* c : {&set.green, &set.blue}) {
            EXPECT_FALSE(std::isnan(c->evaluate(x))) << x;
            EXPECT_FALSE(std::isnan(c->evaluateInverse(x))) << x;
        }
    }
    EXPECT_EQ(set.green.evaluate(1.0), 1.0);
    CSpline resampled = set.red;
    resampled.resampleFromSelf(5);
    EXPECT_EQ(resampled.points,
              (QList<QPointF>{{0.0, 0.5}, {0.25, 0.5}, {0.5, 0.5}, {0.75, 0.5}, {1.0, 0.5}}));
    resampled = set.blue;
    resampled.resampleFromSelf(3);
    for (const QPointF& p : resampled.points)
        EXPECT_EQ(p.y(), 0.0);
}

}  // namespace
