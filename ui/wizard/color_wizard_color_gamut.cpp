#include "ui/wizard/color_wizard_color_gamut.h"

#include "ui_color_wizard_color_gamut.h"

#include <QSignalBlocker>
#include <cmath>
#include <memory>

#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "comm/monitor_timing.h"
#include "core/master_control.h"
#include "ui/progress/wait_cursor.h"
#include "ui/wizard/wizard_monitor.h"

namespace mf = monitor_feature;

using namespace wizard_monitor;

namespace {

struct PresetGamut {
    const char* name;
    int data;
    std::array<double, 6> xy;
};

// In combo order after "Custom"; the data is the preset's number.
constexpr PresetGamut kPresets[] = {
    {QT_TRANSLATE_NOOP("color_wizard_color_gamut", "AdobeRGB"),
     0,
     {0.64, 0.33, 0.21, 0.71, 0.15, 0.06}},
    {QT_TRANSLATE_NOOP("color_wizard_color_gamut", "sRGB"),
     1,
     {0.64, 0.33, 0.30, 0.60, 0.15, 0.06}},
    {QT_TRANSLATE_NOOP("color_wizard_color_gamut", "EBU/ITU (PAL/SECAM)"),
     2,
     {0.64, 0.33, 0.29, 0.60, 0.15, 0.06}},
    {QT_TRANSLATE_NOOP("color_wizard_color_gamut", "SMPTE-C"),
     3,
     {0.63, 0.34, 0.31, 0.595, 0.155, 0.07}},
    {QT_TRANSLATE_NOOP("color_wizard_color_gamut", "DCI"),
     4,
     {0.68, 0.32, 0.265, 0.69, 0.15, 0.06}},
    {QT_TRANSLATE_NOOP("color_wizard_color_gamut", "ECI/NTSC(1953)"),
     5,
     {0.67, 0.33, 0.21, 0.71, 0.14, 0.08}},
    {QT_TRANSLATE_NOOP("color_wizard_color_gamut", "ColorMatch (P22-EBU)"),
     6,
     {0.63, 0.34, 0.295, 0.605, 0.15, 0.075}},
    {QT_TRANSLATE_NOOP("color_wizard_color_gamut", "CRT Display"),
     7,
     {0.625, 0.34, 0.28, 0.595, 0.155, 0.07}},
};

// The white the diagram closes the monitor's triangle with.
constexpr double kWhiteX = 0.313;
constexpr double kWhiteY = 0.329;

// Spin boxes hold three decimals, so equal means equal in thousandths.
bool same_values(const std::array<double, 6>& a, const std::array<double, 6>& b) {
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::lround(a[i] * 1000.0) != std::lround(b[i] * 1000.0)) return false;
    }
    return true;
}

}  // namespace

color_wizard_color_gamut::color_wizard_color_gamut(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::color_wizard_color_gamutClass>()) {
    ui->setupUi(this);
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, &color_wizard_color_gamut::timer_timeout);

    ui->gamut_comboBox->addItem(tr("Custom"), kCustomItem);
    for (const PresetGamut& preset : kPresets)
        ui->gamut_comboBox->addItem(tr(preset.name), preset.data);
    connect(ui->gamut_comboBox, &QComboBox::currentIndexChanged, this,
            &color_wizard_color_gamut::selected_gamut_changed);

    connect(ui->red_x_doubleSpinBox, &QDoubleSpinBox::valueChanged, this,
            &color_wizard_color_gamut::onRed_CIE_x_changed);
    connect(ui->red_y_doubleSpinBox, &QDoubleSpinBox::valueChanged, this,
            &color_wizard_color_gamut::onRed_CIE_y_changed);
    connect(ui->green_x_doubleSpinBox, &QDoubleSpinBox::valueChanged, this,
            &color_wizard_color_gamut::onGreen_CIE_x_changed);
    connect(ui->green_y_doubleSpinBox, &QDoubleSpinBox::valueChanged, this,
            &color_wizard_color_gamut::onGreen_CIE_y_changed);
    connect(ui->blue_x_doubleSpinBox, &QDoubleSpinBox::valueChanged, this,
            &color_wizard_color_gamut::onBlue_CIE_x_changed);
    connect(ui->blue_y_doubleSpinBox, &QDoubleSpinBox::valueChanged, this,
            &color_wizard_color_gamut::onBlue_CIE_y_changed);
    for (QDoubleSpinBox* box : spin_boxes())
        commit_on_return(box);
    TW_gamut_graph* graph = ui->color_gamut_widget;
    graph->setCaption(tr("CIE 1931 xy"));
    graph->SetOnlyAdjustRGB(true);
    connect(graph, &TW_gamut_graph::dragging_point, this,
            &color_wizard_color_gamut::gamut_dragging_point);
}

color_wizard_color_gamut::~color_wizard_color_gamut() {
    // A page deleted while shown gets no hide event of its own: the last edit goes out here.
    if (timer.isActive() && current_monitor()) timer_timeout();
}

std::array<QDoubleSpinBox*, 6> color_wizard_color_gamut::spin_boxes() const {
    return {ui->red_x_doubleSpinBox,   ui->red_y_doubleSpinBox,  ui->green_x_doubleSpinBox,
            ui->green_y_doubleSpinBox, ui->blue_x_doubleSpinBox, ui->blue_y_doubleSpinBox};
}

std::array<double, 6> color_wizard_color_gamut::cie_xy_values() const {
    std::array<double, 6> values{};
    const auto boxes = spin_boxes();
    for (std::size_t i = 0; i < boxes.size(); ++i)
        values[i] = boxes[i]->value();
    return values;
}

void color_wizard_color_gamut::read_current_gamut() {
    // What is read replaces what was waiting to be written.
    timer.stop();
    dirty.fill(false);
    const auto boxes = spin_boxes();
    for (QDoubleSpinBox* box : boxes)
        box->setEnabled(false);
    bool failed = false;
    {
        // The values come from the monitor: they must not be taken for edits and written back.
        std::array<std::unique_ptr<QSignalBlocker>, 6> blockers;
        for (std::size_t i = 0; i < boxes.size(); ++i)
            blockers[i] = std::make_unique<QSignalBlocker>(boxes[i]);
        const QSignalBlocker combo_blocker(ui->gamut_comboBox);
        CDDCMonitor* monitor = current_monitor();
        failed = monitor == nullptr;
        for (std::size_t i = 0; monitor && i < boxes.size(); ++i) {
            int value = 0;
            if (monitor->get_value(mf::red_x + static_cast<int>(i), value) != 0) {
                failed = true;
                break;
            }
            boxes[i]->setEnabled(true);
            boxes[i]->setValue(value / 1000.0);
        }
        update_cie_xy_values();
    }
    if (failed) show_communication_error(this);
}

void color_wizard_color_gamut::update_cie_xy_values() {
    update_graph();
    const std::array<double, 6> values = cie_xy_values();
    int data = kCustomItem;
    for (const PresetGamut& preset : kPresets) {
        if (same_values(preset.xy, values)) {
            data = preset.data;
            break;
        }
    }
    if (data == kCustomItem && native_gamut_given) {
        const std::array<double, 6> native = {native_gamut[0].x, native_gamut[0].y,
                                              native_gamut[1].x, native_gamut[1].y,
                                              native_gamut[2].x, native_gamut[2].y};
        if (same_values(native, values)) data = kNativeItem;
    }
    const QSignalBlocker blocker(ui->gamut_comboBox);
    ui->gamut_comboBox->setCurrentIndex(ui->gamut_comboBox->findData(data));
}

void color_wizard_color_gamut::update_graph() {
    const std::array<double, 6> v = cie_xy_values();
    const CCIEYxy points[4] = {CCIEYxy(1.0, v[0], v[1]), CCIEYxy(1.0, v[2], v[3]),
                               CCIEYxy(1.0, v[4], v[5]), CCIEYxy(1.0, kWhiteX, kWhiteY)};
    ui->color_gamut_widget->SetMonitorData(true, points);
    ui->color_gamut_widget->SetShowGamutDisplay(true);
}

void color_wizard_color_gamut::selected_gamut_changed(int index) {
    const int data = ui->gamut_comboBox->itemData(index).toInt();
    std::array<double, 6> values{};
    if (data >= 0) {
        for (const PresetGamut& preset : kPresets) {
            if (preset.data == data) values = preset.xy;
        }
    } else if (data == kNativeItem && native_gamut_given) {
        values = {native_gamut[0].x, native_gamut[0].y, native_gamut[1].x,
                  native_gamut[1].y, native_gamut[2].x, native_gamut[2].y};
    } else {
        return;
    }
    const auto boxes = spin_boxes();
    for (std::size_t i = 0; i < boxes.size(); ++i)
        boxes[i]->setValue(values[i]);
}

void color_wizard_color_gamut::SetMonitorNativeGamutData(bool valid,
                                                         CCIEYxy monitor_native_color_gamut[]) {
    if (monitor_native_color_gamut) {
        ui->color_gamut_widget->SetMonitorNativeGamutData(valid, monitor_native_color_gamut);
    }
    ui->color_gamut_widget->SetShowMonitorNativeGamut(valid && monitor_native_color_gamut);
    const int native_index = ui->gamut_comboBox->findData(kNativeItem);
    native_gamut_given = valid && monitor_native_color_gamut != nullptr;
    if (native_gamut_given) {
        for (std::size_t i = 0; i < native_gamut.size(); ++i)
            native_gamut[i] = monitor_native_color_gamut[i];
        if (native_index < 0) {
            const QSignalBlocker blocker(ui->gamut_comboBox);
            ui->gamut_comboBox->addItem(tr("Native Gamut"), kNativeItem);
        }
    } else if (native_index >= 0) {
        const QSignalBlocker blocker(ui->gamut_comboBox);
        ui->gamut_comboBox->removeItem(native_index);
    }
    update_cie_xy_values();
}

void color_wizard_color_gamut::on_reset_pushButton_clicked() {
    CDDCMonitor* monitor = current_monitor();
    if (!monitor) {
        show_communication_error(this);
        return;
    }
    // A reset supersedes any edit still waiting.
    timer.stop();
    dirty.fill(false);
    int failed = 0;
    {
        const CWaitCursor wait;
        int one = 1;
        failed = monitor->set_value(mf::reset_gamut, one);
        if (failed == 0) {
            monitor->wait(monitor_timing::kPageSettleWaitMs);
        }
    }
    if (failed != 0) {
        show_communication_error(this);
        return;
    }
    read_current_gamut();
}

void color_wizard_color_gamut::value_changed(int channel) {
    update_cie_xy_values();
    dirty[static_cast<std::size_t>(channel)] = true;
    timer.start(monitor_timing::kWriteDelayMs);
}

void color_wizard_color_gamut::onRed_CIE_x_changed(double) {
    value_changed(0);
}
void color_wizard_color_gamut::onRed_CIE_y_changed(double) {
    value_changed(1);
}
void color_wizard_color_gamut::onGreen_CIE_x_changed(double) {
    value_changed(2);
}
void color_wizard_color_gamut::onGreen_CIE_y_changed(double) {
    value_changed(3);
}
void color_wizard_color_gamut::onBlue_CIE_x_changed(double) {
    value_changed(4);
}
void color_wizard_color_gamut::onBlue_CIE_y_changed(double) {
    value_changed(5);
}

void color_wizard_color_gamut::gamut_dragging_point(int type, QPointF xy) {
    if (type < 1 || type > 3) return;
    const auto boxes = spin_boxes();
    const auto first = static_cast<std::size_t>(2 * (type - 1));
    boxes[first]->setValue(xy.x());
    boxes[first + 1]->setValue(xy.y());
}

void color_wizard_color_gamut::timer_timeout() {
    timer.stop();
    CDDCMonitor* monitor = current_monitor();
    int error = 0;
    {
        const CWaitCursor wait;
        const std::array<double, 6> values = cie_xy_values();
        for (std::size_t i = 0; i < dirty.size(); ++i) {
            if (!dirty[i]) continue;
            dirty[i] = false;
            int code = chromaticity_code(values[i]);
            const int result = monitor ? monitor->set_value(mf::red_x + static_cast<int>(i), code)
                                       : CDDCMonitor::kNotConnected;
            // Any failed write is reported, not only a failure of the last one.
            if (result != 0) error = result;
        }
    }
    if (error != 0) show_communication_error(this);
}

void color_wizard_color_gamut::flush_pending_writes() {
    if (timer.isActive()) timer_timeout();
}

void color_wizard_color_gamut::hideEvent(QHideEvent* event) {
    // Next or Cancel within the debounce pause must not lose the last edit.
    flush_pending_writes();
    QWidget::hideEvent(event);
}
