#include "ui/main_window/panel_status.h"

#include <QLocale>
#include <QPixmap>

#include "comm/ddc_monitor.h"
#include "comm/pvx_factory_ddc_control.h"
#include "core/master_control.h"
#include "core/monitor_change_notes.h"
#include "core/monitor_token.h"
#include "core/picture_mode_rules.h"
#include "core/string_table.h"
#include "profiles/color_management.h"
#include "ui/main_window/panel_common.h"
#include "ui/progress/TW_restore_monitor_settings_dialog.h"
#include "ui/progress/wait_cursor.h"
#include "ui_panel_status.h"

using namespace panel_common;

panel_status::panel_status(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::panel_statusClass>()) {
    ui->setupUi(this);
    setObjectName(QStringLiteral("panel_status"));
    ui->status_logo_label->setPixmap(QPixmap(string(14)));
    ui->synchronize_pushButton->setAutoDefault(false);
}

panel_status::~panel_status() = default;

QString panel_status::software_version() {
    return tr("%1 (Build %2)", "software version and build number")
        .arg(QStringLiteral("1.0.10"), QStringLiteral("140106"));
}

void panel_status::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    update_ui();
}

void panel_status::update_ui() {
    const CMonitorUse in_use;
    const QString none = QStringLiteral("-");
    ui->status_software_version_label->setText(software_version());
    CDDCMonitor* monitor = current_monitor();
    ui->synchronize_pushButton->setEnabled(monitor != nullptr);
    if (!monitor) {
        for (QLabel* label : {ui->status_model_name_label, ui->status_serial_number_label,
                              ui->status_operating_hours_label, ui->status_firmware_version_label,
                              ui->status_display_profile_label})
            label->setText(none);
        show_link_quality();
        return;
    }
    {
        CWaitCursor busy;
        const auto or_none = [&none](const QString& text) { return text.isEmpty() ? none : text; };
        ui->status_firmware_version_label->setText(or_none(monitor->firmware_version()));
        ui->status_model_name_label->setText(or_none(monitor->model_name()));
        ui->status_serial_number_label->setText(or_none(monitor->serial_number()));
        double hours = 0;
        ui->status_operating_hours_label->setText(
            monitor->operating_hours(hours) >= 0
                ? QString::number(hours, 'g', QLocale::FloatingPointShortest)
                : none);
        QString profile;
        associatedProfile(
            picture_mode::display_device_name(master_control_instance->current_display().info()),
            profile);
        ui->status_display_profile_label->setText(or_none(profile));
    }
    show_link_quality();
}

void panel_status::show_link_quality() {
    CDDCMonitor* monitor = current_monitor();
    PVX_factory_ddc_control* control = monitor ? monitor->command_object() : nullptr;
    const bool known = control && control->link;
    ui->link_quality_groupBox->setEnabled(known);
    const CLinkCounters figures =
        known ? low_level_ddc::interface_counters(control->link->interface_index) : CLinkCounters();
    const auto show = [known](QLabel* label, int value) {
        label->setText(known ? QString::number(value) : QStringLiteral("-"));
    };
    show(ui->link_exchanges_label, figures.exchanges);
    show(ui->link_retries_label, figures.retries);
    show(ui->link_null_replies_label, figures.null_replies);
    show(ui->link_checksum_errors_label, figures.checksum_errors);
    show(ui->link_failed_operations_label, figures.failed_operations);
}

void panel_status::on_synchronize_pushButton_clicked() {
    const CMonitorUse in_use;
    CDDCMonitor* monitor = current_monitor();
    if (!monitor) return;
    Q_EMIT block_unblock_usb_update(true);
    CMonitorEntry entry;
    CMonitorTracker& tracker = master_control_instance->monitor_tracker();
    tracker.lookup(monitor->model_name(), monitor->serial_number(), entry);
    int result = 0;
    {
        TW_restore_monitor_settings_dialog dialog(
            monitor, CheckRestoreMonitorSettingsThread::ReadColorSettings, QString(), this);
        dialog.set_holder(&master_control_instance->current_display());
        dialog.set_adjust_record(&entry.adjust);
        result = dialog.exec();
    }
    if (result == 0) {
        tracker.store(entry);
        monitor_change_notes::clear(entry.modelName, entry.serialNumber);
    } else {
        show_communication_error(this);
    }
    update_ui();
    Q_EMIT block_unblock_usb_update(false);
}
