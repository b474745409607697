// The main window's page icons (64 x 64) and the small edit icon of the configuration button.
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "artwork.h"

namespace {

// A monitor outline with a stand; `screen` paints the picture inside.
template <typename Paint>
QImage monitor_icon(Paint screen) {
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(52, 60, 72), 2));
    p.setBrush(QColor(36, 42, 52));
    p.drawRoundedRect(QRectF(5, 8, 54, 38), 3, 3);
    p.setBrush(QColor(90, 98, 110));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(28, 46, 8, 7));
    p.drawRoundedRect(QRectF(18, 53, 28, 4), 2, 2);
    const QRectF inside(9, 12, 46, 30);
    p.setClipRect(inside);
    screen(p, inside);
    return image;
}

QImage picture_mode_icon() {
    return monitor_icon([](QPainter& p, const QRectF& r) {
        QLinearGradient g(r.topLeft(), r.topRight());
        for (int i = 0; i <= 6; ++i)
            g.setColorAt(i / 6.0, QColor::fromHsv(i * 60 % 360, 210, 240));
        p.fillRect(r, g);
        QLinearGradient shade(r.topLeft(), r.bottomLeft());
        shade.setColorAt(0, QColor(255, 255, 255, 90));
        shade.setColorAt(1, QColor(0, 0, 0, 120));
        p.fillRect(r, shade);
    });
}

QImage pip_icon() {
    return monitor_icon([](QPainter& p, const QRectF& r) {
        p.fillRect(r, QColor(70, 130, 190));
        p.fillRect(QRectF(r.right() - 20, r.bottom() - 14, 17, 11), QColor(240, 190, 70));
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(r.right() - 20, r.bottom() - 14, 17, 11));
    });
}

QImage vision_icon() {
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath eye;
    eye.moveTo(4, 32);
    eye.quadTo(32, 4, 60, 32);
    eye.quadTo(32, 60, 4, 32);
    p.setPen(QPen(QColor(52, 60, 72), 2.5));
    p.setBrush(Qt::white);
    p.drawPath(eye);
    QConicalGradient iris(QPointF(32, 32), 90);
    iris.setColorAt(0.0, QColor(220, 60, 60));
    iris.setColorAt(0.33, QColor(60, 180, 80));
    iris.setColorAt(0.66, QColor(60, 100, 220));
    iris.setColorAt(1.0, QColor(220, 60, 60));
    p.setPen(Qt::NoPen);
    p.setBrush(iris);
    p.drawEllipse(QPointF(32, 32), 13, 13);
    p.setBrush(QColor(20, 22, 28));
    p.drawEllipse(QPointF(32, 32), 5.5, 5.5);
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawEllipse(QPointF(28, 28), 2.5, 2.5);
    return image;
}

QImage settings_icon() {
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Three sliders with their knobs at different heights.
    const int xs[3] = {16, 32, 48};
    const int knobs[3] = {40, 20, 32};
    const QColor colours[3] = {QColor(210, 70, 70), QColor(70, 170, 90), QColor(70, 110, 210)};
    for (int i = 0; i < 3; ++i) {
        p.setPen(QPen(QColor(90, 98, 110), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(xs[i], 8, xs[i], 56);
        p.setPen(QPen(QColor(40, 46, 56), 1.5));
        p.setBrush(colours[i]);
        p.drawRoundedRect(QRectF(xs[i] - 7, knobs[i] - 5, 14, 10), 3, 3);
    }
    return image;
}

QImage status_icon() {
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 80, 150), 3));
    p.setBrush(QColor(70, 130, 210));
    p.drawEllipse(QPointF(32, 32), 27, 27);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(32, 18), 4.5, 4.5);
    p.drawRoundedRect(QRectF(28, 27, 8, 24), 3, 3);
    return image;
}

// A pencil over a small display, for the configuration button.
QImage edit_small_icon() {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(52, 60, 72), 1));
    p.setBrush(QColor(120, 170, 220));
    p.drawRect(QRectF(1.5, 2.5, 10, 8));
    p.drawLine(QPointF(6.5, 10.5), QPointF(6.5, 13.5));
    p.drawLine(QPointF(4, 13.5), QPointF(9, 13.5));
    QPainterPath pencil;
    pencil.moveTo(8, 12);
    pencil.lineTo(9, 9);
    pencil.lineTo(14, 4);
    pencil.lineTo(16, 6);
    pencil.lineTo(11, 11);
    pencil.closeSubpath();
    p.setBrush(QColor(240, 180, 60));
    p.setPen(QPen(QColor(90, 60, 20), 0.8));
    p.drawPath(pencil);
    return image;
}

}  // namespace

ORVALE_ARTWORK("panel_picture_mode_icon.png", picture_mode_icon);
ORVALE_ARTWORK("panel_pip_icon.png", pip_icon);
ORVALE_ARTWORK("panel_visionemu_icon.png", vision_icon);
ORVALE_ARTWORK("panel_settings_icon.png", settings_icon);
ORVALE_ARTWORK("panel_status_icon.png", status_icon);
ORVALE_ARTWORK("edit small icon.png", edit_small_icon);
