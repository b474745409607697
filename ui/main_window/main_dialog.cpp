#include "ui/main_window/main_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QLoggingCategory>
#include <QScopeGuard>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>
#include <string_view>

#include "color/error_codes.h"
#include "comm/ddc_monitor.h"
#include "comm/monitor_timing.h"
#include "core/error_box.h"
#include "core/master_control.h"
#include "core/monitor_change_notes.h"
#include "core/monitor_token.h"
#include "core/monitor_tracker.h"
#include "core/operation_running.h"
#include "core/settings_file.h"
#include "core/string_table.h"
#include "platform/access_library.h"
#include "platform/device_notifier.h"
#include "platform/sleeper.h"
#include "platform/termination.h"
#include "platform/window_placement.h"
#include "ui/display_config/display_configuration_dialog.h"
#include "ui/main_window/panel_picture_mode.h"
#include "ui/main_window/panel_pip_mode.h"
#include "ui/main_window/panel_settings.h"
#include "ui/main_window/panel_status.h"
#include "ui/main_window/panel_vision_emulation.h"
#include "ui/progress/TW_restore_monitor_settings_dialog.h"
#include "ui/progress/wait_cursor.h"

// Device changes and synchronisations, for a user watching a rescan happen.
Q_LOGGING_CATEGORY(monitor_log, "orvale.monitor", QtWarningMsg)

namespace {

// Sets the busy flag for a scope and puts back what it was, so nested handlers keep it set;
// works on the monitor list and its monitors, so it holds the monitor token too.
class COperationScope {
  public:
    COperationScope() : previous_(operation_running) { operation_running = true; }
    ~COperationScope() { operation_running = previous_; }
    COperationScope(const COperationScope&) = delete;
    COperationScope& operator=(const COperationScope&) = delete;

  private:
    CMonitorUse in_use_;
    bool previous_;
};

struct PageRow {
    const char* icon;
    const char* text;
};
constexpr PageRow kPages[main_dialog::kPageCount] = {
    {":/images/Resources/panel_picture_mode_icon.png",
     QT_TRANSLATE_NOOP("main_dialog", "Picture Mode")},
    {":/images/Resources/panel_pip_icon.png", QT_TRANSLATE_NOOP("main_dialog", "PIP")},
    {":/images/Resources/panel_visionemu_icon.png",
     QT_TRANSLATE_NOOP("main_dialog", "Color Vision")},
    {":/images/Resources/panel_settings_icon.png", QT_TRANSLATE_NOOP("main_dialog", "Settings")},
    {":/images/Resources/panel_status_icon.png", QT_TRANSLATE_NOOP("main_dialog", "Status")},
};
}  // namespace

main_dialog::main_dialog(QWidget* parent)
    : QDialog(parent),
      page_list_(new QListWidget(this)),
      pages_(new QStackedWidget(this)),
      display_combo_(new QComboBox(this)),
      configure_button_(new QToolButton(this)),
      device_timer_(new QTimer(this)),
      responsive_waits_(std::make_unique<platform::CResponsiveWaits>()) {
    setObjectName(QStringLiteral("main_dialog"));
    page_list_->setObjectName(QStringLiteral("main_page_list"));
    page_list_->setViewMode(QListView::IconMode);
    page_list_->setIconSize(QSize(64, 64));
    page_list_->setMovement(QListView::Static);
    page_list_->setFlow(QListView::TopToBottom);
    page_list_->setWrapping(false);
    page_list_->setFixedWidth(120);
    page_list_->setSpacing(6);
    page_list_->setAccessibleName(tr("Pages"));

    auto add_page = [this](QWidget* page) {
        pages_->addWidget(page);
        return page;
    };
    auto* picture = static_cast<panel_picture_mode*>(add_page(new panel_picture_mode(pages_)));
    auto* pip = static_cast<panel_pip_mode*>(add_page(new panel_pip_mode(pages_)));
    auto* vision =
        static_cast<panel_vision_emulation*>(add_page(new panel_vision_emulation(pages_)));
    auto* settings = static_cast<panel_settings*>(add_page(new panel_settings(pages_)));
    auto* status = static_cast<panel_status*>(add_page(new panel_status(pages_)));
    connect(picture, &panel_picture_mode::block_unblock_usb_update, this,
            &main_dialog::block_unblock_usb_update);
    connect(pip, &panel_pip_mode::block_unblock_usb_update, this,
            &main_dialog::block_unblock_usb_update);
    connect(vision, &panel_vision_emulation::block_unblock_usb_update, this,
            &main_dialog::block_unblock_usb_update);
    connect(settings, &panel_settings::block_unblock_usb_update, this,
            &main_dialog::block_unblock_usb_update);
    connect(status, &panel_status::block_unblock_usb_update, this,
            &main_dialog::block_unblock_usb_update);

    for (const PageRow& row : kPages) {
        auto* item = new QListWidgetItem(page_list_);
        item->setIcon(QIcon(QString::fromLatin1(row.icon)));
        item->setText(tr(row.text));
        item->setTextAlignment(Qt::AlignHCenter);
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    }
    connect(page_list_, &QListWidget::currentItemChanged, this, &main_dialog::changePage);
    page_list_->setCurrentRow(0);

    display_combo_->setObjectName(QStringLiteral("main_Display_comboBox"));
    display_combo_->setToolTip(QStringLiteral("<html>Selects display to adjust</html>"));
    display_combo_->setAccessibleName(tr("Display"));
    display_combo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    configure_button_->setObjectName(QStringLiteral("main_Display_Configure_pushButton"));
    configure_button_->setIcon(QIcon(QStringLiteral(":/images/Resources/edit small icon.png")));
    configure_button_->setToolTip(QStringLiteral(
        "<html>Change the current display configuration and communications method.</html>"));
    configure_button_->setAccessibleName(tr("Display configuration"));

    auto* top = new QHBoxLayout;
    top->addWidget(page_list_);
    top->addWidget(pages_, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(display_combo_);
    bottom->addWidget(configure_button_);
    bottom->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(bottom);
    setWindowTitle(tr("Orvale"));

    connect(display_combo_, &QComboBox::currentIndexChanged, this,
            &main_dialog::onDisplaySelectionChanged);
    if (master_control_instance) {
        connect(master_control_instance, &MasterControl::startup_complete, this,
                &main_dialog::startup_complete);
        connect(master_control_instance, &MasterControl::start_check_display_settings, this,
                &main_dialog::start_check_display_settings);
    }
    device_timer_->setSingleShot(true);
    connect(device_timer_, &QTimer::timeout, this, &main_dialog::update_on_device_changed);
    connect(configure_button_, &QToolButton::clicked, this, &main_dialog::onDisplayConfiguration);

    setWindowFlags((windowFlags() & ~Qt::WindowContextHelpButtonHint) |
                   Qt::WindowMinimizeButtonHint);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto notifier = platform::CDeviceNotifier::create(this);
    notifier_ = notifier.release();
    connect(notifier_, &platform::CDeviceNotifier::usb_device_changed, this,
            &main_dialog::usb_device_changed);
    // A monitor switched on or connected by its video cable alone takes the same path; the
    // kernel does not say whether it came or went.
    connect(notifier_, &platform::CDeviceNotifier::display_changed, this,
            [this] { device_changed("a display changed on its video cable"); });
}

main_dialog::~main_dialog() {
    store_position();
}

QStringList main_dialog::display_texts(int* first_good) {
    QStringList texts;
    if (first_good) *first_good = -1;
    if (!master_control_instance) return texts;
    CMultiMonitor& monitors = master_control_instance->monitor_list();
    for (int i = 0; i < monitors.display_count(); ++i) {
        const DisplayInfo info = monitors.display(i);
        QString suffix;
        if (!info.supported_model) {
            suffix = string(303);
        } else if (!info.ddcCapable) {
            suffix = string(304);
        } else if (first_good && *first_good < 0) {
            *first_good = i;
        }
        texts << string(502).arg(i + 1).arg(info.text1) + suffix;
    }
    return texts;
}

bool main_dialog::position_on_screen(QPoint p) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().contains(p)) return true;
    }
    return false;
}

void main_dialog::fill_selector() {
    const QSignalBlocker blocker(display_combo_);
    display_combo_->clear();
    int first_good = -1;
    display_combo_->addItems(display_texts(&first_good));
    if (first_good >= 0) display_combo_->setCurrentIndex(first_good);
}

void main_dialog::refill_selector_keeping(const DisplayInfo& chosen) {
    fill_selector();
    if (!master_control_instance || chosen.text5.isEmpty()) return;
    CMultiMonitor& monitors = master_control_instance->monitor_list();
    for (int i = 0; i < monitors.display_count(); ++i) {
        const DisplayInfo info = monitors.display(i);
        // The device identifier names the display; model and serial tell a monitor swapped
        // behind the same connector.
        if (info.text5 == chosen.text5 && info.text1 == chosen.text1 &&
            info.text2 == chosen.text2) {
            const QSignalBlocker blocker(display_combo_);
            display_combo_->setCurrentIndex(i);
            return;
        }
    }
}

void main_dialog::changePage(QListWidgetItem* current, QListWidgetItem* previous) {
    QListWidgetItem* item = current ? current : previous;
    if (!item) return;
    pages_->setCurrentIndex(page_list_->row(item));
    if (!first_resize_done_) {
        first_resize_done_ = true;
        resize(minimumSizeHint());
    }
}

void main_dialog::startup_complete() {
    fill_selector();
    show();
}

void main_dialog::say_damaged_settings() {
    if (!master_control_instance || master_control_instance->damaged_config().isEmpty()) return;
    const QString path = master_control_instance->damaged_config();
    qCWarning(monitor_log).noquote() << "settings file damaged:" << path;
    show_message(this,
                 tr("The settings file %1 was damaged and could not be read in full. It is kept "
                    "as %2; the color settings of the monitors it no longer holds are read from "
                    "the monitors again.")
                     .arg(QFileInfo(path).fileName(),
                          QFileInfo(CSettingsFile::damaged_path(path)).fileName()),
                 QMessageBox::Warning, true);
}

void main_dialog::start_check_display_settings() {
    // Damage is said once, where the user looks, before the monitors are read again (not from
    // startup_complete, whose other receivers the box would hold up).
    if (!platform::termination_requested()) say_damaged_settings();
    select_display(display_combo_->currentIndex());
    if (!master_control_instance || platform::termination_requested()) return;
    const COperationScope busy;
    CMultiMonitor& monitors = master_control_instance->monitor_list();
    for (int attempt = 0;; ++attempt) {
        bool any_supported = false, any_answers = false;
        for (int i = 0; i < monitors.display_count(); ++i) {
            const DisplayInfo info = monitors.display(i);
            if (!info.supported_model) continue;
            any_supported = true;
            any_answers = any_answers || info.ddcCapable;
        }
        if (any_supported && any_answers) return;
        if (!any_supported) {
            show_message(this,
                         tr("No supported display monitors were detected. Verify that a "
                            "supported model of display monitor is connected. See the README "
                            "file and Users Guide for more information.<br>"),
                         QMessageBox::Information);
            return;
        }
        if (attempt > 0) {
            show_message(this, string(172), QMessageBox::Information);
            return;
        }
        const int index = display_combo_->currentIndex();
        monitors.match_scanned();
        monitors.initialise_displays();
        fill_selector();
        display_combo_->setCurrentIndex(index);
        select_display(display_combo_->currentIndex());
    }
}

void main_dialog::onDisplaySelectionChanged(int index) {
    if (index < 0 || !master_control_instance) return;
    // Connecting frees the monitor a conversation may still be using: after it, with the
    // selection the combo box has then.
    monitor_token::run_when_free(this, "select",
                                 [this] { select_display(display_combo_->currentIndex()); });
}

void main_dialog::select_display(int index) {
    if (index < 0 || !master_control_instance) return;
    const COperationScope busy;
    CTargetDisplay& target = master_control_instance->current_display();
    current_display_ = &target;
    const DisplayInfo info = master_control_instance->monitor_list().display(index);
    target.connect(info);
    if (info.supported_model && info.ddcCapable && target.monitor()) CheckForMonitorTrackerRecord();
    if (platform::termination_requested()) return;
    update_ui();
    qCInfo(monitor_log).noquote() << "display" << index + 1 << "ready:" << info.text1;
}

void main_dialog::update_ui() {
    const CWaitCursor cursor;
    if (QWidget* page = pages_->currentWidget()) {
        page->hide();
        page->show();
    }
}

void main_dialog::hand_over_capabilities(CDDCMonitor* monitor, const CMonitorEntry& entry) {
    // An empty copy (a new monitor whose read failed) would erase what the monitor parsed.
    if (entry.adjust.extra.isEmpty()) return;
    monitor->set_capabilities(
        std::string_view(entry.adjust.extra.constData(), std::size_t(entry.adjust.extra.size())));
}

void main_dialog::resync_if_changed_elsewhere() {
    CDDCMonitor* monitor = current_display_ ? current_display_->monitor() : nullptr;
    if (!monitor || !isActiveWindow() || usb_updates_blocked_ || operation_running ||
        CheckRestoreMonitorSettingsThread::monitor_in_use())
        return;
    if (monitor_token::busy()) {
        monitor_token::run_when_free(this, "resync", [this] { resync_if_changed_elsewhere(); });
        return;
    }
    if (monitor_change_notes::noted(monitor->model_name(), monitor->serial_number())) {
        const CMonitorUse use;
        const COperationScope busy;
        CheckForMonitorTrackerRecord();
        update_ui();
    }
}

void main_dialog::CheckForMonitorTrackerRecord() {
    usb_updates_blocked_ = true;
    CDDCMonitor* monitor = current_display_ ? current_display_->monitor() : nullptr;
    if (monitor && master_control_instance) {
        CMonitorTracker& tracker = master_control_instance->monitor_tracker();
        CMonitorEntry entry;
        const bool known =
            tracker.lookup(monitor->model_name(), monitor->serial_number(), entry) >= 0;
        // A stored record stands until the monitor, orvale-ctl or the user says it changed:
        // reading it again costs half a minute of a flashing screen.
        const bool changed_elsewhere =
            monitor_change_notes::noted(entry.modelName, entry.serialNumber);
        if (known && !changed_elsewhere && !monitor->has_memory_table()) {
            hand_over_capabilities(monitor, entry);
            qCInfo(monitor_log).noquote()
                << "record of" << entry.modelName << entry.serialNumber << "used as stored";
            usb_updates_blocked_ = false;
            if (usb_update_pending_ && application_active()) start_device_timer();
            return;
        }
        show_message(this, string(707), QMessageBox::Information, true);
        int error = 0;
        if (platform::termination_requested()) {
            usb_updates_blocked_ = false;
            return;
        }
        {
            TW_restore_monitor_settings_dialog dialog(
                monitor, CheckRestoreMonitorSettingsThread::ReadColorSettings, QString(), this);
            dialog.set_holder(current_display_);
            dialog.set_adjust_record(&entry.adjust);
            error = dialog.exec();
        }
        // The program is ending: the read was cut short, and nothing of it is kept or shown.
        if (platform::termination_requested()) {
            usb_updates_blocked_ = false;
            return;
        }
        if (error == 0) {
            tracker.store(entry);
            monitor->clear_memory_table_flag();
            monitor_change_notes::clear(entry.modelName, entry.serialNumber);
            qCInfo(monitor_log).noquote()
                << "record of" << entry.modelName << entry.serialNumber << "read from the monitor";
        } else {
            show_error(this, ui_error::kCommunicationError, true);
        }
        hand_over_capabilities(monitor, entry);
    }
    usb_updates_blocked_ = false;
    if (usb_update_pending_ && application_active()) start_device_timer();
}

void main_dialog::update_on_device_changed() {
    // Inside a rescan's waits: the device timer was stopped when the rescan began, so this is
    // a change that came meanwhile, scanned for once this rescan is over. Answered here (or
    // deferred until the token is free) it started a rescan after every rescan, without end.
    if (rescanning_) {
        usb_update_pending_ = true;
        return;
    }
    if (usb_updates_blocked_) {
        usb_update_pending_ = true;
        return;
    }
    // A conversation owns the monitor (a page handler in its event processing, a worker, a
    // wait): the rescan, which frees monitors, runs once it is over.
    if (monitor_token::busy()) {
        usb_update_pending_ = true;
        monitor_token::run_when_free(this, "rescan", [this] {
            usb_update_pending_ = false;
            update_on_device_changed();
        });
        return;
    }
    // The busy flag alone (set without the token): look again later.
    if (operation_running) {
        usb_update_pending_ = true;
        device_timer_->start(monitor_timing::kDeviceChangeDelayMs);
        return;
    }
    ++rescans_;
    // This rescan covers every change reported so far.
    device_timer_->stop();
    usb_update_pending_ = false;
    rescanning_ = true;
    const QScopeGuard done([this] { rescanning_ = false; });
    const COperationScope busy;
    if (master_control_instance) {
        {
            const CWaitCursor cursor;
            CMultiMonitor& monitors = master_control_instance->monitor_list();
            const int selected = display_combo_->currentIndex();
            const DisplayInfo chosen = selected >= 0 && selected < monitors.display_count()
                                           ? monitors.display(selected)
                                           : DisplayInfo();
            monitors.scan_interfaces();
            monitors.match_scanned();
            monitors.initialise_displays();
            refill_selector_keeping(chosen);
            master_control_instance->log_detected_displays();
        }
        select_display(display_combo_->currentIndex());
    }
}

void main_dialog::onDisplayConfiguration() {
    if (!master_control_instance) return;
    if (monitor_token::busy()) {
        monitor_token::run_when_free(this, "configure", [this] { onDisplayConfiguration(); });
        return;
    }
    const COperationScope busy;
    CMultiMonitor& monitors = master_control_instance->monitor_list();
    bool accepted = false;
    {
        // The dialog lists the monitors without asking them anything (its own enumeration);
        // here only the desktop is read again, so nothing keeps the window waiting.
        auto cursor = std::make_unique<CWaitCursor>();
        monitors.build_display_list();
        TW_Display_Configuration_Dialog dialog(monitors, this);
        cursor.reset();
        accepted = dialog.exec() == QDialog::Accepted;
    }
    {
        const CWaitCursor cursor;
        // Whether a monitor answers is known from the last scan; only a changed interface
        // list, which the dialog's enumeration has just counted, needs the probes again.
        platform::CAccessLibrary* library = platform::access_library();
        if (accepted && library && library->GetNumDisplayInterfaces() != monitors.interface_count())
            monitors.enumerate(true);
        // The desktop was read again: every record gets its monitor back, also after Cancel.
        monitors.initialise_displays();
        if (accepted) fill_selector();
    }
    if (accepted) {
        show();
        select_display(display_combo_->currentIndex());
    }
}

void main_dialog::start_device_timer() {
    device_timer_->start(monitor_timing::kDeviceChangeDelayMs);
    usb_update_pending_ = false;
}

void main_dialog::usb_device_changed(bool added) {
    // Arrival and removal both rescan.
    device_changed(added ? "a monitor arrived" : "a monitor left");
}

void main_dialog::device_changed(const char* what) {
    if (!usb_updates_blocked_ && application_active()) {
        qCInfo(monitor_log) << what << "- rescan in" << monitor_timing::kDeviceChangeDelayMs
                            << "ms";
        start_device_timer();
    } else {
        qCInfo(monitor_log) << what << "- rescan held"
                            << (usb_updates_blocked_ ? "while the monitor is busy"
                                                     : "until the window is active");
        usb_update_pending_ = true;
    }
}

void main_dialog::block_unblock_usb_update(bool block) {
    usb_updates_blocked_ = block;
    if (!block && usb_update_pending_ && application_active()) start_device_timer();
}

bool main_dialog::application_active() const {
    return QApplication::activeWindow() != nullptr;
}

void main_dialog::showEvent(QShowEvent* event) {
    if (!first_show_done_) {
        first_show_done_ = true;
        if (master_control_instance && platform::clients_place_windows()) {
            const QPoint stored = master_control_instance->preferences().main_window_position();
            // The client area's corner, as stored: the frame's would move the window by the
            // frame's size at every start under a window manager that decorates it.
            if (Preferences::has_position(stored) && position_on_screen(stored))
                setGeometry(QRect(stored, size()));
        }
    }
    QDialog::showEvent(event);
}

void main_dialog::closeEvent(QCloseEvent* event) {
    store_position();
    QDialog::closeEvent(event);
}

void main_dialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void main_dialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        if (usb_update_pending_) device_changed("a held device change");
        // orvale-ctl may have changed the monitor while another window had the focus.
        QTimer::singleShot(0, this, &main_dialog::resync_if_changed_elsewhere);
    }
}

void main_dialog::store_position() {
    // Where the compositor places windows the position is not the window's: the one stored
    // from a session that could place it stays. Stored as the client area's corner, the kind
    // showEvent gives back; a frame closed at zero on an axis keeps the position stored before.
    if (!master_control_instance || !platform::clients_place_windows()) return;
    if (Preferences::storable_position(pos())) {
        master_control_instance->preferences().set_main_window_position(geometry().topLeft());
    }
}
