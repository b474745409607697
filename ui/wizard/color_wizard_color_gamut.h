#pragma once

#include <QPointF>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>

#include "color/cie_yxy.h"

class QDoubleSpinBox;

// The wizard's primaries page: the red, green and blue chromaticities of the current picture
// mode, edited in spin boxes, from a preset or by dragging in the diagram, and written to the
// monitor a second after the last change.
namespace Ui {
class color_wizard_color_gamutClass;
}

class color_wizard_color_gamut : public QWidget {
    Q_OBJECT

  public:
    // Item data of the two entries that are not presets.
    static constexpr int kCustomItem = -1;
    static constexpr int kNativeItem = -2;

    explicit color_wizard_color_gamut(QWidget* parent = nullptr);
    ~color_wizard_color_gamut() override;

    // Reads the six chromaticities from the monitor (on page entry and after a reset).
    void read_current_gamut();
    // Writes what is still waiting for the debounce timer; the page calls this before it is
    // left, and hiding the widget does it too.
    void flush_pending_writes();
    bool write_pending() const { return timer.isActive(); }

    // The six spin values: red x, red y, green x, green y, blue x, blue y.
    std::array<double, 6> cie_xy_values() const;

  public Q_SLOTS:
    void selected_gamut_changed(int index);
    void update_cie_xy_values();
    void SetMonitorNativeGamutData(bool valid, CCIEYxy monitor_native_color_gamut[]);
    void on_reset_pushButton_clicked();
    void onRed_CIE_x_changed(double value);
    void onRed_CIE_y_changed(double value);
    void onGreen_CIE_x_changed(double value);
    void onGreen_CIE_y_changed(double value);
    void onBlue_CIE_x_changed(double value);
    void onBlue_CIE_y_changed(double value);
    void gamut_dragging_point(int type, QPointF xy);
    void timer_timeout();

  protected:
    void hideEvent(QHideEvent* event) override;

  private:
    void value_changed(int channel);
    std::array<QDoubleSpinBox*, 6> spin_boxes() const;
    void update_graph();

    std::unique_ptr<Ui::color_wizard_color_gamutClass> ui;
    QTimer timer;
    std::array<bool, 6> dirty{};
    std::array<CCIEYxy, 3> native_gamut;
    bool native_gamut_given = false;
};
