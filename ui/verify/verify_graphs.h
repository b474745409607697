#pragma once

#include <QList>
#include <QPointF>

#include "color/chromaticity.h"
#include "ui/graphs/gamut_graph.h"
#include "ui/graphs/plotter.h"

// The chromaticity diagram with each patch's target (open circle) and reading (dot) joined.
class verify_chromaticity_graph : public TW_gamut_graph {
    Q_OBJECT

  public:
    explicit verify_chromaticity_graph(QWidget* parent = nullptr);
    void set_points(const QList<CChromaticity>& targets, const QList<CChromaticity>& measured);
    int point_count() const { return static_cast<int>(targets_.size()); }

  protected:
    void drawCurves(QPainter& painter) override;

  private:
    QList<CChromaticity> targets_;
    QList<CChromaticity> measured_;
};

// The grayscale's effective gamma per step (measured and target, left axis) and its distance
// from the Planckian locus, duv (right axis, ±0.01 across the plot).
class verify_grayscale_graph : public Plotter {
    Q_OBJECT

  public:
    static constexpr double kDuvRange = 0.01;

    explicit verify_grayscale_graph(QWidget* parent = nullptr);
    // Steps as (signal level 0..1, value).
    void set_series(const QList<QPointF>& gamma, const QList<QPointF>& target_gamma,
                    const QList<QPointF>& duv);
    const QList<QPointF>& gamma() const { return gamma_; }

  protected:
    void drawCurves(QPainter& painter) override;

  private:
    QList<QPointF> gamma_;
    QList<QPointF> target_;
    QList<QPointF> duv_;
};
