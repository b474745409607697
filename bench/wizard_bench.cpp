// What the printer-emulation pages do on the GUI thread while the user works the controls:
// remaking the 9 x 9 x 9 table after an intent, gamut or white point change, rebuilding the 3D
// LUT view's display list, and drawing one frame of it at the viewer's 370 x 370.
//   bench/wizard_bench                      the table alone (any platform)
//   xvfb-run -a bench/wizard_bench          with the OpenGL view (Xvfb, Mesa's software renderer)
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "profiles/color_management.h"
#include "profiles/emulation_lut.h"
#include "profiles/reference_profiles.h"
#include "ui/lut_viewer/gl_widget.h"
#include "ui/lut_viewer/view_3d_lut_dialog.h"

namespace {

const QString kPrinter = QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc");
const ProfileTexts kTexts = {QStringLiteral("(c)"), QStringLiteral("Kestrel"),
                             QStringLiteral("Orvale"), QStringLiteral("/Targets/")};
// A wide-gamut panel's primaries, thousandths, at indices 1 to 6.
const QList<quint16> kNative = {0, 690, 305, 170, 740, 150, 45};

// The reference profiles as the wizard writes them, and a generator set up as page 3 has it.
struct Setup {
    QString folder;
    EmulationLut lut;
    bool ready = false;
};

Setup& setup() {
    static Setup s = [] {
        Setup made;
        if (!QFile::exists(kPrinter) || makeReferenceProfiles(kNative, 0, 0, false, kTexts) != 0)
            return made;
        made.folder = QDir::fromNativeSeparators(targetFolder(false, kTexts));
        if (!made.folder.endsWith(QLatin1Char('/'))) made.folder += QLatin1Char('/');
        made.lut.setSourceProfile(made.folder + QLatin1String(kFullGamutProfile));
        made.lut.setDisplayProfile(made.folder + QLatin1String(kFullGamutProfile));
        made.lut.setEmulatedProfile(kPrinter);
        made.ready = made.lut.compute();
        return made;
    }();
    return s;
}

void BM_LutAfterIntentChange(benchmark::State& state) {
    Setup& s = setup();
    if (!s.ready) return state.SkipWithError("no printer profile or reference profiles");
    int intent = 4;
    for (auto _ : state) {
        intent = intent == 4 ? 1 : 4;
        s.lut.setIntentIndex(intent);
        benchmark::DoNotOptimize(s.lut.compute());
    }
}
BENCHMARK(BM_LutAfterIntentChange)->Unit(benchmark::kMillisecond);

void BM_LutAfterGamutChange(benchmark::State& state) {
    Setup& s = setup();
    if (!s.ready) return state.SkipWithError("no printer profile or reference profiles");
    bool srgb = false;
    for (auto _ : state) {
        srgb = !srgb;
        s.lut.setSourceProfile(s.folder + QLatin1String(srgb ? kSrgbProfile : kFullGamutProfile));
        benchmark::DoNotOptimize(s.lut.compute());
    }
}
BENCHMARK(BM_LutAfterGamutChange)->Unit(benchmark::kMillisecond);

// A new white point rewrites the three reference profiles before the table is remade.
void BM_LutAfterWhitePointChange(benchmark::State& state) {
    Setup& s = setup();
    if (!s.ready) return state.SkipWithError("no printer profile or reference profiles");
    quint16 x = 313;
    for (auto _ : state) {
        x = x == 313 ? 346 : 313;
        makeReferenceProfiles(kNative, x, x == 313 ? 329 : 359, false, kTexts);
        benchmark::DoNotOptimize(s.lut.compute());
    }
}
BENCHMARK(BM_LutAfterWhitePointChange)->Unit(benchmark::kMillisecond);

// The view with its drawing reachable, shown at the viewer's size.
struct TimedView : GLWidget {
    using GLWidget::paintGL;
};

std::unique_ptr<TimedView>& view() {
    static std::unique_ptr<TimedView> v;
    return v;
}

TimedView* shown_view() {
    if (!view_3d_lut_dialog::opengl_available()) return nullptr;
    if (!view()) {
        view() = std::make_unique<TimedView>();
        view()->resize(370, 370);
        view()->show();
        for (int i = 0; i < 20 && !view()->can_draw(); ++i)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        view()->set_3d_lut_data(lut_geometry::identity_points());
    }
    return view()->can_draw() ? view().get() : nullptr;
}

void finish(TimedView* v) {
    v->makeCurrent();
    v->context()->functions()->glFinish();
    v->doneCurrent();
}

void BM_ViewerDisplayListRebuild(benchmark::State& state) {
    TimedView* v = shown_view();
    if (!v) return state.SkipWithError("no OpenGL here: run under xvfb-run");
    const lut_geometry::Points identity = lut_geometry::identity_points();
    for (auto _ : state) {
        v->set_3d_lut_data(identity);
        finish(v);
    }
}
BENCHMARK(BM_ViewerDisplayListRebuild)->Unit(benchmark::kMillisecond);

void BM_ViewerFrame370(benchmark::State& state) {
    TimedView* v = shown_view();
    if (!v) return state.SkipWithError("no OpenGL here: run under xvfb-run");
    int angle = 0;
    for (auto _ : state) {
        v->setYRotation(angle += 8);
        v->makeCurrent();
        v->paintGL();
        v->context()->functions()->glFinish();
        v->doneCurrent();
    }
}
BENCHMARK(BM_ViewerFrame370)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // The reference profiles go to a scratch folder, never to the user's own.
    QTemporaryDir scratch;
    setenv("XDG_DATA_HOME", qPrintable(scratch.path()), 1);
    if (!std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    view().reset();
    return 0;
}
