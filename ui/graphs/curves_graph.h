#pragma once

// Tone curves on the plotter: each curve a polyline with a pen of its own, clipped to the plot
// rectangle.
#include <QList>
#include <QPen>

#include "color/spline.h"
#include "ui/graphs/plotter.h"

class TW_curves_graph : public Plotter {
    Q_OBJECT

  public:
    explicit TW_curves_graph(QWidget* parent = nullptr);

    // Replaces every curve; a curve without a pen of its own is drawn in the curve colour.
    void setCurves(const QList<CSpline>& curves, const QList<QPen>& pens = {});
    // Adds one curve with its pen.
    void addCurve(const CSpline& curve, const QPen& pen);
    // Replaces curve `index` (and its pen when given); out-of-range indices are ignored.
    void setCurve(int index, const CSpline& curve);
    void setCurvePen(int index, const QPen& pen);
    void clearCurves();

    const QList<CSpline>& curves() const { return m_curves; }
    const QList<QPen>& pens() const { return m_pens; }

  protected:
    void drawCurves(QPainter& painter) override;

  private:
    QList<CSpline> m_curves;
    QList<QPen> m_pens;
};
