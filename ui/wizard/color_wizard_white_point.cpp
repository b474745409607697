#include "ui/wizard/color_wizard_white_point.h"

#include "ui_color_wizard_white_point.h"

#include <QSignalBlocker>
#include <cmath>

#include "color/color_temperature.h"
#include "comm/ddc_monitor.h"
#include "comm/monitor_features.h"
#include "comm/monitor_timing.h"
#include "core/master_control.h"
#include "ui/progress/wait_cursor.h"
#include "ui/wizard/wizard_monitor.h"

namespace mf = monitor_feature;

using namespace wizard_monitor;

namespace {

struct PresetWhite {
    const char* name;
    double x;
    double y;
};

// In combo order after "Custom"; the item data is the index here.
constexpr PresetWhite kPresets[] = {
    {QT_TRANSLATE_NOOP("color_wizard_white_point", "4500K"), 0.362, 0.371},
    {QT_TRANSLATE_NOOP("color_wizard_white_point", "5000K (D50)"), 0.346, 0.359},
    {QT_TRANSLATE_NOOP("color_wizard_white_point", "5500K (D55)"), 0.332, 0.347},
    {QT_TRANSLATE_NOOP("color_wizard_white_point", "6500K (D65)"), 0.313, 0.329},
    {QT_TRANSLATE_NOOP("color_wizard_white_point", "7500K (D75)"), 0.299, 0.315},
    {QT_TRANSLATE_NOOP("color_wizard_white_point", "9300K"), 0.283, 0.297},
    {QT_TRANSLATE_NOOP("color_wizard_white_point", "Std Illuminant A"), 0.448, 0.407},
    {QT_TRANSLATE_NOOP("color_wizard_white_point", "Std Illuminant B"), 0.348, 0.352},
    {QT_TRANSLATE_NOOP("color_wizard_white_point", "Std Illuminant C"), 0.310, 0.316},
    {QT_TRANSLATE_NOOP("color_wizard_white_point", "Std Illuminant E"), 0.333, 0.333},
    {QT_TRANSLATE_NOOP("color_wizard_white_point", "DICOM Clear"), 0.299, 0.315},
    {QT_TRANSLATE_NOOP("color_wizard_white_point", "DICOM Blue"), 0.280, 0.304},
    {QT_TRANSLATE_NOOP("color_wizard_white_point", "DICOM Clear (Legacy)"), 0.292, 0.321},
    {QT_TRANSLATE_NOOP("color_wizard_white_point", "DICOM Blue (Legacy)"), 0.265, 0.320},
};
constexpr int kPresetCount = static_cast<int>(std::size(kPresets));

// Temperatures outside this range are not worth a number on this page.
constexpr int kLowestShownKelvin = 2500;
constexpr int kHighestShownKelvin = 20000;

// The reference triangle the white point is shown in, and the white its fill is centred on.
constexpr double kReference[3][2] = {{0.681, 0.311}, {0.182, 0.719}, {0.157, 0.040}};
constexpr double kFillWhiteX = 0.313;
constexpr double kFillWhiteY = 0.329;

// The diagram's base zoom level and the level it opens at.
constexpr double kBaseMin = 0.25;
constexpr double kBaseMax = 0.48;
constexpr double kZoomMax = 0.43;
constexpr int kTicks = 9;

bool same_thousandths(double a, double b) {
    return std::lround(a * 1000.0) == std::lround(b * 1000.0);
}

}  // namespace

color_wizard_white_point::color_wizard_white_point(QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::color_wizard_white_pointClass>()) {
    ui->setupUi(this);
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, &color_wizard_white_point::timer_timeout);

    ui->white_point_comboBox->addItem(tr("Custom"), kCustomItem);
    for (int i = 0; i < kPresetCount; ++i)
        ui->white_point_comboBox->addItem(tr(kPresets[i].name), i);
    connect(ui->white_point_comboBox, &QComboBox::currentIndexChanged, this,
            &color_wizard_white_point::selected_whitepoint_changed);
    connect(ui->white_x_doubleSpinBox, &QDoubleSpinBox::valueChanged, this,
            &color_wizard_white_point::onWhitePoint_CIE_x_changed);
    connect(ui->white_y_doubleSpinBox, &QDoubleSpinBox::valueChanged, this,
            &color_wizard_white_point::onWhitePoint_CIE_y_changed);
    commit_on_return(ui->white_x_doubleSpinBox);
    commit_on_return(ui->white_y_doubleSpinBox);
    TW_gamut_graph* graph = ui->color_gamut_widget;
    graph->setCaption(tr("CIE 1931 xy"));
    graph->setPlotSettings(PlotSettings(kBaseMin, kBaseMax, kTicks, kBaseMin, kBaseMax, kTicks),
                           true);
    graph->setPlotSettings(PlotSettings(kBaseMin, kZoomMax, kTicks, kBaseMin, kZoomMax, kTicks),
                           false);
    graph->SetOnlyAdjustRGB(false);
    graph->SetFixedWhiteDiagramWhitePoint(CCIEYxy(1.0, kFillWhiteX, kFillWhiteY));
    graph->SetShowPlankianLocus(true);
    graph->SetShowFixedWhiteDiagram(true);
    connect(graph, &TW_gamut_graph::dragging_point, this,
            &color_wizard_white_point::gamut_dragging_point);
}

color_wizard_white_point::~color_wizard_white_point() {
    // A page deleted while shown gets no hide event of its own: the last edit goes out here.
    if (timer.isActive() && current_monitor()) timer_timeout();
}

QString color_wizard_white_point::color_temperature_text(double x, double y) {
    const CColorTemperature temperature(x, y);
    if (temperature.cct < kLowestShownKelvin || temperature.cct > kHighestShownKelvin)
        return QStringLiteral("- K");
    return QStringLiteral("%1 K (%3 %2uv)")
        .arg(temperature.cct)
        .arg(QChar(0x0394))
        .arg(std::fabs(temperature.duv), 0, 'f', 4);
}

void color_wizard_white_point::emit_white_point() {
    // The spin boxes hold their form's minimum until a read fills them: that is no white point.
    if (!known_) return;
    Q_EMIT white_point_changed(
        static_cast<unsigned int>(chromaticity_code(ui->white_x_doubleSpinBox->value())),
        static_cast<unsigned int>(chromaticity_code(ui->white_y_doubleSpinBox->value())));
}

void color_wizard_white_point::read_current_white_point() {
    timer.stop();
    x_dirty = y_dirty = false;
    known_ = false;
    bool failed = false;
    {
        const QSignalBlocker block_x(ui->white_x_doubleSpinBox);
        const QSignalBlocker block_y(ui->white_y_doubleSpinBox);
        ui->white_x_doubleSpinBox->setEnabled(false);
        ui->white_y_doubleSpinBox->setEnabled(false);
        CDDCMonitor* monitor = current_monitor();
        failed = monitor == nullptr;
        int value = 0;
        if (monitor && monitor->get_value(mf::white_x, value) == 0) {
            ui->white_x_doubleSpinBox->setEnabled(true);
            ui->white_x_doubleSpinBox->setValue(value / 1000.0);
            if (monitor->get_value(mf::white_y, value) == 0) {
                ui->white_y_doubleSpinBox->setEnabled(true);
                ui->white_y_doubleSpinBox->setValue(value / 1000.0);
                known_ = true;
            } else {
                failed = true;
            }
        } else {
            failed = true;
        }
        emit_white_point();
        update_cie_xy_values();
    }
    if (failed) show_communication_error(this);
}

void color_wizard_white_point::update_cie_xy_values() {
    const double x = ui->white_x_doubleSpinBox->value();
    const double y = ui->white_y_doubleSpinBox->value();
    const auto matches = [&](int i) {
        return same_thousandths(kPresets[i].x, x) && same_thousandths(kPresets[i].y, y);
    };
    const bool picked_holds =
        picked_preset >= 0 && picked_preset < kPresetCount && matches(picked_preset);
    if (!picked_holds && !applying_preset) picked_preset = kCustomItem;
    int data = picked_holds ? picked_preset : kCustomItem;
    for (int i = 0; i < kPresetCount && data == kCustomItem; ++i) {
        if (matches(i)) data = i;
    }
    {
        const QSignalBlocker blocker(ui->white_point_comboBox);
        ui->white_point_comboBox->setCurrentIndex(ui->white_point_comboBox->findData(data));
    }
    ui->color_temp_label->setText(color_temperature_text(x, y));
    update_color_gamut_widget();
}

void color_wizard_white_point::update_color_gamut_widget() {
    const CCIEYxy points[4] = {
        CCIEYxy(1.0, kReference[0][0], kReference[0][1]),
        CCIEYxy(1.0, kReference[1][0], kReference[1][1]),
        CCIEYxy(1.0, kReference[2][0], kReference[2][1]),
        CCIEYxy(1.0, ui->white_x_doubleSpinBox->value(), ui->white_y_doubleSpinBox->value())};
    ui->color_gamut_widget->SetMonitorData(true, points);
    ui->color_gamut_widget->SetShowGamutDisplay(true);
}

void color_wizard_white_point::selected_whitepoint_changed(int index) {
    const int data = ui->white_point_comboBox->itemData(index).toInt();
    picked_preset = data;
    if (data < 0 || data >= kPresetCount) return;
    applying_preset = true;
    ui->white_x_doubleSpinBox->setValue(kPresets[data].x);
    ui->white_y_doubleSpinBox->setValue(kPresets[data].y);
    applying_preset = false;
    update_cie_xy_values();
}

void color_wizard_white_point::onWhitePoint_CIE_x_changed(double) {
    update_cie_xy_values();
    x_dirty = true;
    timer.start(monitor_timing::kWriteDelayMs);
}

void color_wizard_white_point::onWhitePoint_CIE_y_changed(double) {
    update_cie_xy_values();
    y_dirty = true;
    timer.start(monitor_timing::kWriteDelayMs);
}

void color_wizard_white_point::gamut_dragging_point(int type, QPointF xy) {
    if (type != 4) return;
    ui->white_x_doubleSpinBox->setValue(xy.x());
    ui->white_y_doubleSpinBox->setValue(xy.y());
}

void color_wizard_white_point::timer_timeout() {
    timer.stop();
    CDDCMonitor* monitor = current_monitor();
    int error = 0;
    {
        const CWaitCursor wait;
        int written = 0;
        const auto write = [&](bool& dirty, int feature, double value) {
            if (!dirty) return;
            dirty = false;
            ++written;
            int code = chromaticity_code(value);
            const int result =
                monitor ? monitor->set_value(feature, code) : CDDCMonitor::kNotConnected;
            if (result != 0) error = result;
        };
        write(x_dirty, mf::white_x, ui->white_x_doubleSpinBox->value());
        write(y_dirty, mf::white_y, ui->white_y_doubleSpinBox->value());
        // After a failed write nobody knows what the monitor holds until it is read again;
        // both values entered and taken are known as well as read ones.
        if (error != 0)
            known_ = false;
        else if (written == 2)
            known_ = true;
    }
    emit_white_point();
    if (error != 0) show_communication_error(this);
}

void color_wizard_white_point::flush_pending_writes() {
    if (timer.isActive()) timer_timeout();
}

void color_wizard_white_point::hideEvent(QHideEvent* event) {
    // Next or Cancel within the debounce pause must not lose the last edit.
    flush_pending_writes();
    QWidget::hideEvent(event);
}
