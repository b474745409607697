#pragma once

#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/picture_mode_controller.h"
#include "core/picture_mode_rules.h"

class CDDCMonitor;
class CMonitorUndo;
class QButtonGroup;
namespace Ui {
class panel_picture_modeClass;
}

// The Picture Mode page: selects one of the monitor's picture-mode memories, trims brightness
// and black level with their limit warnings, resets a mode and keeps the display profile of
// the active mode current. What it does to the monitor and the record is the controller's
// (core/picture_mode_controller.h); the page shows it.
class panel_picture_mode : public QWidget {
    Q_OBJECT

  public:
    // Edit... runs the colour wizard unless another factory is handed in. A wizard tells
    // whether it changed the monitor through its boolean property "monitor_changed".
    using WizardFactory = std::function<QDialog*(QWidget* parent)>;
    static void set_wizard_factory(WizardFactory factory);
    // Reads the three 1D LUTs of the monitor into `curves`; 0 or an error. By default
    // operation 4 in the progress dialog; tests may replace it.
    using CurveReader = std::function<int(QWidget* parent, CCurveSet& curves)>;
    static void set_curve_reader(CurveReader reader);

    explicit panel_picture_mode(QWidget* parent = nullptr);
    ~panel_picture_mode() override;

    bool percent_mode() const { return percent_mode_; }
    QString status_text() const;

  Q_SIGNALS:
    void block_unblock_usb_update(bool block);

  public Q_SLOTS:
    void update_ui();
    void check_brightness_limit_timer_timeout();
    void on_reset_picture_mode_pushButton_clicked();
    void on_edit_picture_mode_pushButton_clicked();
    void on_verify_picture_mode_pushButton_clicked();
    void picture_mode_buttonClicked(int value);
    void on_black_level_verticalSlider_valueChanged(int value);
    void on_brightness_verticalSlider_valueChanged(int value);
    void set_brightness_value_indicator(int value);
    void set_black_level_value_indicator(int value);
    void timer_timeout();
    void save_timer_timeout();
    void profile_changed_timer_timeout();
    void on_metamerism_checkBox_stateChanged(int state);
    void on_response_improve_checkBox_stateChanged(int state);
    void generate_new_icc_profile();
    void black_level_spinBox_valuechanged(double value);
    void brightness_spinBox_valuechanged(double value);

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    CDDCMonitor* monitor() const { return controller.monitor(); }
    void refresh_brightness_black_level();
    void disable_controls();
    // Writes 0x105C or 0x2BD; false after a failure, which has been reported.
    bool write_switch(int code, bool on);
    void show_communication_error();
    void show_status(const QString& text);
    // After the wizard's Cancel: puts back what it wrote (or, without a journal, the memory
    // it started from) and says what could not be put back.
    void cancel_wizard(CMonitorUndo& undo, bool journal,
                       const CPictureModeController::ModeBeforeWizard& before, bool changed);

    std::unique_ptr<Ui::panel_picture_modeClass> ui;
    CPictureModeController controller;
    QButtonGroup* picture_mode_group = nullptr;

    bool percent_mode_ = false;
    int uniformity_limit = -1;
    int contrast_limit = -1;
    int black_limit = -1;
    bool brightness_dirty = false;
    bool black_level_dirty = false;
    bool brightness_guard = false;   // the spin box is moving the slider
    bool black_level_guard = false;  // the spin box is moving the slider
    picture_mode::BrightnessScale brightness_scale;
    picture_mode::BlackLevelScale black_level_scale;
    QString limit_tool_tip;  // the tool tip the limit check showed last

    QTimer write_timer;
    QTimer save_timer;
    QTimer status_timer;
    QTimer limit_timer;
};
