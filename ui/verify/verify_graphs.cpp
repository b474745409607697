#include "ui/verify/verify_graphs.h"

#include <QPainter>
#include <algorithm>

verify_chromaticity_graph::verify_chromaticity_graph(QWidget* parent) : TW_gamut_graph(parent) {
    setCaption(tr("Targets and readings"));
}

void verify_chromaticity_graph::set_points(const QList<CChromaticity>& targets,
                                           const QList<CChromaticity>& measured) {
    targets_ = targets;
    measured_ = measured;
    setFreeze(true);
    setFreeze(false);
}

void verify_chromaticity_graph::drawCurves(QPainter& painter) {
    TW_gamut_graph::drawCurves(painter);
    const QRect rect = plotRect();
    if (!rect.isValid()) return;
    painter.save();
    painter.setClipRect(rect.adjusted(1, 1, -1, -1));
    painter.setRenderHint(QPainter::Antialiasing);
    const qsizetype n = std::min(targets_.size(), measured_.size());
    for (qsizetype i = 0; i < n; ++i) {
        const QPointF t = mapToPixel(toDiagram(targets_[i]));
        const QPointF m = mapToPixel(toDiagram(measured_[i]));
        painter.setPen(QPen(QColor(255, 255, 255, 160), 1.0));
        painter.drawLine(t, m);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(255, 255, 255), 1.5));
        painter.drawEllipse(t, 4.0, 4.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 80, 40));
        painter.drawEllipse(m, 2.5, 2.5);
    }
    painter.restore();
}

verify_grayscale_graph::verify_grayscale_graph(QWidget* parent) : Plotter(parent) {
    setPlotSettings(PlotSettings(0.0, 1.0, 10, 1.4, 3.0, 8));
    setCaption(tr("Grayscale: gamma and duv"));
    setXAxisTitle(tr("Signal"));
    setYAxisTitle(tr("Gamma"));
}

void verify_grayscale_graph::set_series(const QList<QPointF>& gamma,
                                        const QList<QPointF>& target_gamma,
                                        const QList<QPointF>& duv) {
    gamma_ = gamma;
    target_ = target_gamma;
    duv_ = duv;
    setFreeze(true);
    setFreeze(false);
}

void verify_grayscale_graph::drawCurves(QPainter& painter) {
    const QRect rect = plotRect();
    if (!rect.isValid()) return;
    painter.save();
    painter.setClipRect(rect.adjusted(1, 1, -1, -1));
    painter.setRenderHint(QPainter::Antialiasing);
    const auto line = [&](const QList<QPointF>& points, const QPen& pen) {
        QPolygonF polygon;
        for (const QPointF& p : points)
            polygon << mapToPixel(p);
        painter.setPen(pen);
        painter.drawPolyline(polygon);
        for (const QPointF& p : polygon)
            painter.drawEllipse(p, 2.0, 2.0);
    };
    line(target_, QPen(QColor(160, 160, 160), 1.5, Qt::DashLine));
    line(gamma_, QPen(QColor(255, 200, 40), 2.0));
    // duv on its own scale: the middle of the plot is 0, its edges ±kDuvRange.
    const PlotSettings& s = plotSettings();
    const double middle = (s.minY + s.maxY) / 2.0;
    const double scale = s.spanY() / (2.0 * kDuvRange);
    QList<QPointF> scaled;
    for (const QPointF& p : duv_)
        scaled << QPointF(p.x(), middle + std::clamp(p.y(), -kDuvRange, kDuvRange) * scale);
    line(scaled, QPen(QColor(90, 200, 255), 1.5));
    painter.setClipping(false);
    painter.setPen(QColor(90, 200, 255));
    const QFontMetrics metrics(painter.font());
    painter.drawText(
        rect.topRight() + QPoint(-metrics.horizontalAdvance("duv +0.01") - 4, metrics.ascent() + 2),
        QStringLiteral("duv +0.01"));
    painter.drawText(rect.bottomRight() + QPoint(-metrics.horizontalAdvance("duv -0.01") - 4, -4),
                     QStringLiteral("duv -0.01"));
    painter.setPen(QColor(255, 200, 40));
    painter.drawText(rect.topLeft() + QPoint(6, metrics.ascent() + 2), tr("measured gamma"));
    painter.setPen(QColor(160, 160, 160));
    painter.drawText(rect.topLeft() + QPoint(6, 2 * metrics.height() + 2), tr("target gamma"));
    painter.restore();
}
