#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "color/adjust_value.h"
#include "core/picture_mode_rules.h"

class CDDCMonitor;

// The picture-mode steps that talk to the monitor and the colour system but need no window:
// selecting a memory and making the display profile of the active mode. The Picture Mode page
// and the command-line tool both run them; each shows the outcome its own way.
namespace picture_mode {

// What selecting a memory came to: the write's result and the save's result.
struct MemorySelection {
    int select = 0;
    int save = 0;
};

// Selects `memory` as the page does: the write, `after_write` (the page handles pending
// events there), the settle wait, `after_settle` (what the caller reloads), the save. Nothing
// after a failed write: a memory the monitor did not take must not be saved.
MemorySelection select_memory(CDDCMonitor& monitor, int memory,
                              const std::function<void()>& after_write = {},
                              const std::function<void()>& after_settle = {});

enum class ProfileOutcome {
    unchanged,            // the display already has the profile of this item
    calibrated_selected,  // a calibration made on the monitor: its profile was associated
    calibrated_missing,   // a calibration made on the monitor, and no profile of its time
    not_possible,         // the item gives no profile (see `spec`)
    ignored,              // the old file could not be replaced and the caller gave up
    write_failed,         // `code` is the writer's result
    associate_failed,     // `code` is ui_error::kAssociationError
    updated,              // written and associated
};

struct ProfileRequest {
    QString device;  // the colour system's name of the display
    QString model;
    QString serial;
    int memory = 0;
    int preset = 0;
    CModeSettings item;    // of the active memory
    int brightness = 0;    // cd/m²
    int black_level = 0;   // tenths of cd/m²
    int black_limit = -1;  // tenths; -1 unknown
    // The item the display's current profile was made for; without one a profile is always
    // made.
    std::optional<CModeSettings> reference;
    // A programmable mode's curves, when the caller holds them.
    std::optional<CCurveSet> curves;
    // Reads a programmable mode's curves from the monitor when the caller holds none; 0 or an
    // error. `curves.key` is set.
    std::function<int(CCurveSet& curves)> read_curves;
    // The old profile cannot be replaced: true to try again (the page asks), false to give up.
    std::function<bool(const QString& native_path)> retry_locked;
};

struct ProfileResult {
    ProfileOutcome outcome = ProfileOutcome::unchanged;
    int code = 0;
    QString path;  // the profile written or associated
    SpecResult spec = SpecResult::ready;
    // Curves read from the monitor, for the caller's record.
    std::optional<CCurveSet> curves_read;
};

// Makes the active mode's display profile: a profile created at the monitor's calibration
// time stamp when the monitor reports one for the memory and preset, otherwise a profile built
// from the item, written into the colour directory and associated with the display.
ProfileResult make_active_mode_profile(CDDCMonitor& monitor, const ProfileRequest& request);

// The status text of an outcome (empty when there is none to show).
QString outcome_text(ProfileOutcome outcome);

// The error of an outcome for the common error texts: 0 when it is not a failure.
int outcome_error(const ProfileResult& result);

}  // namespace picture_mode
