// The graphs' artwork: the zoom buttons' magnifiers and the ball marking a draggable point.
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "artwork.h"

namespace {

// A magnifying glass drawn on a 20-unit grid at `scale`, with a plus or a minus in its lens.
QImage magnifier(int scale, bool plus) {
    QImage image(20 * scale, 20 * scale, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    // Handle first, so the rim covers its end.
    p.setPen(QPen(QColor(70, 56, 40), 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12.6, 12.6), QPointF(17.6, 17.6));
    QRadialGradient glass(QPointF(6.8, 6.2), 7.5);
    glass.setColorAt(0.0, QColor(255, 255, 255));
    glass.setColorAt(1.0, QColor(196, 220, 240));
    p.setBrush(glass);
    p.setPen(QPen(QColor(60, 70, 86), 1.6));
    p.drawEllipse(QPointF(8.2, 8.2), 6.2, 6.2);
    p.setPen(QPen(QColor(30, 40, 56), 1.8, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(5.0, 8.2), QPointF(11.4, 8.2));
    if (plus) p.drawLine(QPointF(8.2, 5.0), QPointF(8.2, 11.4));
    return image;
}

// A glossy ring: the point it marks stays visible through its open centre.
QImage control_ball() {
    QImage image(15, 15, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath ring;
    ring.addEllipse(QPointF(7.5, 7.5), 7.0, 7.0);
    ring.addEllipse(QPointF(7.5, 7.5), 4.0, 4.0);
    QRadialGradient shine(QPointF(5.5, 5.0), 8.0);
    shine.setColorAt(0.0, QColor(255, 255, 255, 240));
    shine.setColorAt(0.6, QColor(150, 170, 200, 220));
    shine.setColorAt(1.0, QColor(40, 60, 100, 230));
    p.setPen(QPen(QColor(20, 24, 32, 220), 0.8));
    p.setBrush(shine);
    p.drawPath(ring);
    return image;
}

}  // namespace

ORVALE_ARTWORK("zoomin.png", [] { return magnifier(1, true); });
ORVALE_ARTWORK("zoomin@2x.png", [] { return magnifier(2, true); });
ORVALE_ARTWORK("zoomout.png", [] { return magnifier(1, false); });
ORVALE_ARTWORK("zoomout@2x.png", [] { return magnifier(2, false); });
ORVALE_ARTWORK("control ball.png", control_ball);
