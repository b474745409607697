#include "ui/main_window/main_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QLoggingCategory>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <string_view>

#include "comm/ddc_monitor.h"
#include "core/error_box.h"
#include "core/master_control.h"
#include "core/operation_running.h"
#include "core/string_table.h"
#include "platform/device_notifier.h"
#include "platform/termination.h"
#include "ui/display_config/display_configuration_dialog.h"
#include "ui/main_window/panel_picture_mode.h"
#include "ui/main_window/panel_pip_mode.h"
#include "ui/main_window/panel_settings.h"
#include "ui/main_window/panel_status.h"
#include "ui/main_window/panel_vision_emulation.h"
#include "ui/progress/TW_restore_monitor_settings_dialog.h"

// Device changes and synchronisations, for a user watching a rescan happen.
Q_LOGGING_CATEGORY(monitor_log, "orvale.monitor", QtWarningMsg)

namespace {
constexpr int kCommunicationError = -1023;

// Sets the busy flag for a scope and puts back what it was, so nested handlers keep it set.
class BusyScope {
  public:
    BusyScope() : previous_(operation_running) { operation_running = true; }
    ~BusyScope() { operation_running = previous_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    bool previous_;
};

struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
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
      device_timer_(new QTimer(this)) {
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
    // A monitor switched on or connected by its video cable alone takes the same path.
    connect(notifier_, &platform::CDeviceNotifier::display_changed, this,
            [this] { usb_device_changed(true); });
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

void main_dialog::start_check_display_settings() {
    onDisplaySelectionChanged(display_combo_->currentIndex());
    if (!master_control_instance || platform::termination_requested()) return;
    const BusyScope busy;
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
        onDisplaySelectionChanged(display_combo_->currentIndex());
    }
}

void main_dialog::onDisplaySelectionChanged(int index) {
    if (index < 0 || !master_control_instance) return;
    const BusyScope busy;
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
    const BusyCursor cursor;
    if (QWidget* page = pages_->currentWidget()) {
        page->hide();
        page->show();
    }
}

void main_dialog::CheckForMonitorTrackerRecord() {
    usb_updates_blocked_ = true;
    CDDCMonitor* monitor = current_display_ ? current_display_->monitor() : nullptr;
    if (monitor && master_control_instance) {
        CMonitorTracker& tracker = master_control_instance->monitor_tracker();
        CMonitorEntry entry;
        entry.modelName = monitor->model_name();
        entry.serialNumber = monitor->serial_number();
        const bool known = tracker.lookup(entry) >= 0;
        if (!known || monitor->has_memory_table())
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
            qCInfo(monitor_log).noquote()
                << "record of" << entry.modelName << entry.serialNumber << "read from the monitor";
        } else {
            show_error(this, kCommunicationError, true);
        }
        // An empty copy (a new monitor whose read failed) would erase what the monitor parsed.
        if (!entry.adjust.extra.isEmpty()) {
            monitor->set_capabilities(std::string_view(entry.adjust.extra.constData(),
                                                       std::size_t(entry.adjust.extra.size())));
        }
    }
    usb_updates_blocked_ = false;
    if (usb_update_pending_ && application_active()) start_device_timer();
}

void main_dialog::update_on_device_changed() {
    // The worker of a progress dialog owns the monitor, or another handler is half way through
    // the monitor list (both run event loops): try again once they are done.
    if (CheckRestoreMonitorSettingsThread::monitor_in_use() || operation_running ||
        usb_updates_blocked_) {
        usb_update_pending_ = true;
        if (!usb_updates_blocked_) device_timer_->start(kDeviceChangeDelay);
        return;
    }
    ++rescans_;
    const BusyScope busy;
    if (master_control_instance) {
        {
            const BusyCursor cursor;
            CMultiMonitor& monitors = master_control_instance->monitor_list();
            monitors.scan_interfaces();
            monitors.match_scanned();
            monitors.initialise_displays();
            fill_selector();
            master_control_instance->log_detected_displays();
        }
        onDisplaySelectionChanged(display_combo_->currentIndex());
    }
}

void main_dialog::onDisplayConfiguration() {
    if (!master_control_instance) return;
    const BusyScope busy;
    CMultiMonitor& monitors = master_control_instance->monitor_list();
    monitors.scan_interfaces();
    TW_Display_Configuration_Dialog dialog(monitors, this);
    if (dialog.exec() == QDialog::Accepted) {
        monitors.initialise_displays();
        fill_selector();
        show();
        onDisplaySelectionChanged(display_combo_->currentIndex());
    }
}

void main_dialog::start_device_timer() {
    device_timer_->start(kDeviceChangeDelay);
    usb_update_pending_ = false;
}

void main_dialog::usb_device_changed(bool added) {
    // Arrival and removal both rescan.
    if (!usb_updates_blocked_ && application_active()) {
        qCInfo(monitor_log) << (added ? "a monitor arrived" : "a monitor left") << "- rescan in"
                            << kDeviceChangeDelay << "ms";
        start_device_timer();
    } else {
        qCInfo(monitor_log) << (added ? "a monitor arrived" : "a monitor left") << "- rescan held"
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
        if (master_control_instance) {
            const QPoint stored = master_control_instance->preferences().main_window_position();
            if (Preferences::has_position(stored) && position_on_screen(stored)) move(stored);
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
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && usb_update_pending_)
        usb_device_changed(true);
}

void main_dialog::store_position() {
    if (!master_control_instance) return;
    const QPoint position = pos();
    if (Preferences::storable_position(position)) {
        master_control_instance->preferences().set_main_window_position(position);
    }
}
