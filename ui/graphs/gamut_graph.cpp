#include "ui/graphs/gamut_graph.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

#include "color/color_temperature.h"
#include "ui/graphs/diagram_space.h"
#include "ui/graphs/gamut_fill.h"
#include "ui/graphs/spectral_locus.h"

namespace {

// Half the side of the square around a point that picks it up, in pixels.
constexpr double kHitDistance = 9.0;

// The first temperature whose white follows the daylight formula (whiteForTemperature).
constexpr int kDaylightFromKelvin = 4000;

}  // namespace

TW_gamut_graph::TW_gamut_graph(QWidget* parent)
    : Plotter(parent),
      m_marker(QStringLiteral(":/images/Resources/control ball.png")),
      m_references{
          {"Adobe RGB",
           {0.64, 0.33},
           {0.21, 0.71},
           {0.15, 0.06},
           {0.3127, 0.329},
           QColor(255, 255, 0)},
          {"sRGB", {0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}, {0.3127, 0.329}, QColor(0, 255, 255)},
          {"NTSC", {0.67, 0.33}, {0.21, 0.71}, {0.14, 0.08}, {0.3101, 0.3161}, QColor(255, 0, 255)},
          {"SMPTE",
           {0.63, 0.34},
           {0.31, 0.595},
           {0.155, 0.07},
           {0.3127, 0.329},
           QColor(255, 128, 128)},
          {"HDTV",
           {0.64, 0.33},
           {0.30, 0.60},
           {0.15, 0.06},
           {0.3127, 0.329},
           QColor(128, 128, 255)},
          {"Digital Cinema",
           {0.68, 0.32},
           {0.265, 0.69},
           {0.15, 0.06},
           {0.314, 0.351},
           QColor(0, 128, 255)},
      } {
    setMouseTracking(true);
    setPlotSettings(xySettings(), true);
}

PlotSettings TW_gamut_graph::xySettings() {
    return PlotSettings(0.0, 0.9, 9, 0.0, 0.9, 9);
}

PlotSettings TW_gamut_graph::uvSettings() {
    return PlotSettings(0.0, 0.7, 7, 0.0, 0.7, 7);
}

QPointF TW_gamut_graph::toDiagram(double x, double y) const {
    return m_colorspace ? graphs::xy_to_uv(QPointF(x, y)) : QPointF(x, y);
}

QPointF TW_gamut_graph::pixel(double x, double y) const {
    return mapToPixel(toDiagram(x, y));
}

void TW_gamut_graph::SetMonitorData(bool valid, const CCIEYxy monitor_color_data[]) {
    m_monitorValid = valid && monitor_color_data != nullptr;
    if (monitor_color_data != nullptr) {
        for (int i = 0; i < 4; ++i)
            m_monitor[i] = monitor_color_data[i];
        m_monitorWhiteGiven = m_monitor[3].x > 0;
        if (!m_monitorWhiteGiven) {
            m_monitor[3].x = (m_monitor[0].x + m_monitor[1].x + m_monitor[2].x) / 3;
            m_monitor[3].y = (m_monitor[0].y + m_monitor[1].y + m_monitor[2].y) / 3;
        }
    }
    refreshPixmap();
}

void TW_gamut_graph::SetMonitorNativeGamutData(bool valid, const CCIEYxy monitor_color_data[]) {
    m_nativeValid = valid && monitor_color_data != nullptr;
    if (monitor_color_data != nullptr) {
        for (int i = 0; i < 3; ++i)
            m_native[i] = monitor_color_data[i];
    }
    refreshPixmap();
}

void TW_gamut_graph::SetTargetData(bool valid, CIExy in_target_color_data) {
    m_targetValid = valid;
    m_target = in_target_color_data;
    refreshPixmap();
}

void TW_gamut_graph::SetFixedWhiteDiagramWhitePoint(CCIEYxy in_fixed_white_point_color_data) {
    m_fixedWhite = in_fixed_white_point_color_data;
    refreshPixmap();
}

void TW_gamut_graph::SetColorspace(bool in_colorspace) {
    m_colorspace = in_colorspace;
    setPlotSettings(m_colorspace ? uvSettings() : xySettings(), true);
}

void TW_gamut_graph::SetOnlyAdjustRGB(bool in_only_adjust_rgb) {
    set_switch(m_onlyAdjustRGB, in_only_adjust_rgb);
}

void TW_gamut_graph::set_switch(bool& flag, bool value) {
    flag = value;
    refreshPixmap();
}

void TW_gamut_graph::SetShowGamutDisplay(bool bShow) {
    set_switch(m_showGamutDisplay, bShow);
}
void TW_gamut_graph::SetShowTargetWhitePoint(bool bShow) {
    set_switch(m_showTargetWhitePoint, bShow);
}
void TW_gamut_graph::SetShowMonitorNativeGamut(bool bShow) {
    set_switch(m_showNativeGamut, bShow);
}
void TW_gamut_graph::SetShowFixedWhiteDiagram(bool bShow) {
    set_switch(m_showFixedWhiteDiagram, bShow);
}
void TW_gamut_graph::SetShowPlankianLocus(bool bShow) {
    set_switch(m_showPlanckianLocus, bShow);
}
void TW_gamut_graph::SetShowGamutAdobeRGB(bool bShow) {
    set_switch(m_references[0].shown, bShow);
}
void TW_gamut_graph::SetShowGamutsRGB(bool bShow) {
    set_switch(m_references[1].shown, bShow);
}
void TW_gamut_graph::SetShowGamutNTSC(bool bShow) {
    set_switch(m_references[2].shown, bShow);
}
void TW_gamut_graph::SetShowGamutSMPTE(bool bShow) {
    set_switch(m_references[3].shown, bShow);
}
void TW_gamut_graph::SetShowGamutHDTV(bool bShow) {
    set_switch(m_references[4].shown, bShow);
}
void TW_gamut_graph::SetShowGamutDigitalCinema(bool bShow) {
    set_switch(m_references[5].shown, bShow);
}

int TW_gamut_graph::pointAt(const QPointF& at) const {
    int found = kNoPoint;
    for (int i = 0; i < m_points.size(); ++i) {
        if (std::abs(m_points[i].x() - at.x()) < kHitDistance &&
            std::abs(m_points[i].y() - at.y()) < kHitDistance) {
            found = i + 1;
        }
    }
    return found;
}

void TW_gamut_graph::drawGrid(QPainter& painter) {
    // The diagram's colours (white locus, pale reference pens) are chosen for a dark field.
    const QRect rect = plotRect();
    if (rect.isValid()) painter.fillRect(rect, QColor(36, 38, 44));
    Plotter::drawGrid(painter);
}

QColor TW_gamut_graph::gridColor() const {
    return QColor(72, 76, 86);
}

void TW_gamut_graph::draw_marker(QPainter& painter, const QPointF& at) const {
    if (!m_marker.isNull()) {
        const QSizeF size = m_marker.deviceIndependentSize();
        painter.drawPixmap(QPointF(at.x() - size.width() / 2, at.y() - size.height() / 2),
                           m_marker);
    }
    painter.drawLine(at + QPointF(-3, -3), at + QPointF(3, 3));
    painter.drawLine(at + QPointF(-3, 3), at + QPointF(3, -3));
}

void TW_gamut_graph::draw_triangle(QPainter& painter, const QPointF& r, const QPointF& g,
                                   const QPointF& b, const QColor& color) const {
    painter.setPen(QPen(color, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(QPolygonF({r, g, b}));
}

void TW_gamut_graph::draw_filled_triangle(QPainter& painter) const {
    if (m_points.size() < 4) return;
    // Filled in the device pixels of the painter's target, so a scaled desktop gets a sharp
    // fill rather than a stretched one.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    auto whole = [ratio](const QPointF& p) {
        return QPoint(static_cast<int>(std::round(p.x() * ratio - 0.5)),
                      static_cast<int>(std::round(p.y() * ratio - 0.5)));
    };
    const QRect area = plotRect();
    const QRect clip(
        QPoint(int(std::floor(area.left() * ratio)), int(std::floor(area.top() * ratio))),
        QPoint(int(std::ceil((area.right() + 1) * ratio)) - 1,
               int(std::ceil((area.bottom() + 1) * ratio)) - 1));
    const QPointF white = pixel(m_fixedWhite.x, m_fixedWhite.y);
    graphs::FilledTriangle fill = graphs::fill_gamut_triangle(
        whole(m_points[0]), whole(m_points[1]), whole(m_points[2]), whole(white), clip);
    if (fill.image.isNull()) return;
    fill.image.setDevicePixelRatio(ratio);
    painter.drawImage(QPointF(fill.origin) / ratio, fill.image);
}

void TW_gamut_graph::draw_planckian_locus(QPainter& painter) const {
    QPolygonF locus;
    for (int kelvin = 4000; kelvin < 25000; kelvin += 100) {
        CChromaticity white;
        if (whiteForTemperature(static_cast<std::uint16_t>(kelvin), white)) {
            locus.append(pixel(white.x, white.y));
        }
    }
    // A dark edge keeps the pale locus readable over the filled triangle.
    painter.setPen(QPen(QColor(0, 0, 0, 150), 3.0));
    painter.drawPolyline(locus);
    painter.setPen(QPen(QColor(255, 255, 128), 1.0));
    painter.drawPolyline(locus);

    for (const PlanckianMark& mark : planckianMarks()) {
        painter.setPen(QPen(QColor(0, 0, 0, 150), 3.0));
        painter.drawLine(mark.tick);
        painter.setPen(QPen(Qt::white, 1.0));
        painter.drawLine(mark.tick);
        // A label moved out from its tick keeps a thin line to it.
        const QPointF nearest(std::clamp(mark.anchor.x(), mark.label.left(), mark.label.right()),
                              std::clamp(mark.anchor.y(), mark.label.top(), mark.label.bottom()));
        if (QLineF(mark.anchor, nearest).length() > 6.0) {
            painter.setPen(QPen(QColor(0, 0, 0, 150), 1.0));
            painter.drawLine(mark.anchor, nearest);
        }
        painter.setPen(Qt::black);
        painter.fillRect(mark.label.adjusted(-1, 0, 1, 0), QColor(255, 255, 255, 190));
        painter.drawText(mark.label, Qt::AlignCenter, QStringLiteral("%1K").arg(mark.kelvin));
    }
}

QList<TW_gamut_graph::PlanckianMark> TW_gamut_graph::planckianMarks() const {
    QList<PlanckianMark> marks;
    QList<QPointF> centres;
    for (int kelvin : {4000, 5000, 5500, 6500, 9300}) {
        // The white switches from the Planckian to the daylight formula at 4000 K: a direction
        // taken across the switch follows the jump between the two, not the locus.
        const int from = kelvin - 100 < kDaylightFromKelvin && kelvin >= kDaylightFromKelvin
                             ? kelvin
                             : kelvin - 100;
        CChromaticity at;
        CChromaticity before;
        CChromaticity after;
        if (!whiteForTemperature(static_cast<std::uint16_t>(kelvin), at) ||
            !whiteForTemperature(static_cast<std::uint16_t>(from), before) ||
            !whiteForTemperature(static_cast<std::uint16_t>(kelvin + 100), after)) {
            continue;
        }
        // The tick runs across the locus, 0.005 diagram units long, centred on the point.
        const QPointF centre = toDiagram(at.x, at.y);
        const QPointF along = toDiagram(after.x, after.y) - toDiagram(before.x, before.y);
        const double length = std::hypot(along.x(), along.y());
        if (length <= 0) continue;
        const QPointF across(-along.y() / length * 0.0025, along.x() / length * 0.0025);
        marks.append({kelvin, QLineF(mapToPixel(centre + across), mapToPixel(centre - across)),
                      QRectF(), QPointF()});
        centres.append(mapToPixel(centre));
    }

    // Labels alternate between the two sides of the locus, so that close temperatures stay
    // apart; where the whole diagram leaves too little room, a label moves further out (with a
    // leader line) until it covers neither another label nor another tick and stays in the plot.
    const QFontMetrics metrics(font());
    const double step = metrics.height() * 0.6;
    QList<QRectF> placed;
    const QRectF plot(plotRect());
    auto clear_of_the_rest = [&](const QRectF& box, qsizetype self) {
        if (!plot.contains(box)) return false;
        const QRectF padded = box.adjusted(-2, -1, 2, 1);
        for (const QRectF& other : placed) {
            if (padded.intersects(other)) return false;
        }
        for (qsizetype i = 0; i < marks.size(); ++i) {
            if (i == self) continue;
            for (int k = 0; k <= 10; ++k) {
                if (padded.contains(marks[i].tick.pointAt(k / 10.0))) return false;
            }
        }
        return true;
    };
    bool far_side = false;
    for (qsizetype i = 0; i < marks.size(); ++i) {
        far_side = !far_side;
        PlanckianMark& mark = marks[i];
        const QString label = QStringLiteral("%1K").arg(mark.kelvin);
        const QSizeF size(metrics.horizontalAdvance(label), metrics.height());
        const bool a_first = (mark.tick.p1().y() > mark.tick.p2().y()) == far_side;
        const QPointF ends[2] = {a_first ? mark.tick.p1() : mark.tick.p2(),
                                 a_first ? mark.tick.p2() : mark.tick.p1()};
        QRectF first_choice;
        for (int attempt = 0; attempt < 16 && mark.label.isNull(); ++attempt) {
            const QPointF end = ends[attempt % 2];
            const QPointF side = end - centres[i];
            const double norm = std::hypot(side.x(), side.y());
            const QPointF unit = norm > 0 ? side / norm : QPointF(0, 1);
            const QPointF offset = unit * (4.0 + step * (attempt / 2));
            const QRectF box(end + offset +
                                 QPointF(offset.x() < 0 ? -size.width() : 0.0,
                                         offset.y() < 0 ? -size.height() : 0.0),
                             size);
            if (attempt == 0) first_choice = box;
            if (clear_of_the_rest(box, i)) mark.label = box;
        }
        if (mark.label.isNull()) mark.label = first_choice;
        mark.anchor = ends[0];
        placed.append(mark.label);
    }
    return marks;
}

void TW_gamut_graph::drawCurves(QPainter& painter) {
    m_points.clear();
    const QRect rect = plotRect();
    if (!rect.isValid()) return;
    painter.save();
    painter.setClipRect(rect.adjusted(1, 1, -1, -1));
    painter.setRenderHint(QPainter::Antialiasing);

    QPolygonF locus;
    for (const graphs::SpectralPoint& point : graphs::kSpectralLocus) {
        locus.append(pixel(point.x, point.y));
    }
    locus.append(locus.first());
    painter.setPen(QPen(alternateColors() ? QColor(192, 192, 192) : QColor(Qt::white), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(locus);

    if (m_nativeValid && m_showNativeGamut) {
        const QPolygonF native({pixel(m_native[0].x, m_native[0].y),
                                pixel(m_native[1].x, m_native[1].y),
                                pixel(m_native[2].x, m_native[2].y)});
        painter.setPen(QPen(QColor(255, 255, 0), 1.5));
        painter.setBrush(QColor(255, 255, 0, 36));
        painter.drawPolygon(native);
        painter.setBrush(Qt::NoBrush);
    }

    for (const Reference& reference : m_references) {
        if (!reference.shown) continue;
        draw_triangle(painter, pixel(reference.r[0], reference.r[1]),
                      pixel(reference.g[0], reference.g[1]), pixel(reference.b[0], reference.b[1]),
                      reference.pen);
        draw_marker(painter, pixel(reference.w[0], reference.w[1]));
    }

    const bool monitorShown = m_monitorValid && m_showGamutDisplay;
    if (monitorShown) {
        for (const CCIEYxy& point : m_monitor)
            m_points.append(pixel(point.x, point.y));
        if (m_showFixedWhiteDiagram) {
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing, false);
            draw_filled_triangle(painter);
            painter.restore();
        }
        draw_triangle(painter, m_points[0], m_points[1], m_points[2], QColor(255, 255, 255));
    }

    if (m_showPlanckianLocus) draw_planckian_locus(painter);

    if (monitorShown && m_monitorWhiteGiven) {
        painter.setPen(QPen(Qt::white, 1.0));
        if (m_onlyAdjustRGB) {
            for (int i = 0; i < 3; ++i)
                draw_marker(painter, m_points[i]);
        } else {
            draw_marker(painter, m_points[3]);
        }
    }

    if (m_targetValid && m_showTargetWhitePoint) {
        painter.setPen(QPen(QColor(128, 255, 128), 1.0));
        draw_marker(painter, pixel(m_target.x, m_target.y));
    }
    painter.restore();
}

void TW_gamut_graph::mousePressEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (event->button() == Qt::LeftButton && plotRect().contains(at.toPoint())) {
        const int hit = pointAt(at);
        if (hit != kNoPoint) {
            m_dragIndex = hit;
            setCursor(Qt::ClosedHandCursor);
            return;
        }
    }
    Plotter::mousePressEvent(event);
}

void TW_gamut_graph::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    if (m_dragIndex != kNoPoint) {
        const QPointF diagram = mapFromPixel(at);
        // The points come in as xy, so they go back as xy whichever diagram is shown.
        emit dragging_point(m_dragIndex, m_colorspace ? graphs::uv_to_xy(diagram) : diagram);
        return;
    }
    if (!rubberBandShown() && plotRect().contains(at.toPoint())) {
        if (pointAt(at) != kNoPoint) {
            setCursor(Qt::OpenHandCursor);
        } else {
            unsetCursor();
        }
    }
    Plotter::mouseMoveEvent(event);
}

void TW_gamut_graph::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_dragIndex != kNoPoint) {
        m_dragIndex = kNoPoint;
        unsetCursor();
        return;
    }
    Plotter::mouseReleaseEvent(event);
}
