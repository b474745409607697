#include "ui/graphs/plotter.h"

#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

PlotSettings::PlotSettings(double min_x, double max_x, int x_ticks, double min_y, double max_y,
                           int y_ticks)
    : minX(min_x), maxX(max_x), numXTicks(x_ticks), minY(min_y), maxY(max_y), numYTicks(y_ticks) {
    copyPanLimits();
}

void PlotSettings::copyPanLimits() {
    panMinX = minX;
    panMaxX = maxX;
    panMinY = minY;
    panMaxY = maxY;
}

void PlotSettings::scroll(int dx, int dy) {
    if (numXTicks > 0) {
        const double step = spanX() / numXTicks;
        const double lo = minX + dx * step;
        const double hi = maxX + dx * step;
        if (lo >= panMinX - step / 2 && hi <= panMaxX + step / 2) {
            minX = lo;
            maxX = hi;
        }
    }
    if (numYTicks > 0) {
        const double step = spanY() / numYTicks;
        const double lo = minY + dy * step;
        const double hi = maxY + dy * step;
        if (lo >= panMinY - step / 2 && hi <= panMaxY + step / 2) {
            minY = lo;
            maxY = hi;
        }
    }
}

void PlotSettings::adjust() {
    adjustAxis(minX, maxX, numXTicks);
    adjustAxis(minY, maxY, numYTicks);
}

void PlotSettings::adjustAxis(double& min, double& max, int& numTicks) {
    const double grossStep = (max - min) / 4;
    const double exponent = grossStep > 0 ? std::floor(std::log10(grossStep)) : 0.0;
    double step = std::pow(10.0, exponent);
    if (grossStep > 5 * step) {
        step *= 5;
    } else if (grossStep > 2 * step) {
        step *= 2;
    }
    numTicks = std::max(4, static_cast<int>(std::ceil(max / step) - std::floor(min / step)));
    min = std::floor(min / step) * step;
    max = std::ceil(max / step) * step;
}

Plotter::Plotter(QWidget* parent) : QWidget(parent) {
    QFont small = font();
    if (small.pointSizeF() > 0) small.setPointSizeF(small.pointSizeF() * 0.9);
    setFont(small);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFocusPolicy(Qt::StrongFocus);

    m_zoomInButton = new QToolButton(this);
    m_zoomInButton->setIcon(QIcon(QStringLiteral(":/images/Resources/zoomin.png")));
    m_zoomInButton->setToolTip(
        tr("<html>Zooms in.<br>Click and drag in the graph to select the region to zoom in "
           "on.<br>Use the keyboard arrow keys to pan around.</html>"));
    m_zoomInButton->setAccessibleName(tr("Zoom in"));
    m_zoomInButton->setFocusPolicy(Qt::NoFocus);
    m_zoomInButton->adjustSize();
    connect(m_zoomInButton, &QToolButton::clicked, this, &Plotter::zoomIn);

    m_zoomOutButton = new QToolButton(this);
    m_zoomOutButton->setIcon(QIcon(QStringLiteral(":/images/Resources/zoomout.png")));
    m_zoomOutButton->setToolTip(tr("<html>Zooms out.</html>"));
    m_zoomOutButton->setAccessibleName(tr("Zoom out"));
    m_zoomOutButton->setFocusPolicy(Qt::NoFocus);
    m_zoomOutButton->adjustSize();
    connect(m_zoomOutButton, &QToolButton::clicked, this, &Plotter::zoomOut);

    m_zoomInButton->setEnabled(false);
    m_zoomOutButton->setEnabled(false);

    m_zoomStack.push_back(PlotSettings(0.0, 1.0, 5, 0.0, 1.0, 5));
    recomputeMargins();
}

Plotter::~Plotter() = default;

void Plotter::setPlotSettings(const PlotSettings& settings, bool reset) {
    PlotSettings installed = settings;
    if (reset) {
        installed.copyPanLimits();
        m_zoomStack.clear();
        m_zoomStack.push_back(installed);
        m_curZoom = 0;
        m_zoomInButton->setEnabled(false);
        m_zoomOutButton->setEnabled(false);
        recomputeMargins();
        refreshPixmap();
        return;
    }
    // Installed settings are shown as given (the diagrams ask for ranges such as 0.25 to 0.43
    // in nine ticks); only a rubber band's range is rounded out to whole ticks.
    installed.copyPanLimits();
    m_zoomStack.insert(m_zoomStack.begin() + m_curZoom + 1, installed);
    zoomIn();
}

const PlotSettings& Plotter::plotSettings() const {
    return m_zoomStack[m_curZoom];
}

const PlotSettings& Plotter::zoomLevelSettings(int level) const {
    return m_zoomStack.at(static_cast<std::size_t>(level));
}

void Plotter::zoomIn() {
    if (m_curZoom >= zoomLevelCount() - 1) return;
    ++m_curZoom;
    update_zoom_buttons();
    m_zoomOutButton->show();
    recomputeMargins();
    refreshPixmap();
}

void Plotter::zoomOut() {
    if (m_curZoom <= 0) return;
    --m_curZoom;
    update_zoom_buttons();
    m_zoomInButton->show();
    recomputeMargins();
    refreshPixmap();
}

void Plotter::update_zoom_buttons() {
    m_zoomInButton->setEnabled(m_curZoom < zoomLevelCount() - 1);
    m_zoomOutButton->setEnabled(m_curZoom > 0);
}

void Plotter::setCaption(const QString& caption) {
    m_caption = caption;
    recomputeMargins();
    refreshPixmap();
}

void Plotter::setXAxisTitle(const QString& title) {
    m_xAxisTitle = title;
    recomputeMargins();
    refreshPixmap();
}

void Plotter::setYAxisTitle(const QString& title) {
    m_yAxisTitle = title;
    recomputeMargins();
    refreshPixmap();
}

void Plotter::setShowAxisNumbers(bool show) {
    m_showAxisNumbers = show;
    recomputeMargins();
    refreshPixmap();
}

void Plotter::setShowAxisTitles(bool show) {
    m_showAxisTitles = show;
    recomputeMargins();
    refreshPixmap();
}

void Plotter::setShowGrid(bool show) {
    m_showGrid = show;
    recomputeMargins();
    refreshPixmap();
}

void Plotter::setAlternateColors(bool alternate) {
    m_alternateColors = alternate;
    recomputeMargins();
    refreshPixmap();
}

void Plotter::setLogarithmicY(bool logarithmic) {
    m_logarithmicY = logarithmic;
    recomputeMargins();
    refreshPixmap();
}

void Plotter::setCurveColor(const QColor& color) {
    m_curveColor = color;
    refreshPixmap();
}

void Plotter::setTextColor(const QColor& color) {
    m_textColor = color;
    refreshPixmap();
}

void Plotter::setFreeze(bool freeze) {
    m_freeze = freeze;
    if (!freeze) refreshPixmap();
}

QRect Plotter::plotRect() const {
    return QRect(m_marginLeft, m_marginTop, width() - m_marginLeft - m_marginRight,
                 height() - m_marginTop - m_marginBottom);
}

double Plotter::to_axis_y(double y) const {
    if (!m_logarithmicY) return y;
    return y > 0 ? std::log10(y) : 0.0;
}

QPointF Plotter::mapToPixel(const QPointF& data) const {
    const PlotSettings& s = plotSettings();
    const QRect r = plotRect();
    const double left = r.left();
    const double right = r.right();
    const double top = r.top();
    const double bottom = r.bottom();
    const double px = left + (data.x() - s.minX) * (right - left) / s.spanX();
    const double py = bottom - (bottom - top) * (to_axis_y(data.y()) - s.minY) / s.spanY();
    return {px, py};
}

QPointF Plotter::mapFromPixel(const QPointF& pixel) const {
    const PlotSettings& s = plotSettings();
    const QRect r = plotRect();
    const double left = r.left();
    const double right = r.right();
    const double top = r.top();
    const double bottom = r.bottom();
    const double x = s.minX + (pixel.x() - left) * s.spanX() / (right - left);
    double y = s.minY + (bottom - pixel.y()) * s.spanY() / (bottom - top);
    if (m_logarithmicY) y = std::pow(10.0, y);
    return {x, y};
}

namespace {

int decimals_for_span(double span) {
    if (span <= 0) return 0;
    const int d = 1 - static_cast<int>(std::floor(std::log10(span)));
    return d > 0 ? d : 0;
}

}  // namespace

QString Plotter::x_label(double value) const {
    return QString::number(value, 'f', decimals_for_span(plotSettings().spanX()));
}

QString Plotter::y_label(double value) const {
    const PlotSettings& s = plotSettings();
    if (!m_logarithmicY) return QString::number(value, 'f', decimals_for_span(s.spanY()));
    // Decades are labelled by their value; the finer the ticks, the more decimals the
    // sub-decade labels need.
    const double step = s.numYTicks > 0 ? s.spanY() / s.numYTicks : 1.0;
    const double shown = std::pow(10.0, value);
    int decimals = step >= 1.0 ? 0 : 1;
    if (shown < 1.0) decimals = std::max(decimals, decimals_for_span(shown) + 1);
    return QString::number(shown, 'f', std::min(decimals, 6));
}

void Plotter::recomputeMargins() {
    const QFontMetrics metrics(font());
    int left = 35;
    int bottom = 30;
    if (m_showAxisNumbers) {
        const PlotSettings& s = plotSettings();
        int widest = 0;
        for (int j = 0; j <= s.numYTicks; ++j) {
            const double value = s.minY + j * s.spanY() / std::max(1, s.numYTicks);
            widest = std::max(widest, metrics.horizontalAdvance(y_label(value)));
        }
        left = std::max(left, widest + 10);
    }
    if (m_showAxisTitles) {
        if (!m_yAxisTitle.isEmpty()) left += metrics.height();
        if (!m_xAxisTitle.isEmpty()) bottom += metrics.height();
    }
    m_marginLeft = left;
    m_marginRight = 10;
    m_marginTop = 22;
    m_marginBottom = bottom;
}

void Plotter::refreshPixmap() {
    if (m_freeze) return;
    // Device pixels: on a scaled desktop a pixmap of the widget's size would be stretched.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size().expandedTo(QSize(1, 1))) * ratio).toSize();
    if (m_pixmap.size() != pixels || m_pixmap.devicePixelRatio() != ratio) {
        m_pixmap = QPixmap(pixels);
        m_pixmap.setDevicePixelRatio(ratio);
    }
    m_pixmap.fill(Qt::white);
    {
        QPainter painter(&m_pixmap);
        painter.setFont(font());
        drawGrid(painter);
        drawCurves(painter);
    }
    update();
}

void Plotter::drawGrid(QPainter& painter) {
    const QRect rect = plotRect();
    if (!rect.isValid()) return;
    const PlotSettings& s = plotSettings();
    const QColor frame = m_textColor;
    const QColor line = gridColor();
    const QFontMetrics metrics(font());
    const int textHeight = metrics.height();

    for (int i = 0; i <= s.numXTicks; ++i) {
        const int x = rect.left() + (i * (rect.width() - 1) / std::max(1, s.numXTicks));
        const double value = s.minX + (i * s.spanX() / std::max(1, s.numXTicks));
        if (m_showGrid) {
            painter.setPen(line);
            painter.drawLine(x, rect.top(), x, rect.bottom());
        }
        painter.setPen(frame);
        painter.drawLine(x, rect.bottom(), x, rect.bottom() + 5);
        if (m_showAxisNumbers) {
            painter.drawText(x - 50, rect.bottom() + 5, 100, textHeight,
                             Qt::AlignHCenter | Qt::AlignTop, x_label(value));
        }
    }
    for (int j = 0; j <= s.numYTicks; ++j) {
        const int y = rect.bottom() - (j * (rect.height() - 1) / std::max(1, s.numYTicks));
        const double value = s.minY + (j * s.spanY() / std::max(1, s.numYTicks));
        if (m_showGrid) {
            painter.setPen(line);
            painter.drawLine(rect.left(), y, rect.right(), y);
        }
        painter.setPen(frame);
        painter.drawLine(rect.left() - 5, y, rect.left(), y);
        if (m_showAxisNumbers) {
            painter.drawText(0, y - textHeight / 2, rect.left() - 7, textHeight,
                             Qt::AlignRight | Qt::AlignVCenter, y_label(value));
        }
    }
    painter.setPen(frame);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));

    if (!m_caption.isEmpty()) {
        // The caption keeps clear of the zoom buttons in the top right corner.
        const int right = std::min(rect.right(), m_zoomInButton->x() - 4);
        const QRect area(rect.left(), 0, std::max(0, right - rect.left()), m_marginTop);
        painter.drawText(area, Qt::AlignHCenter | Qt::AlignVCenter,
                         metrics.elidedText(m_caption, Qt::ElideRight, area.width()));
    }
    if (m_showAxisTitles) {
        if (!m_xAxisTitle.isEmpty()) {
            painter.drawText(
                QRect(rect.left(), height() - textHeight - 2, rect.width(), textHeight),
                Qt::AlignHCenter | Qt::AlignVCenter, m_xAxisTitle);
        }
        if (!m_yAxisTitle.isEmpty()) {
            painter.save();
            painter.translate(2, rect.center().y());
            painter.rotate(-90);
            painter.drawText(QRect(-rect.height() / 2, 0, rect.height(), textHeight),
                             Qt::AlignHCenter | Qt::AlignVCenter, m_yAxisTitle);
            painter.restore();
        }
    }
}

void Plotter::drawCurves(QPainter&) {}

QColor Plotter::gridColor() const {
    return m_alternateColors ? QColor(96, 96, 96) : QColor(208, 208, 208);
}

void Plotter::paintEvent(QPaintEvent*) {
    // Moved to a screen of another scale since the last change.
    if (m_pixmap.devicePixelRatio() != devicePixelRatioF()) refreshPixmap();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_pixmap);
    if (m_rubberBandIsShown) {
        painter.setPen(palette().color(QPalette::Light));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(m_rubberBandRect.adjusted(0, 0, -1, -1));
    }
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.backgroundColor = palette().color(QPalette::Dark);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void Plotter::resizeEvent(QResizeEvent*) {
    const int side = std::min(width(), height());
    if (width() != height()) {
        // The diagrams are only true to their axes when square. A visible widget gets the
        // square size's own event at once; a hidden one takes the size without an event, so it
        // is drawn here.
        resize(side, side);
        if (width() != height() || isVisible()) return;
    }
    const int x = width() - (m_zoomInButton->width() + m_zoomOutButton->width() + 8);
    m_zoomInButton->move(x, 3);
    m_zoomOutButton->move(x + m_zoomInButton->width() + 5, 3);
    refreshPixmap();
}

void Plotter::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && plotRect().contains(event->position().toPoint())) {
        m_rubberBandIsShown = true;
        m_bandStart = event->position().toPoint();
        m_rubberBandRect = QRect(m_bandStart, QSize(1, 1));
        update();
        setCursor(Qt::CrossCursor);
    }
}

void Plotter::mouseMoveEvent(QMouseEvent* event) {
    if (!m_rubberBandIsShown) return;
    const QPoint at = event->position().toPoint();
    const QPoint start = m_bandStart;
    const int dx = at.x() - start.x() + 1;
    const int dy = at.y() - start.y() + 1;
    const int side = std::abs(std::min(dx, dy));
    // A negative extent runs from the start point backwards, the start pixel included.
    const int left = dx < 0 ? start.x() - side + 1 : start.x();
    const int top = dy < 0 ? start.y() - side + 1 : start.y();
    m_rubberBandRect = QRect(left, top, side, side);
    update();
}

void Plotter::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_rubberBandIsShown) return;
    m_rubberBandIsShown = false;
    update();
    unsetCursor();

    QRect band = m_rubberBandRect;
    if (band.width() < 4 || band.height() < 4) return;
    band = band.intersected(plotRect());
    const int side = std::min(band.width(), band.height());
    if (side < 1) return;
    band.setSize(QSize(side, side));

    const QPointF a = mapFromPixel(band.bottomLeft());
    const QPointF b = mapFromPixel(band.topRight());
    PlotSettings zoomed = plotSettings();
    zoomed.minX = a.x();
    zoomed.maxX = b.x();
    zoomed.minY = to_axis_y(a.y());
    zoomed.maxY = to_axis_y(b.y());
    zoomed.adjust();
    m_zoomStack.insert(m_zoomStack.begin() + m_curZoom + 1, zoomed);
    zoomIn();
}

void Plotter::scroll_current(int dx, int dy) {
    m_zoomStack[m_curZoom].scroll(dx, dy);
    refreshPixmap();
}

void Plotter::wheelEvent(QWheelEvent* event) {
    // Touchpads and smooth wheels send fractions of a notch: gather them until a whole one.
    constexpr int kNotch = 120;
    m_wheelDelta += event->angleDelta();
    const QPoint steps(m_wheelDelta.x() / kNotch, m_wheelDelta.y() / kNotch);
    m_wheelDelta -= steps * kNotch;
    if (!steps.isNull()) scroll_current(steps.x(), steps.y());
    event->accept();
}

void Plotter::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Plus:
            zoomIn();
            break;
        case Qt::Key_Minus:
            zoomOut();
            break;
        case Qt::Key_Left:
            scroll_current(-1, 0);
            break;
        case Qt::Key_Right:
            scroll_current(+1, 0);
            break;
        case Qt::Key_Up:
            scroll_current(0, +1);
            break;
        case Qt::Key_Down:
            scroll_current(0, -1);
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

QSize Plotter::minimumSizeHint() const {
    return QSize(6 * m_marginLeft, 6 * m_marginLeft);
}

QSize Plotter::sizeHint() const {
    return QSize(12 * m_marginLeft, 12 * m_marginLeft);
}
