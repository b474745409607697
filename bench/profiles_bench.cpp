#include <benchmark/benchmark.h>

#include <lcms2.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "color/curve_builders.h"
#include "color/spline.h"
#include "profiles/display_profile.h"
#include "profiles/emulation_lut.h"
#include "profiles/profile_list.h"

namespace {

QString g_folder;

ProfileSpec display_spec(const QString& path) {
    ProfileSpec spec;
    spec.path = path;
    spec.description = QStringLiteral("KX272W 12345678 ORV Mode 1");
    spec.created = QDateTime(QDate(2024, 3, 9), QTime(17, 45, 12));
    spec.whiteX = 0.3127;
    spec.whiteY = 0.3290;
    spec.redX = 0.680;
    spec.redY = 0.320;
    spec.greenX = 0.265;
    spec.greenY = 0.690;
    spec.blueX = 0.150;
    spec.blueY = 0.060;
    spec.luminance = 160.0;
    spec.monitorId = 0x2E6F6C12;
    spec.useCurves = true;
    make_srgb_curve(spec.redCurve);
    make_lstar_curve(spec.greenCurve);
    make_gamma_curve(spec.blueCurve, 2.2);
    return spec;
}

// A picture mode's profile with 256-entry curves, rewritten in place as the picture-mode page
// does: build, write beside, replace the old file.
void write_display_profile(benchmark::State& state) {
    const ProfileSpec spec = display_spec(g_folder + QStringLiteral("/bench ORV.icm"));
    for (auto _ : state) {
        if (writeDisplayProfile(spec, QString()) != 0) state.SkipWithError("write failed");
    }
}
BENCHMARK(write_display_profile)->Unit(benchmark::kMicrosecond);

// The printer emulation table: sRGB -> printer -> the panel's native profile, 729 colours.
void emulation_lut_compute(benchmark::State& state) {
    const QString printer = QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc");
    const QString srgb = QStringLiteral("/usr/share/color/icc/sRGB.icc");
    if (!QFile::exists(printer) || !QFile::exists(srgb)) {
        state.SkipWithError("printer or sRGB profile not installed");
        return;
    }
    ProfileSpec native = display_spec(g_folder + QStringLiteral("/full.icm"));
    native.useCurves = false;
    native.gamma = 2.2;
    if (writeDisplayProfile(native, QString()) != 0) {
        state.SkipWithError("native profile not written");
        return;
    }
    EmulationLut lut;
    lut.setSourceProfile(srgb);
    lut.setEmulatedProfile(printer);
    lut.setDisplayProfile(native.path);
    lut.setSimulatePaper(state.range(0) != 0);
    for (auto _ : state) {
        if (!lut.compute()) state.SkipWithError("compute failed");
        benchmark::DoNotOptimize(lut.table().data());
    }
}
BENCHMARK(emulation_lut_compute)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A measured-looking tone curve of `n` entries: a power with a small wobble, different per
// channel, so that no two tags are alike.
std::vector<cmsUInt16Number> tone_curve(int n, double gamma, double wobble) {
    std::vector<cmsUInt16Number> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        const double x = i / double(n - 1);
        const double y = std::pow(x, gamma) * (1.0 + wobble * std::sin(9.0 * x));
        v[std::size_t(i)] = cmsUInt16Number(std::lround(std::min(1.0, y) * 65535));
    }
    return v;
}

// Reading a profile with three different 4096-entry curves, as the wizard does on every click:
// almost all of it is the gamma fit of the three curves.
void read_profile_4096_curves(benchmark::State& state) {
    const QString path = g_folder + QStringLiteral("/curves4096.icc");
    const cmsCIExyY white = {0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.30, 0.60, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* curves[3];
    const double gammas[3] = {2.2, 2.25, 2.15};
    for (int c = 0; c < 3; ++c) {
        const auto v = tone_curve(4096, gammas[c], 0.002 * (c + 1));
        curves[c] = cmsBuildTabulatedToneCurve16(nullptr, 4096, v.data());
    }
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    const bool saved = profile && cmsSaveProfileToFile(profile, qPrintable(path));
    if (profile) cmsCloseProfile(profile);
    for (cmsToneCurve* c : curves)
        cmsFreeToneCurve(c);
    if (!saved) {
        state.SkipWithError("profile not written");
        return;
    }
    for (auto _ : state) {
        ProfileSpec spec;
        if (readDisplayProfile(path, spec) != 0) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(spec.gamma);
    }
}
BENCHMARK(read_profile_4096_curves)->Unit(benchmark::kMillisecond);

// The gamma fit of the longest curve a profile can hold.
void fit_gamma_65535_entries(benchmark::State& state) {
    const auto v = tone_curve(65535, 2.2, 0.002);
    CSpline curve;
    curve.init(CSpline::kCatmullRom, 65535, 0.0, 1.0);
    for (int i = 0; i < 65535; ++i)
        curve.setPointAt(i, i / 65534.0, v[std::size_t(i)] / 65535.0);
    for (auto _ : state)
        benchmark::DoNotOptimize(curve.fitGamma());
}
BENCHMARK(fit_gamma_65535_entries)->Unit(benchmark::kMillisecond);

// The wizard's printer and display tables: every profile of the machine's folders (Debian's
// icc-profiles-free, colord-data and Ghostscript profiles), read once each.
void list_installed_profiles(benchmark::State& state) {
    std::size_t listed = 0;
    for (auto _ : state)
        listed = static_cast<std::size_t>(
            listProfiles(kPrinterProfiles | kDisplayProfiles | kColorSpaceProfiles).size());
    state.counters["profiles"] = static_cast<double>(listed);
}
BENCHMARK(list_installed_profiles)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // Profiles and the colour system's stores go to a private folder, never the user's.
    QTemporaryDir sandbox;
    if (!sandbox.isValid()) return 2;
    setenv("XDG_DATA_HOME", qPrintable(sandbox.path() + QStringLiteral("/data")), 1);
    setenv("XDG_CONFIG_HOME", qPrintable(sandbox.path() + QStringLiteral("/config")), 1);
    QCoreApplication app(argc, argv);
    g_folder = sandbox.path() + QStringLiteral("/profiles");
    QDir().mkpath(g_folder);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
