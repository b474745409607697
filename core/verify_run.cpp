#include "core/verify_run.h"

#include <lcms2.h>
#include <QElapsedTimer>

#include "color/chromatic_adaptation.h"
#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "core/check_restore_monitor_settings_thread.h"
#include "core/picture_mode_rules.h"
#include "platform/sleeper.h"

namespace mf = monitor_feature;

namespace verify {

using namespace picture_mode;

int read_active_mode(CDDCMonitor& m, ActiveMode& mode, QString& what) {
    int unused = 0;
    if (const int r = m.get_value(mf::memory_select, mode.memory); r != 0) {
        what = QStringLiteral("memory");
        return r;
    }
    if (const int r = m.read_memory_settings(mode.item); r != 0) {
        what = QStringLiteral("mode settings");
        return r;
    }
    if (const int r = m.get_value_max(mf::luminance, mode.brightness, unused); r != 0) {
        what = QStringLiteral("brightness");
        return r;
    }
    if (const int r = m.get_value_max(mf::black_level, mode.black_level, unused); r != 0) {
        what = QStringLiteral("black level");
        return r;
    }
    if (const int r = m.get_value(mf::black_level_minimum, mode.black_limit); r != 0) {
        if (r != CDDCMonitor::kUnsupported) {
            what = QStringLiteral("black limit");
            return r;
        }
        mode.black_limit = -1;
    }
    if (tone_curve_of(mode.item) == ToneCurve::programmable && !mode.curves) {
        CCurveSet set;
        if (CheckRestoreMonitorSettingsThread::read_curves(m, set.red, set.green, set.blue) == 0)
            mode.curves = set;
    }
    return 0;
}

TargetResult mode_target(const ActiveMode& mode, CModeTarget& target) {
    ModeProfileInput input;
    // Only the profile's colours are wanted, no file; its input needs a folder all the same.
    input.folder = QStringLiteral("/");
    input.item = mode.item;
    input.memory = mode.memory;
    input.brightness = mode.brightness;
    input.black_level = mode.black_level;
    input.black_limit = mode.black_limit;
    input.curves = mode.curves;
    ProfileSpec spec;
    switch (mode_profile_spec(input, spec)) {
        case SpecResult::ready:
            break;
        case SpecResult::needs_curves:
            return TargetResult::needs_curves;
        case SpecResult::invalid_curves:
            return TargetResult::invalid_curves;
        case SpecResult::no_colorimetry:
        case SpecResult::no_folder:
            return TargetResult::no_colorimetry;
    }
    // The monitor cannot show a black below its own limit, whatever the mode asks.
    const double black = std::max(mode.black_level, mode.black_limit) / 10.0;
    const std::array<CChromaticity, 4> c = {{{spec.whiteX, spec.whiteY},
                                             {spec.redX, spec.redY},
                                             {spec.greenX, spec.greenY},
                                             {spec.blueX, spec.blueY}}};
    if (!target.set(c, {spec.redCurve, spec.greenCurve, spec.blueCurve}, mode.brightness,
                    std::max(0.0, black))) {
        return TargetResult::no_colorimetry;
    }
    return TargetResult::ready;
}

std::vector<CCIEXYZ> mode_targets(const CModeTarget& mode, const std::vector<Patch>& patches) {
    std::vector<CCIEXYZ> targets;
    targets.reserve(patches.size());
    for (const Patch& p : patches)
        targets.push_back(mode.xyz(p.signal[0], p.signal[1], p.signal[2]));
    return targets;
}

bool emulation_targets(const Emulation& emulation, const CModeTarget& mode,
                       const std::vector<Patch>& patches, std::vector<CCIEXYZ>& targets,
                       QString& error) {
    static constexpr cmsUInt32Number kIntents[] = {INTENT_ABSOLUTE_COLORIMETRIC, INTENT_SATURATION,
                                                   INTENT_RELATIVE_COLORIMETRIC, INTENT_PERCEPTUAL};
    if (emulation.intent_index < 1 || emulation.intent_index > 4) {
        error =
            QStringLiteral("rendering intent %1 is not one of 1 to 4").arg(emulation.intent_index);
        return false;
    }
    if (!mode.valid()) {
        error = QStringLiteral("the mode has no target white");
        return false;
    }
    const QByteArray source_path = emulation.source_profile.toLocal8Bit();
    const QByteArray emulated_path = emulation.emulated_profile.toLocal8Bit();
    cmsHPROFILE source = emulation.source_profile.isEmpty()
                             ? cmsCreate_sRGBProfile()
                             : cmsOpenProfileFromFile(source_path.constData(), "r");
    if (!source) {
        error = QStringLiteral("cannot read the profile %1").arg(emulation.source_profile);
        return false;
    }
    cmsHPROFILE emulated = cmsOpenProfileFromFile(emulated_path.constData(), "r");
    if (!emulated) {
        cmsCloseProfile(source);
        error = QStringLiteral("cannot read the profile %1").arg(emulation.emulated_profile);
        return false;
    }
    cmsHPROFILE pcs = cmsCreateXYZProfile();
    // As the emulation table: into the emulated device relative colorimetric, out of it with
    // the chosen intent. The device comes twice, once in each direction, as in a proofing chain.
    cmsHPROFILE chain[4] = {source, emulated, emulated, pcs};
    cmsBool bpc[4] = {FALSE, FALSE, FALSE, FALSE};
    cmsUInt32Number intents[4] = {INTENT_RELATIVE_COLORIMETRIC, INTENT_RELATIVE_COLORIMETRIC,
                                  kIntents[emulation.intent_index - 1],
                                  INTENT_RELATIVE_COLORIMETRIC};
    cmsFloat64Number adaptation[4] = {1.0, 1.0, 1.0, 1.0};
    const cmsHTRANSFORM transform = cmsCreateExtendedTransform(
        nullptr, 4, chain, bpc, intents, adaptation, nullptr, 0, TYPE_RGB_DBL, TYPE_XYZ_DBL,
        cmsFLAGS_NOCACHE | cmsFLAGS_HIGHRESPRECALC);
    cmsCloseProfile(pcs);
    cmsCloseProfile(emulated);
    cmsCloseProfile(source);
    if (!transform) {
        error = QStringLiteral("the profiles %1 and %2 cannot be linked")
                    .arg(emulation.source_profile, emulation.emulated_profile);
        return false;
    }
    std::vector<double> in;
    for (const Patch& p : patches)
        in.insert(in.end(), p.signal.begin(), p.signal.end());
    std::vector<cmsCIEXYZ> out(patches.size());
    cmsDoTransform(transform, in.data(), out.data(), static_cast<cmsUInt32Number>(patches.size()));
    cmsDeleteTransform(transform);

    // From the connection space's D50 to the mode's white, at its luminance above its black.
    CChromaticAdaptation adaptation_to_white;
    const CChromaticity w = mode.white_chromaticity();
    adaptation_to_white.setSourceWhiteWithInverse(CCIEXYZ(w.x, w.y));
    const double span = mode.white_luminance() - mode.black_luminance();
    const CCIEXYZ black = mode.black();
    targets.clear();
    for (const cmsCIEXYZ& xyz : out) {
        const CCIEXYZ seen = adaptation_to_white.adaptInverse({xyz.X, xyz.Y, xyz.Z});
        targets.push_back(
            {black.X + span * seen.X, black.Y + span * seen.Y, black.Z + span * seen.Z});
    }
    return true;
}

CVerificationRun::CVerificationRun(platform::CInstrument& instrument, Presenter presenter,
                                   int settle_ms)
    : instrument_(instrument), presenter_(std::move(presenter)), settle_ms_(settle_ms) {}

void CVerificationRun::cancel() {
    cancelled_ = true;
    instrument_.cancel();
}

int CVerificationRun::run(const std::vector<Patch>& patches, std::vector<CCIEXYZ>& readings,
                          const Progress& progress) {
    using platform::instrument_error::kCancelled;
    readings.clear();
    error_.clear();
    const auto finish = [&](int code) {
        if (presenter_) presenter_(nullptr);
        if (code != 0) {
            error_ = instrument_.error_text();
            if (error_.isEmpty()) error_ = platform::instrument_error_text(code);
        }
        return code;
    };
    if (cancelled_) return finish(kCancelled);
    if (const int r = instrument_.open(); r != 0) return finish(r);
    const int total = static_cast<int>(patches.size());
    QElapsedTimer clock;
    clock.start();
    qint64 reading_ms = 0;
    for (int i = 0; i < total; ++i) {
        if (progress) {
            const qint64 per_patch = settle_ms_ + (i > 0 ? reading_ms / i : 0);
            progress(i, total, per_patch * (total - i));
        }
        if (presenter_) presenter_(&patches[static_cast<std::size_t>(i)]);
        platform::sleep_ms(settle_ms_);
        if (cancelled_) {
            instrument_.close();
            return finish(kCancelled);
        }
        platform::CInstrumentSample sample;
        clock.restart();
        const int r = instrument_.read(sample);
        reading_ms += clock.elapsed();
        if (r != 0 || cancelled_) {
            instrument_.close();
            return finish(r != 0 ? r : kCancelled);
        }
        readings.push_back({sample.X, sample.Y, sample.Z});
    }
    instrument_.close();
    if (progress) progress(total, total, 0);
    return finish(0);
}

}  // namespace verify
