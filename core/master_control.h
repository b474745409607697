#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "comm/multi_monitor.h"
#include "comm/target_display.h"
#include "core/monitor_tracker.h"
#include "core/preferences.h"
#include "core/settings_file.h"
#include "core/settings_paths.h"

class QSplashScreen;
class QWidget;
class MonitorDetectThread;
class CDDCMonitor;

namespace platform {
class CAccessLibrary;
class CDisplayServices;
}  // namespace platform

// The one application controller: owns the monitor list, the selected display, the stored
// records, the preferences, the splash screen, the detection thread and the main window.
class MasterControl : public QObject {
    Q_OBJECT

  public:
    // The windows are built by the user interface, which sits above this layer.
    using MainWindowFactory = std::function<QWidget*()>;
    using ChildWindowFactory = std::function<QWidget*(QWidget* parent)>;
    static void set_window_factories(MainWindowFactory main_window,
                                     ChildWindowFactory test_pattern_dialog);

    MasterControl();
    ~MasterControl() override;
    MasterControl(const MasterControl&) = delete;
    MasterControl& operator=(const MasterControl&) = delete;

    void start();
    int load_config();
    int save_config();

    CTargetDisplay& current_display() { return current_display_; }
    CMultiMonitor& monitor_list() { return monitors_; }
    Preferences& preferences() { return preferences_; }
    CMonitorTracker& monitor_tracker() { return monitor_tracker_; }

    bool config_load_failed() const { return config_load_failed_; }
    bool detection_complete() const { return detection_complete_; }
    bool startup_processed() const { return startup_processed_; }
    QWidget* main_window() const { return main_window_; }
    // The settings file that could not be read in full at start-up (kept aside at the next
    // save), or empty.
    QString damaged_config() const {
        return config_file_.damaged() ? config_file_path() : QString();
    }
    QSplashScreen* splash() const { return splash_; }
    MonitorDetectThread* detect_thread() const { return detect_thread_; }
    QString splash_message() const;
    // One log line per display (category orvale.detection): its interface and whether its
    // monitor is controlled over USB, over the video cable, or not at all.
    void log_detected_displays() const;

  Q_SIGNALS:
    void startup_complete();
    void start_check_display_settings();

  public Q_SLOTS:
    void detectedMonitorIn(QString message);
    void monitorDetectionCompleteIn();

  private:
    void show_splash_message();

    bool detection_complete_ = false;
    QWidget* main_window_ = nullptr;
    QSplashScreen* splash_ = nullptr;
    MonitorDetectThread* detect_thread_ = nullptr;
    QString detected_text_;
    CTargetDisplay current_display_;
    Preferences preferences_;
    CMultiMonitor monitors_;
    CMonitorTracker monitor_tracker_;
    bool config_load_failed_ = false;
    CSettingsFile config_file_;
    bool startup_processed_ = false;
    std::unique_ptr<platform::CAccessLibrary> access_library_;
    std::unique_ptr<platform::CDisplayServices> display_services_;
};

// The process-wide controller and the test-pattern dialog, null while they do not exist.
extern MasterControl* master_control_instance;
extern QWidget* tw_test_pattern_dialog;

// The monitor of the controller's current display; null without controller or monitor.
CDDCMonitor* current_monitor();
