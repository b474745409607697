// The colour wizard's images: the company's kestrel (window icon and the wizard's logo), the
// logos of its pages (64 x 64, with @2x versions) and the red alert of the out-of-range marks.
#include <QConicalGradient>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

#include "artwork.h"

namespace {

// Paints on a `side`-pixel square in a 64-unit coordinate system.
template <typename Paint>
QImage drawn(int side, Paint paint) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 64.0, side / 64.0);
    paint(p);
    return image;
}

const QColor kOutline(52, 60, 72);

// A hovering kestrel, wings spread, seen from below, on a warm disc.
void kestrel(QPainter& p) {
    QRadialGradient sky(QPointF(32, 26), 34);
    sky.setColorAt(0, QColor(255, 222, 150));
    sky.setColorAt(1, QColor(226, 140, 60));
    p.setPen(QPen(QColor(150, 80, 30), 1.5));
    p.setBrush(sky);
    p.drawEllipse(QPointF(32, 32), 30, 30);

    QPainterPath bird;
    bird.moveTo(32, 14);                   // crown
    bird.cubicTo(35, 14, 36, 17, 35, 20);  // head, right
    bird.cubicTo(42, 19, 52, 15, 60, 20);  // leading edge of the right wing
    bird.cubicTo(52, 23, 44, 26, 37, 30);  // trailing edge
    bird.lineTo(36, 40);
    bird.lineTo(40, 52);  // tail fan
    bird.quadTo(32, 55, 24, 52);
    bird.lineTo(28, 40);
    bird.lineTo(27, 30);
    bird.cubicTo(20, 26, 12, 23, 4, 20);  // trailing edge of the left wing
    bird.cubicTo(12, 15, 22, 19, 29, 20);
    bird.cubicTo(28, 17, 29, 14, 32, 14);
    bird.closeSubpath();
    QLinearGradient plumage(QPointF(32, 14), QPointF(32, 54));
    plumage.setColorAt(0, QColor(120, 62, 30));
    plumage.setColorAt(1, QColor(70, 36, 18));
    p.setPen(QPen(QColor(50, 26, 12), 1));
    p.setBrush(plumage);
    p.drawPath(bird);
    // The dark bar near the tail's end that tells a kestrel from the sky.
    p.setPen(QPen(QColor(30, 16, 8), 2));
    p.drawLine(QPointF(25.5, 49), QPointF(38.5, 49));
}

// A printer with a freshly printed colour sheet.
void printer(QPainter& p) {
    p.setPen(QPen(kOutline, 1.5));
    p.setBrush(QColor(240, 240, 236));
    p.drawRect(QRectF(18, 6, 28, 18));  // paper in the feed
    p.setBrush(QColor(120, 128, 140));
    p.drawRoundedRect(QRectF(6, 20, 52, 22), 4, 4);
    p.setBrush(QColor(80, 88, 100));
    p.drawRect(QRectF(12, 36, 40, 6));
    p.setBrush(QColor(90, 210, 110));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(50, 27), 2, 2);
    // The printed sheet with cyan, magenta and yellow patches.
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(14, 40, 36, 20));
    const QColor inks[4] = {QColor(0, 170, 230), QColor(230, 0, 130), QColor(250, 220, 0),
                            QColor(30, 30, 30)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        p.setBrush(inks[i]);
        p.drawRect(QRectF(17 + 7.75 * i, 44, 6.5, 12));
    }
}

// A monitor showing a landscape in full colour.
void monitor(QPainter& p) {
    p.setPen(QPen(kOutline, 2));
    p.setBrush(QColor(36, 42, 52));
    p.drawRoundedRect(QRectF(4, 8, 56, 38), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 98, 110));
    p.drawRect(QRectF(28, 46, 8, 7));
    p.drawRoundedRect(QRectF(18, 53, 28, 4), 2, 2);
    const QRectF screen(8, 12, 48, 30);
    p.save();
    p.setClipRect(screen);
    QLinearGradient sky(screen.topLeft(), screen.bottomLeft());
    sky.setColorAt(0, QColor(70, 140, 230));
    sky.setColorAt(1, QColor(190, 225, 250));
    p.fillRect(screen, sky);
    p.setBrush(QColor(255, 210, 60));
    p.drawEllipse(QPointF(44, 20), 4, 4);
    QPainterPath hills;
    hills.moveTo(8, 42);
    hills.quadTo(20, 26, 34, 36);
    hills.quadTo(44, 30, 56, 34);
    hills.lineTo(56, 42);
    hills.closeSubpath();
    p.setBrush(QColor(60, 170, 80));
    p.drawPath(hills);
    p.restore();
}

// A tone curve on a graph, in blue.
void gamma_curve(QPainter& p) {
    p.setPen(QPen(kOutline, 1.5));
    p.setBrush(QColor(236, 242, 250));
    p.drawRoundedRect(QRectF(5, 5, 54, 54), 4, 4);
    p.setPen(QPen(QColor(180, 190, 205), 0.8));
    for (int i = 1; i < 4; ++i) {
        p.drawLine(QPointF(10 + 11 * i, 10), QPointF(10 + 11 * i, 54));
        p.drawLine(QPointF(10, 10 + 11 * i), QPointF(54, 10 + 11 * i));
    }
    p.setPen(QPen(kOutline, 1.5));
    p.drawLine(QPointF(10, 54), QPointF(54, 54));
    p.drawLine(QPointF(10, 10), QPointF(10, 54));
    QPainterPath curve;
    for (int i = 0; i <= 40; ++i) {
        const double x = i / 40.0;
        const QPointF point(10 + 44 * x, 54 - 44 * std::pow(x, 2.2));
        if (i == 0)
            curve.moveTo(point);
        else
            curve.lineTo(point);
    }
    p.setPen(QPen(QColor(30, 90, 210), 3, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
}

// The spectral locus of the CIE 1931 diagram, coarsely, in a 64-unit square (x and y 0..0.8).
QPainterPath locus() {
    static constexpr double kPoints[][2] = {
        {0.1741, 0.0050}, {0.1440, 0.0297}, {0.1241, 0.0578}, {0.0913, 0.1327}, {0.0454, 0.2950},
        {0.0082, 0.5384}, {0.0139, 0.7502}, {0.0743, 0.8338}, {0.1547, 0.8059}, {0.2296, 0.7543},
        {0.3016, 0.6923}, {0.3731, 0.6245}, {0.4441, 0.5547}, {0.5125, 0.4866}, {0.5752, 0.4242},
        {0.6270, 0.3725}, {0.6658, 0.3340}, {0.7347, 0.2653}};
    QPainterPath path;
    bool first = true;
    for (const auto& xy : kPoints) {
        const QPointF point(4 + xy[0] * 74, 58 - xy[1] * 60);
        if (first)
            path.moveTo(point);
        else
            path.lineTo(point);
        first = false;
    }
    path.closeSubpath();
    return path;
}

QPointF chromaticity(double x, double y) {
    return {4 + x * 74, 58 - y * 60};
}

void diagram(QPainter& p) {
    const QPainterPath horseshoe = locus();
    QConicalGradient hues(chromaticity(0.33, 0.33), 0);
    hues.setColorAt(0.00, QColor(255, 60, 40));
    hues.setColorAt(0.20, QColor(250, 230, 40));
    hues.setColorAt(0.35, QColor(60, 220, 60));
    hues.setColorAt(0.55, QColor(40, 200, 230));
    hues.setColorAt(0.75, QColor(40, 60, 250));
    hues.setColorAt(0.90, QColor(200, 40, 220));
    hues.setColorAt(1.00, QColor(255, 60, 40));
    p.setPen(QPen(kOutline, 1.5));
    p.setBrush(hues);
    p.drawPath(horseshoe);
    QRadialGradient white(chromaticity(0.33, 0.33), 20);
    white.setColorAt(0, QColor(255, 255, 255, 230));
    white.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(white);
    p.drawPath(horseshoe);
}

// The chromaticity diagram with a display's gamut triangle.
void gamut(QPainter& p) {
    diagram(p);
    QPainterPath triangle;
    triangle.moveTo(chromaticity(0.68, 0.31));
    triangle.lineTo(chromaticity(0.21, 0.71));
    triangle.lineTo(chromaticity(0.15, 0.06));
    triangle.closeSubpath();
    p.setPen(QPen(Qt::white, 3));
    p.setBrush(Qt::NoBrush);
    p.drawPath(triangle);
    p.setPen(QPen(QColor(20, 24, 30), 1.5));
    p.drawPath(triangle);
}

// The chromaticity diagram with the Planckian locus and a white point on it.
void white_point(QPainter& p) {
    diagram(p);
    QPainterPath planck;
    planck.moveTo(chromaticity(0.53, 0.41));
    planck.quadTo(chromaticity(0.38, 0.40), chromaticity(0.25, 0.25));
    p.setPen(QPen(QColor(20, 24, 30), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(planck);
    p.setPen(QPen(QColor(20, 24, 30), 2));
    p.setBrush(Qt::white);
    p.drawEllipse(chromaticity(0.313, 0.329), 4.5, 4.5);
}

// A sun over a dark-to-light ramp: brightness and black level.
void brightness(QPainter& p) {
    QLinearGradient ramp(QPointF(6, 0), QPointF(58, 0));
    ramp.setColorAt(0, QColor(10, 10, 12));
    ramp.setColorAt(1, QColor(250, 250, 250));
    p.setPen(QPen(kOutline, 1.5));
    p.setBrush(ramp);
    p.drawRoundedRect(QRectF(6, 44, 52, 14), 3, 3);
    const QPointF centre(32, 22);
    p.setPen(QPen(QColor(230, 150, 20), 3, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
        const double angle = i * M_PI / 4;
        p.drawLine(centre + QPointF(13 * std::cos(angle), 13 * std::sin(angle)),
                   centre + QPointF(19 * std::cos(angle), 19 * std::sin(angle)));
    }
    QRadialGradient sun(centre, 10);
    sun.setColorAt(0, QColor(255, 240, 150));
    sun.setColorAt(1, QColor(250, 190, 30));
    p.setPen(QPen(QColor(210, 130, 10), 1.5));
    p.setBrush(sun);
    p.drawEllipse(centre, 9.5, 9.5);
}

// A red alert disc with an exclamation mark, for texts set in a 20-pixel line.
QImage alert_red(int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 20.0, side / 20.0);
    p.setPen(QPen(QColor(140, 10, 10), 1));
    p.setBrush(QColor(215, 35, 35));
    p.drawEllipse(QPointF(10, 10), 8.5, 8.5);
    p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 5.2), QPointF(10, 11));
    p.drawPoint(QPointF(10, 14.6));
    return image;
}

}  // namespace

ORVALE_ARTWORK("kestrel.png", [] { return drawn(64, kestrel); });
ORVALE_ARTWORK("kestrel@2x.png", [] { return drawn(128, kestrel); });
ORVALE_ARTWORK("Printer-profile.png", [] { return drawn(64, printer); });
ORVALE_ARTWORK("Printer-profile@2x.png", [] { return drawn(128, printer); });
ORVALE_ARTWORK("monitor image.png", [] { return drawn(64, monitor); });
ORVALE_ARTWORK("monitor image@2x.png", [] { return drawn(128, monitor); });
ORVALE_ARTWORK("gamma blue.png", [] { return drawn(64, gamma_curve); });
ORVALE_ARTWORK("gamma blue@2x.png", [] { return drawn(128, gamma_curve); });
ORVALE_ARTWORK("gamut white large full color.png", [] { return drawn(64, gamut); });
ORVALE_ARTWORK("gamut white large full color@2x.png", [] { return drawn(128, gamut); });
ORVALE_ARTWORK("white point large full color.png", [] { return drawn(64, white_point); });
ORVALE_ARTWORK("white point large full color@2x.png", [] { return drawn(128, white_point); });
ORVALE_ARTWORK("brightness copy.png", [] { return drawn(64, brightness); });
ORVALE_ARTWORK("brightness copy@2x.png", [] { return drawn(128, brightness); });
ORVALE_ARTWORK("alerts_red_icon_20.png", [] { return alert_red(20); });
ORVALE_ARTWORK("alerts_red_icon_20@2x.png", [] { return alert_red(40); });
