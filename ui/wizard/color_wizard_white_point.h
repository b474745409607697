#pragma once

#include <QPointF>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <memory>

// The wizard's white point page: the white chromaticity of the current picture mode, edited in
// spin boxes, from a preset or by dragging in the diagram, and written to the monitor a second
// after the last change.
namespace Ui {
class color_wizard_white_pointClass;
}

class color_wizard_white_point : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kCustomItem = -1;

    explicit color_wizard_white_point(QWidget* parent = nullptr);
    ~color_wizard_white_point() override;

    // Reads the white point from the monitor (on page entry).
    void read_current_white_point();
    // Writes what is still waiting for the debounce timer; hiding the widget does it too.
    void flush_pending_writes();
    bool write_pending() const { return timer.isActive(); }
    // True while both values on the page are what the monitor holds (read, or written since);
    // false before the first read and after a failed read or write.
    bool white_point_known() const { return known_; }

    // The label text for a chromaticity: its correlated colour temperature and distance from
    // the Planckian locus, or "- K" outside the temperatures the page deals in.
    static QString color_temperature_text(double x, double y);

  Q_SIGNALS:
    // The white point as the monitor holds it, in thousandths.
    void white_point_changed(unsigned int x, unsigned int y);

  public Q_SLOTS:
    void selected_whitepoint_changed(int index);
    void update_cie_xy_values();
    void update_color_gamut_widget();
    void onWhitePoint_CIE_x_changed(double value);
    void onWhitePoint_CIE_y_changed(double value);
    void gamut_dragging_point(int type, QPointF xy);
    void timer_timeout();

  protected:
    void hideEvent(QHideEvent* event) override;

  private:
    void emit_white_point();

    std::unique_ptr<Ui::color_wizard_white_pointClass> ui;
    QTimer timer;
    bool x_dirty = false;
    // The preset the user chose last: shown while the values are still its own, even where an
    // earlier preset has the same chromaticity (7500K (D75) and DICOM Clear).
    int picked_preset = kCustomItem;
    // Set while a picked preset writes its two values: between the two it matches nothing.
    bool applying_preset = false;
    bool y_dirty = false;
    bool known_ = false;
};
