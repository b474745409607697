#include "ui/display_config/display_configuration_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "comm/monitor_timing.h"
#include "core/string_table.h"
#include "platform/sleeper.h"
#include "ui/progress/wait_cursor.h"
#include "ui_display_configuration_dialog.h"

namespace mf = monitor_feature;

namespace {

constexpr int kNoneString = 16;
// The picture asks for one pixel per twelve desktop pixels at least, so that a several
// display desktop stays recognisable.
constexpr double kPictureDivisor = 12.0;

// Flashes one feature between 0 and its maximum `states` times, holding each state, and then
// puts back what was read. A failed write ends the flashing, but the value read is still
// written back: a monitor left dark part-way looks broken.
void flash_feature(CDDCMonitor& monitor, int code, int states) {
    int current = 0, maximum = 0;
    if (monitor.get_value_max(code, current, maximum) != 0) return;
    for (int s = 0; s < states; ++s) {
        int value = s % 2 == 0 ? 0 : maximum;
        if (monitor.set_value(code, value) != 0) break;
        platform::sleep_ms(monitor_timing::kFlashHoldMs);
    }
    int restore = current;
    monitor.set_value(code, restore);
}

}  // namespace

TW_Display_Configuration_Dialog::TW_Display_Configuration_Dialog(CMultiMonitor& monitors,
                                                                 QWidget* parent)
    : QDialog(parent), monitors_(monitors), ui_(new Ui::TW_Display_Configuration_DialogClass) {
    ui_->setupUi(this);
    connect(ui_->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->buttonBox, &QDialogButtonBox::rejected, this,
            &TW_Display_Configuration_Dialog::my_reject);
    connect(ui_->display_configuration_Monitor_List_comboBox, &QComboBox::currentIndexChanged, this,
            &TW_Display_Configuration_Dialog::onMonitorSelectionChanged);
    connect(ui_->display_configuration_Display_List_comboBox, &QComboBox::currentIndexChanged, this,
            &TW_Display_Configuration_Dialog::onDisplaySelectionChanged);
    connect(ui_->display_configuration_layout_widget,
            &TW_display_configuration_widget::clicked_display,
            ui_->display_configuration_Display_List_comboBox, &QComboBox::setCurrentIndex);
    {
        const CWaitCursor wait;
        fill_monitor_list();
        fill_display_list();
        rebuild_picture();
    }
    for (int d = 0; d < CMultiMonitor::kMappingCount; ++d)
        saved_mapping_[static_cast<std::size_t>(d)] = monitors_.mapping(d);
    // The lists are complete now: show the monitor of the first display.
    if (ui_->display_configuration_Display_List_comboBox->count() > 0) {
        onDisplaySelectionChanged(ui_->display_configuration_Display_List_comboBox->currentIndex());
    } else {
        ui_->display_configuration_Test_Monitor_pushButton->setEnabled(false);
        ui_->display_configuration_Monitor_List_comboBox->setEnabled(false);
    }
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TW_Display_Configuration_Dialog::~TW_Display_Configuration_Dialog() = default;

void TW_Display_Configuration_Dialog::fill_monitor_list() {
    QComboBox* list = ui_->display_configuration_Monitor_List_comboBox;
    const QSignalBlocker block(list);
    list->clear();
    list->addItem(string(kNoneString), -1);
    records_.clear();
    enumerator_.enumerate(false);
    for (int r = 0; r < enumerator_.interface_count(); ++r) {
        CInterfaceRecord record;
        if (enumerator_.interface_record(r, record) == 0) records_.push_back(record);
    }
    for (const CInterfaceRecord& record : records_) {
        QString text = record.model_name;
        if (record.is_usb) text += QStringLiteral(" (USB)");
        const bool shared_name =
            std::any_of(records_.begin(), records_.end(), [&](const CInterfaceRecord& other) {
                return &other != &record && other.model_name == record.model_name;
            });
        if (shared_name) text += QStringLiteral(" S/N: ") + record.serial;
        list->addItem(text, record.index);
    }
}

void TW_Display_Configuration_Dialog::fill_display_list() {
    QComboBox* list = ui_->display_configuration_Display_List_comboBox;
    const QSignalBlocker block(list);
    list->clear();
    for (int d = 0; d < monitors_.display_count(); ++d)
        list->addItem(tr("Display %1").arg(d + 1));
}

const CInterfaceRecord* TW_Display_Configuration_Dialog::record_for(int interface_index) const {
    for (const CInterfaceRecord& record : records_) {
        if (record.index == interface_index) return &record;
    }
    return nullptr;
}

void TW_Display_Configuration_Dialog::rebuild_picture() {
    const int current = ui_->display_configuration_Display_List_comboBox->currentIndex();
    QList<TW_display_configuration_widget::display_item> items;
    for (int d = 0; d < monitors_.display_count(); ++d) {
        const DisplayInfo info = monitors_.display(d);
        TW_display_configuration_widget::display_item item;
        item.left = info.desktop_left;
        item.top = info.desktop_top;
        item.right = info.desktop_right;
        item.bottom = info.desktop_bottom;
        item.title = tr("Display %1").arg(d + 1);
        item.selected = d == current;
        const int mapped = monitors_.mapping(d);
        if (mapped >= 0) {
            if (const CInterfaceRecord* record = record_for(mapped)) {
                item.detail =
                    record->model_name + QStringLiteral("\n ") + tr("S/N ") + record->serial;
            }
        }
        items.append(item);
    }
    TW_display_configuration_widget* picture = ui_->display_configuration_layout_widget;
    picture->set_items(items);
    const QRect bounds = picture->bounding_rectangle();
    picture->setMinimumSize(int(std::lround(std::max(bounds.width(), 0) / kPictureDivisor)),
                            int(std::lround(std::max(bounds.height(), 0) / kPictureDivisor)));
}

void TW_Display_Configuration_Dialog::onDisplaySelectionChanged(int display) {
    const int mapped = monitors_.mapping(display);
    QComboBox* list = ui_->display_configuration_Monitor_List_comboBox;
    {
        const QSignalBlocker block(list);
        list->setCurrentIndex(list->findData(mapped));
    }
    ui_->display_configuration_Test_Monitor_pushButton->setEnabled(mapped >= 0);
    rebuild_picture();
}

void TW_Display_Configuration_Dialog::onMonitorSelectionChanged(int item) {
    // An emptied list has no item to take a mapping from.
    if (item < 0) return;
    const int interface_index =
        ui_->display_configuration_Monitor_List_comboBox->itemData(item).toInt();
    monitors_.set_mapping(ui_->display_configuration_Display_List_comboBox->currentIndex(),
                          interface_index);
    ui_->display_configuration_Test_Monitor_pushButton->setEnabled(interface_index >= 0);
    rebuild_picture();
}

void TW_Display_Configuration_Dialog::on_display_configuration_Test_Monitor_pushButton_clicked() {
    const CWaitCursor wait;
    QComboBox* list = ui_->display_configuration_Monitor_List_comboBox;
    if (list->currentIndex() < 0) return;
    const int interface_index = list->currentData().toInt();
    if (interface_index < 0) return;
    CDDCMonitor monitor;
    if (monitor.connect_interface(interface_index) != 0) return;
    // Brightness dark, bright, dark, bright; then contrast low, high, low. A monitor that does
    // not answer simply does not flash.
    flash_feature(monitor, mf::brightness, 4);
    flash_feature(monitor, mf::contrast, 3);
}

void TW_Display_Configuration_Dialog::on_display_configuration_Auto_Configure_pushButton_clicked() {
    {
        const CWaitCursor wait;
        monitors_.auto_configure();
        monitors_.attach_interfaces();
    }
    auto_configured_ = true;
    fill_display_list();
    QComboBox* displays = ui_->display_configuration_Display_List_comboBox;
    {
        const QSignalBlocker block(displays);
        displays->setCurrentIndex(0);
    }
    onDisplaySelectionChanged(0);
}

void TW_Display_Configuration_Dialog::my_reject() {
    for (int d = 0; d < CMultiMonitor::kMappingCount; ++d)
        monitors_.set_mapping(d, saved_mapping_[static_cast<std::size_t>(d)]);
    // Auto Configure filled the display records from its own mapping; they must describe the
    // monitors of the mapping put back.
    if (auto_configured_) monitors_.attach_interfaces();
    QDialog::reject();
}

void TW_Display_Configuration_Dialog::reject() {
    my_reject();
}
