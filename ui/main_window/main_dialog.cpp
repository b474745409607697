#include "ui/main_window/main_dialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "core/master_control.h"
#include "core/string_table.h"

main_dialog::main_dialog(QWidget* parent)
    : QDialog(parent), display_list_(new QListWidget(this)), status_label_(new QLabel(this)) {
    setObjectName(QStringLiteral("main_dialog"));
    setWindowTitle(string(1));
    display_list_->setObjectName(QStringLiteral("main_Display_listWidget"));
    status_label_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Displays"), this));
    layout->addWidget(display_list_);
    layout->addWidget(status_label_);
    resize(520, 320);
    if (master_control_instance) {
        connect(master_control_instance, &MasterControl::startup_complete, this,
                &main_dialog::startup_complete);
        connect(master_control_instance, &MasterControl::start_check_display_settings, this,
                &main_dialog::start_check_display_settings);
    }
}

main_dialog::~main_dialog() {
    store_position();
}

QStringList main_dialog::display_texts() {
    QStringList texts;
    if (!master_control_instance) return texts;
    CMultiMonitor& monitors = master_control_instance->monitor_list();
    for (int i = 0; i < monitors.display_count(); ++i) {
        const DisplayInfo info = monitors.display(i);
        QString name = info.text1;
        if (!info.supported_model) {
            name += string(303);
        } else if (!info.ddcCapable) {
            name += string(304);
        }
        texts << string(502).arg(i + 1).arg(name);
    }
    return texts;
}

void main_dialog::startup_complete() {
    display_list_->clear();
    display_list_->addItems(display_texts());
    if (master_control_instance) {
        const QPoint stored = master_control_instance->preferences().main_window_position();
        if (Preferences::has_position(stored)) move(stored);
    }
    show();
}

void main_dialog::start_check_display_settings() {
    if (display_list_->count() == 0) {
        status_label_->setText(tr("No display with a monitor was found."));
    }
}

void main_dialog::closeEvent(QCloseEvent* event) {
    store_position();
    QDialog::closeEvent(event);
}

void main_dialog::hideEvent(QHideEvent* event) {
    store_position();
    QDialog::hideEvent(event);
}

void main_dialog::store_position() {
    if (!master_control_instance) return;
    const QPoint position = pos();
    if (Preferences::storable_position(position)) {
        master_control_instance->preferences().set_main_window_position(position);
    }
}
