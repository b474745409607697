#pragma once

#include <QString>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include "color/adjust_value.h"
#include "color/cie_xyz.h"
#include "color/mode_target.h"
#include "comm/monitor_timing.h"
#include "core/verify_patches.h"
#include "platform/instrument.h"

class CDDCMonitor;

namespace verify {

// What a picture mode is made of, as the monitor reports it for the active memory.
struct ActiveMode {
    int memory = 0;
    CModeSettings item;
    int brightness = 0;    // cd/m²
    int black_level = 0;   // tenths of cd/m²
    int black_limit = -1;  // tenths; -1 unknown
    std::optional<CCurveSet> curves;
};

// Reads the active memory's item and the values its target needs (reading only: the monitor
// is left as it was). 0 or the monitor's error, with `what` naming the value that failed.
int read_active_mode(CDDCMonitor& monitor, ActiveMode& mode, QString& what);

enum class TargetResult { ready, needs_curves, invalid_curves, no_colorimetry, no_profile };

// The target of a mode item: its tone curve, primaries and white, luminance and black level.
TargetResult mode_target(const ActiveMode& mode, CModeTarget& target);

// An emulation mode's colours: each patch, taken as a colour of `source_profile`, as the
// emulated display or printer reproduces it, seen through the mode's white and luminance.
// `intent_index` as the emulation table takes it (1 absolute, 2 saturation, 3 relative,
// 4 perceptual). False, with `error`, when a profile cannot be read or linked.
struct Emulation {
    QString source_profile;
    QString emulated_profile;
    int intent_index = 4;
};
bool emulation_targets(const Emulation& emulation, const CModeTarget& mode,
                       const std::vector<Patch>& patches, std::vector<CCIEXYZ>& targets,
                       QString& error);

// The patches' targets through a mode's own target.
std::vector<CCIEXYZ> mode_targets(const CModeTarget& mode, const std::vector<Patch>& patches);

// Shows each patch, waits the settle time (through the platform sleeper), reads the
// instrument. The instrument is opened and closed here; the presenter is called with null at
// the end whatever happened, so nothing is left on the screen. Cancel from any thread.
class CVerificationRun {
  public:
    using Presenter = std::function<void(const Patch* patch)>;
    // Patches done, patches in all, an estimate of the milliseconds left.
    using Progress = std::function<void(int done, int total, qint64 ms_left)>;

    CVerificationRun(platform::CInstrument& instrument, Presenter presenter,
                     int settle_ms = monitor_timing::kPatchSettleWaitMs);

    // 0 with one reading per patch, or the instrument's error (kCancelled after cancel()); the
    // readings taken before a failure stay in `readings`.
    int run(const std::vector<Patch>& patches, std::vector<CCIEXYZ>& readings,
            const Progress& progress = {});
    void cancel();
    bool cancelled() const { return cancelled_; }
    // The instrument's words for the last failure.
    const QString& error_text() const { return error_; }

  private:
    platform::CInstrument& instrument_;
    Presenter presenter_;
    int settle_ms_;
    std::atomic<bool> cancelled_{false};
    QString error_;
};

}  // namespace verify
