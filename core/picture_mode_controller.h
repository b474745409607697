#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "core/mode_profile.h"
#include "core/monitor_tracker.h"

class CDDCMonitor;
struct DisplayInfo;

// The picture-mode work on a monitor and on the program's record of it, without a window: the
// preparation before the first adjustment, the brightness and black-level writes and their
// save, the switches, selecting a memory, the reset, putting the monitor back after a cancelled
// wizard, the record's item of the active memory, the memory buttons' labels and the profile of
// the active mode with what follows from its result. The Picture Mode page shows what these
// steps come to and `orvale-ctl` prints it; both run the same steps, so they cannot disagree.
//
// Every step holds the "monitor in use" token for as long as it talks to the monitor; callers
// that join several steps into one conversation (with event processing between them) hold a
// CMonitorUse of their own around them.
class CPictureModeController {
  public:
    // What the steps work on, asked for at every step: the page's monitor changes with the
    // selected display, the tool's stays the one it opened.
    struct Target {
        CDDCMonitor* monitor = nullptr;
        CMonitorTracker* records = nullptr;
        const DisplayInfo* display = nullptr;
    };
    // What the caller does in between. The page processes its events after a memory write,
    // reloads itself once the memory has settled, reads the curves in its progress dialog and
    // asks whether to try a locked profile again; a missing hook is skipped (or, for the
    // retry, answered "no").
    struct Hooks {
        std::function<void()> process_events;
        std::function<void()> reload;
        std::function<int(CCurveSet& curves)> read_curves;
        std::function<bool(const QString& native_path)> retry_locked;
    };

    explicit CPictureModeController(std::function<Target()> target, Hooks hooks = {});
    // The main window's target: MasterControl's current display and its records.
    static Target current_display();

    // No operation of the main window runs and no conversation holds the token: a timer may
    // talk to the monitor now, otherwise it tries again later.
    static bool monitor_free();

    CDDCMonitor* monitor() const;
    // The record of the current monitor (model name and serial number) into `entry`; false
    // without monitor or record.
    bool lookup_record(CMonitorEntry& entry) const;

    // The preparation before the first adjustment: 0x254 -> 0 and 0x233 -> 1, each with its
    // wait, then 0x105D -> 31 unless after a reset. A reset counts as prepared even when the
    // preparation failed (its failure is reported once); otherwise only a complete one does.
    enum class Preparation { first_adjustment, after_reset };
    int prepare_adjustment(Preparation when = Preparation::first_adjustment);
    bool adjustment_prepared() const { return adjustment_prepared_; }

    // The levels and limits the page shows, read in this order: black limit, black level,
    // uniformity limit, contrast limit, brightness (with its minimum). A limit the monitor does
    // not know stays -1; any other failure ends the reads, and `failed_feature` names the
    // feature that failed.
    struct Level {
        int value = -1;
        int minimum = 0;
        int maximum = 0;
    };
    struct Levels {
        int black_limit = -1;       // tenths of cd/m²
        int uniformity_limit = -1;  // cd/m²
        int contrast_limit = -1;    // cd/m²
        std::optional<Level> black_level;
        std::optional<Level> brightness;
        int failed_feature = 0;
    };
    Levels read_levels();
    // The switches (on above 1) and the active memory with the number of memories, in that
    // order; nothing where a read failed.
    struct ModeState {
        std::optional<bool> response_improve;
        std::optional<bool> metamerism;
        std::optional<int> memory;
        int memories = 0;
    };
    ModeState read_mode_state();
    // Whether `brightness` is out of the panel's reach with the active mode's gains; nothing
    // when the gains or the luminance maximum did not read.
    std::optional<bool> brightness_out_of_reach(int brightness);

    // The gathered slider values: the preparation first when it has not run, then brightness,
    // then black level, stopping at the first failure. `written` when a value went out, which
    // leaves settings unsaved.
    struct LevelWrite {
        int result = 0;
        bool written = false;
    };
    LevelWrite write_levels(std::optional<int> brightness, std::optional<int> black_level);
    // The monitor stores its current settings; nothing is left unsaved afterwards, whatever
    // the result.
    int save_settings();
    bool settings_unsaved() const { return settings_unsaved_; }

    // Selects a memory: unsaved settings are saved first (their result is not reported: the
    // selection is what the user asked for), then the write, the process_events hook, the
    // settle wait, the reload hook and the save. A selected memory needs a new preparation.
    picture_mode::MemorySelection select_memory(int memory);

    // A switch (0x105C metamerism, 0x2BD response improve) on or off, saved at once.
    int write_switch(int code, bool on);
    // The active mode back to its factory settings (0x1070).
    int reset_mode();

    // The reload's record step: the record's item of the active memory gets the preset the
    // monitor reports (stored again); then each memory's label, "Mode N" unless the record
    // names its preset. `count` labels; `active_memory` 0 when it could not be read.
    QStringList memory_labels(int active_memory, int count);
    // The record's part of those labels, without reading the monitor: the preset label of each
    // memory's item, whitespace simplified, or an empty text where the record holds none (the
    // picture-in-picture page numbers those its own way).
    QStringList record_labels(int count) const;
    // A preset's label as the buttons give it: a programmable slot the record names carries that
    // name (whitespace simplified); without a record, the preset's own label.
    QString label_of_preset(int preset) const;
    // Replaces the record's item of the active memory by what the monitor reports (or adds
    // it) and stores the record; 0, kNoRecord, or the monitor's error.
    static constexpr int kNoRecord = -1;
    int refresh_record_item();

    // The memory and preset the colour wizard starts from; both must read for the monitor to
    // be put back.
    struct ModeBeforeWizard {
        bool remembered = false;
        int memory = 0;
        int preset = 0;
    };
    ModeBeforeWizard remember_mode();
    // Finished: the monitor's change entry of the mode the wizard started from goes.
    void wizard_accepted(const ModeBeforeWizard& before);
    // Cancelled: a wizard that changed the monitor leaves it on another memory, so the
    // remembered one is selected again. 0, or the error of that write.
    int wizard_cancelled(const ModeBeforeWizard& before, bool changed);

    // The profile of the active mode from the record's item of the active memory and preset,
    // with the levels the caller shows (the page's sliders, what the tool read).
    struct ProfileLevels {
        int brightness = 0;    // cd/m²
        int black_level = 0;   // tenths of cd/m²
        int black_limit = -1;  // tenths; -1 unknown
    };
    enum class ProfileStep {
        made,       // `result` holds the outcome
        no_record,  // no monitor, or no record of it
        not_read,   // the active memory or preset did not read
        no_item,    // the record holds no item of this memory with this preset
    };
    struct ActiveModeProfile {
        ProfileStep step = ProfileStep::no_record;
        int read_error = 0;  // of not_read
        int memory = 0;
        int preset = 0;
        picture_mode::ProfileResult result;
    };
    // Curves read from the monitor join the record; a calibration's profile makes the record
    // forget its reference item (coming back to that mode must make a profile), a written
    // profile makes its item the reference.
    ActiveModeProfile profile_active_mode(const ProfileLevels& levels);

  private:
    // Each label whose memory has an item in the record becomes that item's label.
    static void name_from_record(const CMonitorEntry& entry, bool simulated_dicom,
                                 QStringList& labels);

    std::function<Target()> target_;
    Hooks hooks_;
    bool adjustment_prepared_ = false;
    bool settings_unsaved_ = false;
};
