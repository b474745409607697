#pragma once

#include <QDialog>
#include <QPoint>
#include <memory>

class QComboBox;
class QListWidget;
class QListWidgetItem;
class QStackedWidget;
class QTimer;
class QToolButton;
class CTargetDisplay;
class CDDCMonitor;
struct CMonitorEntry;
struct DisplayInfo;

namespace platform {
class CDeviceNotifier;
class CResponsiveWaits;
}  // namespace platform

// The main window: the page list, the five pages, the display selector with the display
// configuration button. Drives the selector, synchronises the selected monitor's record, and
// rescans the monitors when a monitor's USB control interface (or a display output) changes.
class main_dialog : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kPageCount = 5;

    explicit main_dialog(QWidget* parent = nullptr);
    ~main_dialog() override;

    QListWidget* page_list() const { return page_list_; }
    QStackedWidget* pages() const { return pages_; }
    QComboBox* display_combo() const { return display_combo_; }
    QTimer* device_timer() const { return device_timer_; }
    platform::CDeviceNotifier* device_notifier() const { return notifier_; }
    bool usb_updates_blocked() const { return usb_updates_blocked_; }
    bool usb_update_pending() const { return usb_update_pending_; }
    // How many device-change rescans have run.
    int rescan_count() const { return rescans_; }

    // The selector's texts for the monitor list's records, and the first usable one (or -1).
    static QStringList display_texts(int* first_good = nullptr);
    // True when `p` lies inside the available geometry of a present screen.
    static bool position_on_screen(QPoint p);

  public Q_SLOTS:
    void changePage(QListWidgetItem* current, QListWidgetItem* previous);
    void startup_complete();
    void start_check_display_settings();
    void onDisplaySelectionChanged(int index);
    void update_ui();
    void CheckForMonitorTrackerRecord();
    void update_on_device_changed();
    void onDisplayConfiguration();
    void usb_device_changed(bool added);
    void block_unblock_usb_update(bool block);

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // Connects the display at `index` and synchronises its record; the caller owns the token.
    void select_display(int index);
    void fill_selector();
    // Fills the selector anew and keeps the display the user chose while it is still there:
    // a hot-plug of another monitor must not move the selection.
    void refill_selector_keeping(const DisplayInfo& chosen);
    // Says in a box that the settings file could not be read in full, when it could not.
    void say_damaged_settings();
    void store_position();
    static void hand_over_capabilities(CDDCMonitor* monitor, const CMonitorEntry& entry);
    // Reads the selected monitor's record again when orvale-ctl changed the monitor.
    void resync_if_changed_elsewhere();
    bool application_active() const;
    void start_device_timer();
    // Rescans after a device change, or holds it until the monitor or the window is free;
    // `what` names the change in the log.
    void device_changed(const char* what);

    QListWidget* page_list_;
    QStackedWidget* pages_;
    QComboBox* display_combo_;
    QToolButton* configure_button_;
    QTimer* device_timer_;
    platform::CDeviceNotifier* notifier_ = nullptr;
    CTargetDisplay* current_display_ = nullptr;
    bool first_resize_done_ = false;
    bool first_show_done_ = false;
    bool usb_updates_blocked_ = false;
    bool usb_update_pending_ = false;
    int rescans_ = 0;
    bool rescanning_ = false;
    // Protocol waits on the GUI thread keep answering the window system while this window lives.
    std::unique_ptr<platform::CResponsiveWaits> responsive_waits_;
};
