#include <gtest/gtest.h>

#include <optional>

#include <lcms2.h>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "comm/monitor_features.h"
#include "comm/monitor_fixture.h"
#include "comm/monitor_timing.h"
#include "core/verify_files.h"
#include "core/verify_report.h"
#include "core/verify_run.h"
#include "platform/platform_timing.h"
#include "platform/sim_colorimeter.h"
#include "platform/sim_screen.h"
#include "sim/sim_panel.h"

namespace mf = monitor_feature;

namespace {

using namespace verify;
using platform::CSimScreen;

constexpr const char* kConfig = R"({"monitors": [{"model": "KX271W", "serial": "71000123"}]})";
constexpr const char* kSerial = "71000123";

// An instrument that fails the way a real one does, after `good` readings.
class FailingInstrument final : public platform::CInstrument {
  public:
    FailingInstrument(platform::CInstrument& inner, int good, int error)
        : inner_(inner), good_(good), error_(error) {}
    QString name() const override { return inner_.name(); }
    int open() override {
        return error_ == platform::instrument_error::kBusy ? error_ : inner_.open();
    }
    int read(platform::CInstrumentSample& sample) override {
        if (reads_++ >= good_) return error_;
        return inner_.read(sample);
    }
    void close() override {
        ++closes;
        inner_.close();
    }
    int closes = 0;

  private:
    platform::CInstrument& inner_;
    int good_;
    int error_;
    int reads_ = 0;
};

class VerifyTest : public monitor_testing::MonitorTest {
  protected:
    void SetUp() override {
        simulate(kConfig);
        open(0);
    }
    void TearDown() override { CSimScreen::instance().clear(kSerial); }

    sim::CSimConfig config() const { return backend->config(); }

    // Puts the simulator's state where the colorimeter (and any other process) sees it.
    void publish() { ASSERT_TRUE(backend->persist()); }

    CVerificationRun::Presenter screen() {
        return [this](const Patch* p) {
            ++presented;
            if (p)
                CSimScreen::instance().show(kSerial, p->signal);
            else
                CSimScreen::instance().clear(kSerial);
            last_presented = p;
        };
    }

    ActiveMode active_mode() {
        ActiveMode mode;
        QString what;
        EXPECT_EQ(read_active_mode(monitor, mode, what), 0) << qPrintable(what);
        return mode;
    }

    // Measures the active mode against its own target.
    Report measure(std::vector<CCIEXYZ>* targets_out = nullptr,
                   std::vector<CCIEXYZ>* readings_out = nullptr) {
        CModeTarget target;
        EXPECT_EQ(mode_target(active_mode(), target), TargetResult::ready);
        const auto patches = as_drawn(standard_patches());
        const auto targets = mode_targets(target, patches);
        platform::CSimColorimeter meter(config(), kSerial);
        CVerificationRun run(meter, screen());
        std::vector<CCIEXYZ> readings;
        EXPECT_EQ(run.run(patches, readings), 0) << qPrintable(run.error_text());
        if (targets_out) *targets_out = targets;
        if (readings_out) *readings_out = readings;
        return compute_report(patches, targets, readings, Thresholds());
    }

    void set_memory_value(int code, int value) {
        int v = value;
        ASSERT_EQ(monitor.set_value(code, v), 0);
    }

    int presented = 0;
    const Patch* last_presented = reinterpret_cast<const Patch*>(1);
};

const PatchResult& row(const Report& r, const QString& name) {
    for (const PatchResult& p : r.rows) {
        if (p.patch.name == name) return p;
    }
    ADD_FAILURE() << "no patch " << qPrintable(name);
    return r.rows.front();
}

TEST_F(VerifyTest, InGamutModeVerifiesWithinThePanelFlawsAndWaitsToSettle) {
    // Memory 1 holds the sRGB preset, which the panel's native gamut contains.
    const Report r = measure();
    ASSERT_EQ(r.rows.size(), 21u + 24u + 24u);
    EXPECT_LT(r.average, 1.0);
    EXPECT_LT(r.maximum, 2.5) << qPrintable(r.worst);
    EXPECT_TRUE(r.passed());
    EXPECT_NEAR(r.white_luminance, r.target_white_luminance, 0.02 * r.target_white_luminance);
    EXPECT_LT(r.white_point_error, 0.003);
    // The sRGB curve's effective gamma across the midtones.
    EXPECT_NEAR(*row(r, "Gray 50 %").gamma, *row(r, "Gray 50 %").target_gamma, 0.06);
    EXPECT_NEAR(row(r, "Gray 100 %").cct, 6500, 150);

    // Every reading waited for the panel to settle, and the screen was cleared at the end.
    const std::vector<int> waits = sleeper.waits();
    int settles = 0;
    for (std::size_t i = 0; i + 1 < waits.size(); ++i) {
        if (waits[i] == monitor_timing::kPatchSettleWaitMs &&
            waits[i + 1] == platform_timing::kSimIntegrationMs)
            ++settles;
    }
    EXPECT_EQ(settles, 69);
    EXPECT_EQ(last_presented, nullptr);
    EXPECT_FALSE(CSimScreen::instance().shown(kSerial).has_value());
}

TEST_F(VerifyTest, TargetOutsideTheNativeGamutFailsExactlyAtThePatchesOutsideIt) {
    // Primaries wider than the panel's own in every direction.
    set_memory_value(mf::red_x, 735);
    set_memory_value(mf::red_y, 265);
    set_memory_value(mf::green_x, 115);
    set_memory_value(mf::green_y, 826);
    set_memory_value(mf::blue_x, 150);
    set_memory_value(mf::blue_y, 30);
    publish();
    std::vector<CCIEXYZ> targets;
    const Report r = measure(&targets);

    // Which targets the panel cannot show, from its factory primaries alone.
    const sim::CSimMatrix native = sim::stored_native_primaries(sim_monitor().state().memory);
    Matrix3 m, inverse;
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            m[i][j] = native[i][j];
    ASSERT_TRUE(mat3_invert(m, inverse));
    const double black = r.target_black_luminance;
    int outside = 0, inside = 0;
    for (std::size_t i = 0; i < r.rows.size(); ++i) {
        const CCIEXYZ& t = targets[i];
        // The black is leakage the panel adds by itself; the drive makes the rest.
        const Vector3 d = mat3_multiply(inverse, Vector3{t.X - black * 0.3127 / 0.329, t.Y - black,
                                                         t.Z - black * 0.3583 / 0.329});
        // How far below zero a channel would have to go, as a share of the strongest one.
        const double strongest = std::max({d[0], d[1], d[2]});
        if (strongest < 0.01) continue;  // black: the panel's own leakage
        const double excess = -std::min({d[0], d[1], d[2]}) / strongest;
        SCOPED_TRACE(qPrintable(r.rows[i].patch.name));
        if (excess > 0.1) {
            ++outside;
            EXPECT_GT(r.rows[i].delta_e, 3.0);
        } else if (excess <= 0.0) {
            ++inside;
            EXPECT_LT(r.rows[i].delta_e, 2.0);
        }
    }
    EXPECT_GE(outside, 3);  // the saturated primaries at least
    EXPECT_GE(inside, 30);  // the grays and the muted chart colours
    EXPECT_FALSE(r.passed());
}

TEST_F(VerifyTest, SpoiledGammaTableShowsInTheGrayscaleRows) {
    const Report before = measure();
    // The green table of the active memory loses a quarter of its upper half.
    auto& table = sim_monitor().state().memories[0].tables[1];
    for (std::size_t i = table.size() / 2; i < table.size(); ++i)
        table[i] = static_cast<std::uint16_t>(table[i] * 0.75);
    publish();
    const Report after = measure();

    for (const char* gray : {"Gray 85 %", "Gray 95 %", "Gray 100 %"}) {
        EXPECT_LT(row(before, gray).delta_e, 1.5) << gray;
        EXPECT_GT(row(after, gray).delta_e, 5.0) << gray;
    }
    // Red and blue do not pass through the green table.
    EXPECT_NEAR(row(after, "Red 100 %").delta_e, row(before, "Red 100 %").delta_e, 1.0);
    EXPECT_NEAR(row(after, "Blue 100 %").delta_e, row(before, "Blue 100 %").delta_e, 1.0);
    // The table is indexed by light: grays up to 70 % (46 % of the white) stay below the
    // spoiled half.
    EXPECT_LT(row(after, "Gray 50 %").delta_e, 1.5);
    EXPECT_LT(row(after, "Gray 70 %").delta_e, 1.5);
    EXPECT_FALSE(after.passed());
}

TEST_F(VerifyTest, PrinterEmulationIsMeasuredAgainstThePrinterProfile) {
    const QString printer = QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc");
    ASSERT_TRUE(QFile::exists(printer)) << "the ghostscript colour profiles are part of the build";
    // Memory 5 holds the first programmable mode: native primaries, D65, gamma 2.2, 3D LUT slot 1.
    sim_monitor().write_feature(sim::code::memory_select, 5);
    const ActiveMode mode = active_mode();
    ASSERT_EQ(mode.item.preset(), 8);
    CModeTarget own;
    ASSERT_EQ(mode_target(mode, own), TargetResult::ready);

    // The table the colour wizard writes: sRGB -> printer -> the panel's native profile.
    cmsCIExyY white{mode.item.chromaticity_x(0) / 1000.0, mode.item.chromaticity_y(0) / 1000.0, 1};
    cmsCIExyYTRIPLE primaries;
    cmsCIExyY* p[3] = {&primaries.Red, &primaries.Green, &primaries.Blue};
    for (int i = 0; i < 3; ++i)
        *p[i] = {mode.item.chromaticity_x(i + 1) / 1000.0, mode.item.chromaticity_y(i + 1) / 1000.0,
                 1};
    cmsToneCurve* curve = cmsBuildGamma(nullptr, 2.2);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    // The printer twice: into it, then out of it (a proofing chain).
    cmsHPROFILE chain[4] = {cmsCreate_sRGBProfile(),
                            cmsOpenProfileFromFile(printer.toLocal8Bit().constData(), "r"),
                            cmsOpenProfileFromFile(printer.toLocal8Bit().constData(), "r"),
                            cmsCreateRGBProfile(&white, &primaries, curves)};
    cmsFreeToneCurve(curve);
    ASSERT_NE(chain[1], nullptr);
    cmsUInt32Number intents[4] = {INTENT_RELATIVE_COLORIMETRIC, INTENT_RELATIVE_COLORIMETRIC,
                                  INTENT_RELATIVE_COLORIMETRIC, INTENT_RELATIVE_COLORIMETRIC};
    cmsBool bpc[4] = {0, 0, 0, 0};
    cmsFloat64Number states[4] = {1, 1, 1, 1};
    cmsHTRANSFORM t = cmsCreateExtendedTransform(nullptr, 4, chain, bpc, intents, states, nullptr,
                                                 0, TYPE_RGB_DBL, TYPE_RGB_DBL, cmsFLAGS_NOCACHE);
    for (cmsHPROFILE h : chain)
        cmsCloseProfile(h);
    ASSERT_NE(t, nullptr);
    auto& lut = sim_monitor().state().lut_slots[0];
    for (int n = 0; n < sim::kLutPoints; ++n) {
        const double in[3] = {(n % 9) / 8.0, (n / 9 % 9) / 8.0, (n / 81) / 8.0};
        double out[3];
        cmsDoTransform(t, in, out, 1);
        for (int c = 0; c < 3; ++c)
            lut[std::size_t(3 * n + c)] =
                std::uint16_t(std::lround(std::clamp(out[c], 0.0, 1.0) * sim::kLutMaxValue));
    }
    cmsDeleteTransform(t);
    publish();

    const auto patches = standard_patches();
    std::vector<CCIEXYZ> printed;
    QString error;
    ASSERT_TRUE(emulation_targets({QString(), printer, 3}, own, patches, printed, error))
        << qPrintable(error);
    platform::CSimColorimeter meter(config(), kSerial);
    CVerificationRun run(meter, screen());
    std::vector<CCIEXYZ> readings;
    ASSERT_EQ(run.run(patches, readings), 0);
    const Report against_printer = compute_report(patches, printed, readings, Thresholds());
    const Report against_mode = compute_report(patches, mode_targets(own, patches), readings, {});
    EXPECT_LT(against_printer.average, 2.0);
    // A printer cannot reach the display's saturated primaries: the emulation holds them back.
    EXPECT_GT(against_mode.average, 2.0 * against_printer.average);
    EXPECT_GT(row(against_mode, "Green 100 %").delta_e, 10.0);
    EXPECT_LT(row(against_printer, "Green 100 %").delta_e, 4.0);
    EXPECT_TRUE(emulation_targets({QString(), QStringLiteral("/nonexistent.icc"), 3}, own, patches,
                                  printed, error) == false);
    EXPECT_TRUE(error.contains(QStringLiteral("/nonexistent.icc")));
}

TEST_F(VerifyTest, EveryInstrumentFailureEndsCleanlyWithTheMonitorAsItWas) {
    publish();
    const QJsonObject before = sim_monitor().to_json();
    const auto patches = standard_patches();
    using namespace platform::instrument_error;

    {  // no instrument on this monitor
        platform::CSimColorimeter meter(config(), "no such serial");
        CVerificationRun run(meter, screen());
        std::vector<CCIEXYZ> readings;
        EXPECT_EQ(run.run(patches, readings), kNone);
        EXPECT_TRUE(run.error_text().contains(QStringLiteral("no such serial")));
        EXPECT_TRUE(readings.empty());
    }
    for (int error : {kBusy, kTimeout, kFailed}) {
        SCOPED_TRACE(error);
        platform::CSimColorimeter meter(config(), kSerial);
        FailingInstrument failing(meter, 5, error);
        CVerificationRun run(failing, screen());
        std::vector<CCIEXYZ> readings;
        EXPECT_EQ(run.run(patches, readings), error);
        EXPECT_EQ(readings.size(), error == kBusy ? 0u : 5u);
        EXPECT_EQ(failing.closes, error == kBusy ? 0 : 1);
        EXPECT_FALSE(run.error_text().isEmpty());
        EXPECT_EQ(last_presented, nullptr);
    }
    {  // the user cancels during the tenth patch's settle time
        platform::CSimColorimeter meter(config(), kSerial);
        CVerificationRun run(meter, screen());
        std::vector<CCIEXYZ> readings;
        const int r = run.run(patches, readings, [&](int done, int total, qint64 left) {
            EXPECT_EQ(total, 69);
            EXPECT_GT(left, 0);
            if (done == 9) run.cancel();
        });
        EXPECT_EQ(r, kCancelled);
        EXPECT_EQ(readings.size(), 9u);
        EXPECT_TRUE(meter.cancelled());
    }
    EXPECT_EQ(last_presented, nullptr);
    EXPECT_FALSE(CSimScreen::instance().shown(kSerial).has_value());
    EXPECT_EQ(sim_monitor().to_json(), before);
}

TEST_F(VerifyTest, ReportFilesParseAndHoldTheReportsFigures) {
    Report r = measure();
    r.monitor = QStringLiteral("KX271W 71000123");
    r.mode = QStringLiteral("Memory 1 <sRGB> & \"more\"");
    const QByteArray html = report_html(r, {{QStringLiteral("graph"), QByteArray("\x89PNG", 4)}});
    QXmlStreamReader xml(html);
    int cells = 0, images = 0;
    QStringList texts;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("td")) ++cells;
        if (xml.isStartElement() && xml.name() == QLatin1String("img")) {
            ++images;
            EXPECT_TRUE(
                xml.attributes().value("src").startsWith(QLatin1String("data:image/png;base64,")));
        }
        if (xml.isCharacters()) texts << xml.text().toString();
    }
    EXPECT_FALSE(xml.hasError()) << qPrintable(xml.errorString()) << " line " << xml.lineNumber();
    EXPECT_EQ(images, 1);
    EXPECT_GT(cells, 69 * 11);
    EXPECT_TRUE(texts.contains(r.mode));
    EXPECT_TRUE(texts.contains(QString::number(r.average, 'f', 2)));

    const QList<QByteArray> lines = report_csv(r).split('\n');
    ASSERT_EQ(lines.size(), 69 + 2);  // header, rows, the empty end
    const QList<QByteArray> header = lines[0].split(',');
    EXPECT_EQ(header[0], "patch");
    const int de_column = int(header.indexOf("dE2000"));
    ASSERT_GT(de_column, 0);
    for (int i = 0; i < 69; ++i) {
        const QList<QByteArray> fields = lines[i + 1].split(',');
        ASSERT_EQ(fields.size(), header.size()) << lines[i + 1].constData();
        EXPECT_NEAR(fields[de_column].toDouble(), r.rows[std::size_t(i)].delta_e, 1e-4);
    }

    const QJsonObject json =
        QJsonDocument::fromJson(QJsonDocument(report_json(r)).toJson()).object();
    EXPECT_DOUBLE_EQ(json["average"].toDouble(), r.average);
    EXPECT_DOUBLE_EQ(json["maximum"].toDouble(), r.maximum);
    EXPECT_EQ(json["passed"].toBool(), r.passed());
    EXPECT_EQ(json["patches"].toArray().size(), 69);

    QTemporaryDir dir;
    QString error;
    EXPECT_TRUE(save_report_file(dir.filePath("r.csv"), report_csv(r), error));
    EXPECT_FALSE(save_report_file(dir.filePath("missing/r.csv"), report_csv(r), error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(VerifyFigures, PercentileThresholdsAndTheWhitesDistance) {
    EXPECT_DOUBLE_EQ(percentile({}, 95), 0.0);
    EXPECT_DOUBLE_EQ(percentile({3.0}, 95), 3.0);
    // Between the two highest of 21 values 0..20, interpolated.
    std::vector<double> v;
    for (int i = 20; i >= 0; --i)
        v.push_back(i);
    EXPECT_DOUBLE_EQ(percentile(v, 95), 19.0);
    EXPECT_DOUBLE_EQ(percentile(v, 50), 10.0);
    EXPECT_NEAR(uv_distance({0.3127, 0.3290}, {0.3127, 0.3290}), 0.0, 1e-12);
    // D65 to D50 (u'v' 0.1978, 0.4683 to 0.2092, 0.4881): over four times the default limit.
    EXPECT_NEAR(uv_distance({0.3127, 0.3290}, {0.3457, 0.3585}), 0.0229, 0.0005);

    // A report fails on the one figure over its limit.
    const std::vector<Patch> patches = {{"W", PatchGroup::grayscale, {1, 1, 1}, 1.0},
                                        {"K", PatchGroup::grayscale, {0, 0, 0}, 0.0},
                                        {"R", PatchGroup::primaries, {1, 0, 0}, 1.0}};
    const CCIEXYZ w(95.047, 100.0, 108.883), k(0.1, 0.1, 0.1), red(41.24, 21.26, 1.93);
    Report good = compute_report(patches, {w, k, red}, {w, k, red}, Thresholds());
    EXPECT_TRUE(good.passed());
    EXPECT_NEAR(good.contrast, 1000.0, 1e-9);
    const CCIEXYZ off_red(30.0, 25.0, 8.0);
    Report bad = compute_report(patches, {w, k, red}, {w, k, off_red}, Thresholds());
    EXPECT_FALSE(bad.maximum_passed);
    EXPECT_TRUE(bad.white_point_passed);
    EXPECT_EQ(bad.worst, QStringLiteral("R"));
    Thresholds loose;
    loose.average = loose.percentile95 = loose.maximum = 100.0;
    EXPECT_TRUE(compute_report(patches, {w, k, red}, {w, k, off_red}, loose).passed());
}

}  // namespace

namespace {

CCIEXYZ xyz_of(double x, double y, double luminance) {
    return CCIEXYZ(x * luminance / y, luminance, (1.0 - x - y) * luminance / y);
}

// A grey's duv says which way it leaves the Planckian locus at every temperature: greenish
// above it, magenta below; the distance to the daylight locus it once reported above 4000 K
// was unsigned and near zero for a D65 white.
TEST(VerifyReport, GreysCarryTheirSignedDistanceFromThePlanckianLocus) {
    const std::vector<Patch> patches = {{"W", PatchGroup::grayscale, {1, 1, 1}, 1.0},
                                        {"M", PatchGroup::grayscale, {0.5, 0.5, 0.5}, 0.5},
                                        {"A", PatchGroup::grayscale, {0.25, 0.25, 0.25}, 0.25},
                                        {"K", PatchGroup::grayscale, {0, 0, 0}, 0.0}};
    const std::vector<CCIEXYZ> readings = {xyz_of(0.31271, 0.32902, 120.0),
                                           xyz_of(0.3100, 0.3100, 25.0),
                                           xyz_of(0.44757, 0.40745, 6.0), CCIEXYZ(0.1, 0.1, 0.1)};
    const Report r = compute_report(patches, readings, readings, Thresholds());
    ASSERT_EQ(r.rows.size(), 4u);
    // D65 sits 0.0032 above the Planckian locus (CIE 15's figures); illuminant A on it.
    EXPECT_NEAR(r.rows[0].duv, 0.0032, 0.0001);
    EXPECT_NEAR(r.rows[0].cct, 6504, 3);
    EXPECT_EQ(r.white_cct, r.rows[0].cct);
    EXPECT_LT(r.rows[1].duv, -0.004) << "a magenta grey lies below the locus";
    EXPECT_NEAR(r.rows[2].cct, 2856, 3);
    EXPECT_NEAR(r.rows[2].duv, 0.0, 0.0002);
}

}  // namespace

namespace {

TEST(VerifyPatches, PatchesAreWhatTheScreenDraws) {
    const std::vector<Patch> asked = standard_patches();
    const std::vector<Patch> eight = as_drawn(asked);
    const std::vector<Patch> ten = as_drawn(asked, 10);
    ASSERT_EQ(eight.size(), asked.size());
    for (std::size_t i = 0; i < asked.size(); ++i) {
        EXPECT_EQ(eight[i].name, asked[i].name);
        for (std::size_t c = 0; c < 3; ++c) {
            // A whole code of the framebuffer, and the nearest one to what was asked.
            const double code8 = eight[i].signal[c] * 255.0;
            EXPECT_NEAR(code8, std::round(code8), 1e-9);
            EXPECT_LE(std::abs(eight[i].signal[c] - asked[i].signal[c]), 0.5 / 255.0 + 1e-12);
            EXPECT_LE(std::abs(ten[i].signal[c] - asked[i].signal[c]), 0.5 / 1023.0 + 1e-12);
        }
        if (asked[i].group == PatchGroup::grayscale) {
            EXPECT_EQ(eight[i].level, eight[i].signal[0]);
        }
    }
    const auto grey5 = std::find_if(eight.begin(), eight.end(),
                                    [](const Patch& p) { return p.name == "Gray 5 %"; });
    ASSERT_NE(grey5, eight.end());
    EXPECT_DOUBLE_EQ(grey5->signal[0], 13.0 / 255.0);
}

}  // namespace

namespace {

// The simulated screen draws what a framebuffer draws, and the colorimeter reads that: targets
// of the finer signal asked for miss the dark greys by what the rounding costs.
TEST_F(VerifyTest, TargetsOfTheDrawnValueMatchWhatTheInstrumentReads) {
    publish();
    CSimScreen::instance().show(kSerial, {0.05, 0.05, 0.05});
    EXPECT_DOUBLE_EQ((*CSimScreen::instance().shown(kSerial))[0], 13.0 / 255.0);
    CModeTarget target;
    ASSERT_EQ(mode_target(active_mode(), target), TargetResult::ready);
    const std::vector<Patch> asked = standard_patches();
    const std::vector<Patch> drawn = as_drawn(asked);
    platform::CSimColorimeter meter(config(), kSerial);
    meter.set_seed(7);
    CVerificationRun run(meter, screen());
    std::vector<CCIEXYZ> readings;
    ASSERT_EQ(run.run(drawn, readings), 0) << qPrintable(run.error_text());
    const Report honest = compute_report(drawn, mode_targets(target, drawn), readings, {});
    const Report asked_for = compute_report(asked, mode_targets(target, asked), readings, {});
    EXPECT_LT(row(honest, "Gray 5 %").delta_e, row(asked_for, "Gray 5 %").delta_e);
    EXPECT_LE(honest.average, asked_for.average);
}

TEST_F(VerifyTest, EachRunHasItsOwnNoiseAndASeedRepeatsARun) {
    publish();
    const std::vector<Patch> patches = as_drawn(standard_patches());
    const auto readings_with = [&](std::optional<std::uint32_t> seed) {
        platform::CSimColorimeter meter(config(), kSerial);
        if (seed) meter.set_seed(*seed);
        CVerificationRun run(meter, screen());
        std::vector<CCIEXYZ> readings;
        EXPECT_EQ(run.run(patches, readings), 0) << qPrintable(run.error_text());
        return std::make_pair(meter.seed(), readings);
    };
    const auto first = readings_with(std::nullopt);
    const auto second = readings_with(std::nullopt);
    EXPECT_NE(first.first, second.first) << "seeds are drawn per run";
    EXPECT_NE(first.second[0].Y, second.second[0].Y);
    const auto again = readings_with(first.first);
    ASSERT_EQ(again.second.size(), first.second.size());
    for (std::size_t i = 0; i < again.second.size(); ++i)
        EXPECT_EQ(again.second[i].Y, first.second[i].Y) << i;

    // The stand-in's own setting, for a run started where no code can set it.
    qputenv("ORVALE_SIM_COLORIMETER_SEED", "4242");
    platform::CSimColorimeter set(config(), kSerial);
    qunsetenv("ORVALE_SIM_COLORIMETER_SEED");
    EXPECT_EQ(set.seed(), 4242u);
    EXPECT_TRUE(set.description().endsWith(QStringLiteral("noise seed 4242")));
}

}  // namespace
