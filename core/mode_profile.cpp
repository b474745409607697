#include "core/mode_profile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>

#include "color/error_codes.h"
#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "comm/monitor_timing.h"
#include "profiles/color_management.h"
#include "profiles/display_profile.h"
#include "profiles/profile_list.h"

namespace mf = monitor_feature;

namespace picture_mode {

namespace {

QString page_tr(const char* text) {
    return QCoreApplication::translate("panel_picture_mode", text);
}

// The reference item says which mode the profile was made for, but the file may have been
// replaced since (by orvale-ctl for another memory) or removed: then the display would keep a
// profile of another mode, or none.
bool profile_on_disk_is_for(const ProfileRequest& request) {
    ProfileSpec on_disk;
    const QString path = mode_profile_path(colorDirectory(), request.model, request.serial);
    return readDisplayProfile(path, on_disk) == 0 &&
           on_disk.description ==
               mode_profile_description(request.model, request.serial, request.memory);
}

}  // namespace

MemorySelection select_memory(CDDCMonitor& monitor, int memory,
                              const std::function<void()>& after_write,
                              const std::function<void()>& after_settle) {
    MemorySelection done;
    int value = memory;
    done.select = monitor.set_value(mf::memory_select, value);
    if (done.select != 0) return done;
    if (after_write) after_write();
    monitor.wait(monitor_timing::kPageSettleWaitMs);
    if (after_settle) after_settle();
    done.save = monitor.save_settings();
    return done;
}

ProfileResult make_active_mode_profile(CDDCMonitor& monitor, const ProfileRequest& request) {
    ProfileResult result;
    std::uint32_t stamp_value = 0;
    const int entry_found = monitor.find_memory_entry(request.memory, request.preset, stamp_value);
    if (const auto stamp = calibration_stamp(entry_found == 1, stamp_value)) {
        const QList<ProfileEntry> profiles = listProfiles(kDisplayProfiles);
        const int index = profile_for_stamp(profiles, *stamp);
        if (index < 0) {
            result.outcome = ProfileOutcome::calibrated_missing;
            return result;
        }
        result.path = profiles[index].path;
        if (installAndAssociate(request.device, result.path) != 0) {
            result.outcome = ProfileOutcome::associate_failed;
            result.code = ui_error::kAssociationError;
            return result;
        }
        result.outcome = ProfileOutcome::calibrated_selected;
        return result;
    }

    if (request.reference && !mode_item_differs(request.item, *request.reference) &&
        profile_on_disk_is_for(request)) {
        result.outcome = ProfileOutcome::unchanged;
        return result;
    }

    ModeProfileInput input;
    input.folder = colorDirectory();
    input.model = request.model;
    input.serial = request.serial;
    input.memory = request.memory;
    input.item = request.item;
    input.brightness = request.brightness;
    input.black_level = request.black_level;
    input.black_limit = request.black_limit;
    input.created = QDateTime::currentDateTimeUtc();
    if (tone_curve_of(request.item) == ToneCurve::programmable) {
        if (request.curves) {
            input.curves = request.curves;
        } else if (request.read_curves) {
            CCurveSet set;
            set.key = static_cast<std::int8_t>(request.preset);
            if (request.read_curves(set) == 0) {
                result.curves_read = set;
                input.curves = set;
            }
        }
    }
    ProfileSpec spec;
    result.spec = mode_profile_spec(input, spec);
    if (result.spec != SpecResult::ready) {
        result.outcome = ProfileOutcome::not_possible;
        return result;
    }

    // The desktop recognises the display the profile belongs to by this.
    spec.displayDevice = request.device;
    result.path = spec.path;
    // The colour directory of a fresh account does not exist until a profile is installed,
    // and the profile is written there before it is installed.
    QDir().mkpath(input.folder);
    int saved = 0;
    for (;;) {
        saved = writeDisplayProfile(spec, profile_texts().copyright);
        if (saved != kProfileCannotReplace) break;
        if (!request.retry_locked || !request.retry_locked(QDir::toNativeSeparators(spec.path))) {
            result.outcome = ProfileOutcome::ignored;
            result.code = saved;
            return result;
        }
    }
    if (saved != 0) {
        result.outcome = ProfileOutcome::write_failed;
        result.code = saved;
        return result;
    }
    // The display's old profiles stay until the new one is written and installed: a failure
    // before must not leave the desktop without colour management.
    if (installAndReplaceAssociations(request.device, spec.path) != 0) {
        result.outcome = ProfileOutcome::associate_failed;
        result.code = ui_error::kAssociationError;
        return result;
    }
    result.outcome = ProfileOutcome::updated;
    return result;
}

QString outcome_text(ProfileOutcome outcome) {
    switch (outcome) {
        case ProfileOutcome::calibrated_selected:
            return page_tr("CCS profile has been selected");
        case ProfileOutcome::calibrated_missing:
            return page_tr("Unable to find ICC profile for this Picture Mode");
        case ProfileOutcome::updated:
            return page_tr("Display profile has been updated");
        default:
            return QString();
    }
}

int outcome_error(const ProfileResult& result) {
    switch (result.outcome) {
        case ProfileOutcome::write_failed:
        case ProfileOutcome::associate_failed:
            return result.code;
        default:
            return 0;
    }
}

}  // namespace picture_mode
