// The splash screen's artwork.
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "artwork.h"

namespace {

// A soft light background for the splash screen.
QImage splash_blank() {
    QImage image(420, 240, QImage::Format_ARGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, 0, image.height());
    g.setColorAt(0.0, QColor(250, 250, 252));
    g.setColorAt(1.0, QColor(222, 228, 236));
    p.fillRect(image.rect(), g);
    p.setPen(QColor(190, 198, 210));
    p.drawRect(image.rect().adjusted(0, 0, -1, -1));
    return image;
}

// The logo: a hue ring around a grey wedge, and the program's name.
QImage splash_logo() {
    QImage image(360, 120, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(60, 60);
    for (int a = 0; a < 360; a += 2) {
        QPainterPath wedge;
        wedge.moveTo(centre);
        wedge.arcTo(QRectF(12, 12, 96, 96), a, 2.5);
        wedge.closeSubpath();
        p.fillPath(wedge, QColor::fromHsv(a, 200, 235));
    }
    QRadialGradient inner(centre, 30);
    inner.setColorAt(0.0, QColor(255, 255, 255));
    inner.setColorAt(1.0, QColor(120, 120, 128));
    p.setBrush(inner);
    p.setPen(Qt::NoPen);
    p.drawEllipse(centre, 28, 28);
    QFont font(QStringLiteral("DejaVu Sans"), 40, QFont::DemiBold);
    p.setFont(font);
    p.setPen(QColor(40, 48, 60));
    p.drawText(QRectF(124, 18, 236, 70), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Orvale"));
    QFont small(QStringLiteral("DejaVu Sans"), 11);
    p.setFont(small);
    p.setPen(QColor(90, 98, 110));
    p.drawText(QRectF(126, 78, 236, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Monitor colour control"));
    return image;
}

}  // namespace

ORVALE_ARTWORK("splash blank.png", splash_blank);
ORVALE_ARTWORK("splashtw.png", splash_logo);
