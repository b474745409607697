#include "desktop_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <array>

namespace artwork {

namespace {

// The drawing on a 256-unit square.
constexpr double kCanvas = 256;
constexpr const char* kBezel = "#2b2f36";
constexpr const char* kPuck = "#f4f5f7";
struct Box {
    double x, y, w, h, r;
};
constexpr Box kFrame{16, 36, 224, 150, 16};
constexpr Box kScreen{28, 48, 200, 126, 6};
constexpr Box kNeck{112, 184, 32, 30, 0};
constexpr Box kBase{68, 210, 120, 16, 8};
constexpr double kPuckX = 168, kPuckY = 108, kPuckR = 28, kPuckRing = 7, kLensR = 10;
// Hues from left to right across the screen.
constexpr std::array<const char*, 6> kHues{"#e53935", "#fdd835", "#43a047",
                                           "#00acc1", "#1e88e5", "#8e24aa"};

QRectF rect(const Box& b) {
    return QRectF(b.x, b.y, b.w, b.h);
}

QString svg_rect(const Box& b, const QString& fill) {
    return QStringLiteral(
               "  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"/>\n")
        .arg(b.x)
        .arg(b.y)
        .arg(b.w)
        .arg(b.h)
        .arg(b.r)
        .arg(fill);
}

}  // namespace

QImage desktop_icon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kCanvas, size / kCanvas);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(QLatin1String(kBezel)));
    p.drawRoundedRect(rect(kFrame), kFrame.r, kFrame.r);
    p.drawRect(rect(kNeck));
    p.drawRoundedRect(rect(kBase), kBase.r, kBase.r);

    QLinearGradient hues(kScreen.x, 0, kScreen.x + kScreen.w, 0);
    for (std::size_t i = 0; i < kHues.size(); ++i)
        hues.setColorAt(double(i) / double(kHues.size() - 1), QColor(QLatin1String(kHues[i])));
    p.setBrush(hues);
    p.drawRoundedRect(rect(kScreen), kScreen.r, kScreen.r);
    QLinearGradient ramp(0, kScreen.y, 0, kScreen.y + kScreen.h);
    ramp.setColorAt(0, QColor(255, 255, 255, 0));
    ramp.setColorAt(1, QColor(0, 0, 0, 230));
    p.setBrush(ramp);
    p.drawRoundedRect(rect(kScreen), kScreen.r, kScreen.r);

    p.setBrush(QColor(QLatin1String(kPuck)));
    p.setPen(QPen(QColor(QLatin1String(kBezel)), kPuckRing));
    p.drawEllipse(QPointF(kPuckX, kPuckY), kPuckR, kPuckR);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(QLatin1String(kBezel)));
    p.drawEllipse(QPointF(kPuckX, kPuckY), kLensR, kLensR);
    return image;
}

QByteArray desktop_icon_svg() {
    QString svg = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
        "viewBox=\"0 0 256 256\">\n"
        "  <defs>\n"
        "    <linearGradient id=\"hues\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"0\">\n");
    for (std::size_t i = 0; i < kHues.size(); ++i)
        svg += QStringLiteral("      <stop offset=\"%1\" stop-color=\"%2\"/>\n")
                   .arg(double(i) / double(kHues.size() - 1))
                   .arg(QLatin1String(kHues[i]));
    svg += QStringLiteral(
        "    </linearGradient>\n"
        "    <linearGradient id=\"ramp\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
        "      <stop offset=\"0\" stop-color=\"#ffffff\" stop-opacity=\"0\"/>\n"
        "      <stop offset=\"1\" stop-color=\"#000000\" stop-opacity=\"0.9\"/>\n"
        "    </linearGradient>\n"
        "  </defs>\n");
    const QString bezel = QLatin1String(kBezel);
    svg += svg_rect(kFrame, bezel) + svg_rect(kNeck, bezel) + svg_rect(kBase, bezel);
    svg += svg_rect(kScreen, QStringLiteral("url(#hues)")) +
           svg_rect(kScreen, QStringLiteral("url(#ramp)"));
    svg += QStringLiteral(
               "  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\" stroke=\"%5\" "
               "stroke-width=\"%6\"/>\n"
               "  <circle cx=\"%1\" cy=\"%2\" r=\"%7\" fill=\"%5\"/>\n"
               "</svg>\n")
               .arg(kPuckX)
               .arg(kPuckY)
               .arg(kPuckR)
               .arg(QLatin1String(kPuck), bezel)
               .arg(kPuckRing)
               .arg(kLensR);
    return svg.toUtf8();
}

}  // namespace artwork
