#pragma once

#include <QButtonGroup>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "color/spline.h"

// The wizard's tone-curve page: the monitor's gamma type (a power curve of a chosen exponent,
// DICOM, L*, sRGB or the programmable tables) with a graph of the curve. A type is written at
// once; the exponent a second after the last change.
namespace Ui {
class color_wizard_custom_gammaClass;
}

class color_wizard_custom_gamma : public QWidget {
    Q_OBJECT

  public:
    explicit color_wizard_custom_gamma(QWidget* parent = nullptr);
    ~color_wizard_custom_gamma() override;

    // The exponent's code as the monitor holds it, and back.
    static int gamma_code(double gamma);
    static double gamma_from_code(int code);

    // Writes the exponent if it is still waiting for the debounce timer; hiding the widget
    // does it too.
    void flush_pending_writes();
    bool write_pending() const { return timer.isActive(); }

    // The curves the graph shows now.
    const QList<CSpline>& shown_curves() const { return curves; }

  public Q_SLOTS:
    void gamma_mode_changed(int id);
    void gamma_value_changed(double value);
    void timer_timeout();
    void update_ui();
    void update_gamma_graphs(uint current_gamma_mode, double gamma_value);
    void SetProgrammableGammaSplines(CSpline r, CSpline g, CSpline b);

  protected:
    void hideEvent(QHideEvent* event) override;

  private:
    void show_curves();

    std::unique_ptr<Ui::color_wizard_custom_gammaClass> ui;
    QButtonGroup gamma_buttons;
    QTimer timer;
    bool value_dirty = false;
    CSpline red;
    CSpline green;
    CSpline blue;
    QList<CSpline> curves;
};
