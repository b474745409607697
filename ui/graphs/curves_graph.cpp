#include "ui/graphs/curves_graph.h"

#include <QPainter>
#include <QPolygonF>

TW_curves_graph::TW_curves_graph(QWidget* parent) : Plotter(parent) {}

void TW_curves_graph::setCurves(const QList<CSpline>& curves, const QList<QPen>& pens) {
    m_curves = curves;
    m_pens = pens;
    while (m_pens.size() < m_curves.size())
        m_pens.append(QPen(curveColor()));
    m_pens.resize(m_curves.size());
    refreshPixmap();
}

void TW_curves_graph::addCurve(const CSpline& curve, const QPen& pen) {
    m_curves.append(curve);
    m_pens.append(pen);
    refreshPixmap();
}

void TW_curves_graph::setCurve(int index, const CSpline& curve) {
    if (index < 0 || index >= m_curves.size()) return;
    m_curves[index] = curve;
    refreshPixmap();
}

void TW_curves_graph::setCurvePen(int index, const QPen& pen) {
    if (index < 0 || index >= m_pens.size()) return;
    m_pens[index] = pen;
    refreshPixmap();
}

void TW_curves_graph::clearCurves() {
    m_curves.clear();
    m_pens.clear();
    refreshPixmap();
}

void TW_curves_graph::drawCurves(QPainter& painter) {
    const QRect rect = plotRect();
    if (!rect.isValid()) return;
    painter.save();
    painter.setClipRect(rect.adjusted(1, 1, -1, -1));
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < m_curves.size(); ++i) {
        const CSpline& curve = m_curves[i];
        QPolygonF line;
        line.reserve(curve.points.size());
        for (const QPointF& point : curve.points)
            line.append(mapToPixel(point));
        painter.setPen(i < m_pens.size() ? m_pens[i] : QPen(curveColor()));
        painter.drawPolyline(line);
    }
    painter.restore();
}
