#pragma once

#include <QWizard>
#include <array>
#include <span>

#include "core/color_wizard_rules.h"
#include "core/monitor_tracker.h"
#include "profiles/emulation_lut.h"

class CDDCMonitor;
class view_3d_lut_dialog;

// The Color Configuration Wizard: changes the current picture mode of the selected monitor, to
// a fixed preset trimmed within what it allows, or to a custom mode in one of the five
// programmable slots (by hand, emulating a display from its profile, or emulating a printer
// through a 3D LUT). Every change goes to the monitor at once; Finish keeps it, and a caller
// that cancels restores the memory it saved when the wizard tells it the monitor changed.
class color_wizard : public QWizard {
    Q_OBJECT
    Q_PROPERTY(bool monitor_changed READ changed)

  public:
    static constexpr int kWidth = 650;
    static constexpr int kHeight = 550;

    explicit color_wizard(QWidget* parent = nullptr);
    ~color_wizard() override;

    // Whether a page has written, or may have written, monitor settings.
    bool changed() const { return changed_; }
    void set_changed() { changed_ = true; }

    CDDCMonitor* monitor() const { return monitor_; }

    // The monitor's stored adjustment record (a default one when none is stored).
    CAdjustValue& adjust_record() { return entry_.adjust; }
    bool record_loaded() const { return record_loaded_; }
    // Hands the record to the controller's store of monitor records; only a record that was
    // stored before is stored again (a default one would stop the full synchronisation).
    void save_record();
    // The primaries the panel reaches, thousandths (red x, red y, green x, green y, blue x,
    // blue y); the alternate set is the one measured with metamerism correction on.
    std::array<int, 6> native_primaries(bool alternate = false) const;

    color_wizard_rules::EmulationRecord& emulation() { return emulation_; }

    // The printer emulation: the table generator, its viewer and what shapes the table.
    EmulationLut& lut_generator() { return lut_generator_; }
    view_3d_lut_dialog* lut_viewer() const { return lut_viewer_; }
    void recompute_lut();
    bool use_adobe_cmm() const { return use_adobe_cmm_; }
    void set_use_adobe_cmm(bool on) { use_adobe_cmm_ = on; }
    unsigned printer_white_x() const { return printer_white_x_; }
    unsigned printer_white_y() const { return printer_white_y_; }
    void set_printer_white_point(unsigned x, unsigned y);
    // Writes full.icm, argb.icm and srgb.icm for this panel with the printer white point and the
    // module choice; 0 or the profile writer's error.
    int rebuild_reference_profiles();
    // The targets folder with forward slashes and a trailing slash; empty when it is missing.
    QString targets_folder() const;

    // The long monitor operations, in the progress dialog; 0 or the operation's error.
    int apply_settings(CMonitorSettingList& list);
    int write_3d_lut();
    int write_1d_luts(CSpline& red, CSpline& green, CSpline& blue);

    // The intro page sizes the wizard once; later visits keep the user's size.
    void size_for_intro();

    // The page after `page` for the choices made so far.
    int next_page(int page) const;
    color_wizard_rules::FlowChoice flow_choice() const;

  public Q_SLOTS:
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void add_pages();

    CDDCMonitor* monitor_ = nullptr;
    CMonitorEntry entry_;
    bool record_loaded_ = false;
    color_wizard_rules::EmulationRecord emulation_;
    unsigned printer_white_x_ = 0;
    unsigned printer_white_y_ = 0;
    bool use_adobe_cmm_ = false;
    EmulationLut lut_generator_;
    view_3d_lut_dialog* lut_viewer_ = nullptr;
    bool changed_ = false;
    bool sized_ = false;
};
