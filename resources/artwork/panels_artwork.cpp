// The artwork of the picture-in-picture, colour-vision and settings pages.
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <array>
#include <cmath>

#include "artwork.h"

namespace {

QImage canvas(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// A screen outline with its picture area, drawn at twice the 48 x 38 it is shown at.
void screen(QPainter& p, const QRectF& picture) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 66, 76), 3));
    p.setBrush(QColor(236, 240, 246));
    p.drawRoundedRect(QRectF(3, 3, 90, 62), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 66, 76));
    p.drawRect(QRectF(40, 65, 16, 5));
    p.drawRoundedRect(QRectF(28, 68, 40, 4), 2, 2);
    QLinearGradient sky(picture.topLeft(), picture.bottomLeft());
    sky.setColorAt(0, QColor(96, 160, 224));
    sky.setColorAt(1, QColor(48, 100, 170));
    p.setBrush(sky);
    p.drawRect(picture);
}

void sub_picture(QPainter& p, const QRectF& area) {
    QLinearGradient warm(area.topLeft(), area.bottomRight());
    warm.setColorAt(0, QColor(255, 190, 80));
    warm.setColorAt(1, QColor(220, 90, 40));
    p.setBrush(warm);
    p.setPen(QPen(Qt::white, 1.5));
    p.drawRect(area);
}

QImage pip_icon(int kind) {
    QImage image = canvas(96, 76);
    QPainter p(&image);
    const QRectF full(8, 8, 80, 52);
    switch (kind) {
        case 0:  // off: the main picture alone
            screen(p, full);
            break;
        case 1:  // picture-in-picture: a small picture in a corner
            screen(p, full);
            sub_picture(p, QRectF(52, 34, 32, 22));
            break;
        case 2: {  // side by side, each keeping its aspect ratio (bars above and below)
            screen(p, QRectF(8, 8, 0, 0));
            p.setBrush(QColor(30, 32, 36));
            p.drawRect(full);
            QLinearGradient sky(0, 20, 0, 48);
            sky.setColorAt(0, QColor(96, 160, 224));
            sky.setColorAt(1, QColor(48, 100, 170));
            p.setBrush(sky);
            p.setPen(Qt::NoPen);
            p.drawRect(QRectF(8, 20, 39, 28));
            sub_picture(p, QRectF(49, 20, 39, 28));
            break;
        }
        default: {  // side by side, both stretched to the full height
            screen(p, QRectF(8, 8, 39, 52));
            sub_picture(p, QRectF(49, 8, 39, 52));
            break;
        }
    }
    return image;
}

// Colour-vision simulation in linear light: full dichromacy matrices for the three cone
// types, and luminance for grayscale.
using Matrix = std::array<std::array<double, 3>, 3>;
constexpr Matrix kIdentity = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
constexpr Matrix kProtan = {{{0.152286, 1.052583, -0.204868},
                             {0.114503, 0.786281, 0.099216},
                             {-0.003882, -0.048116, 1.051998}}};
constexpr Matrix kDeutan = {{{0.367322, 0.860646, -0.227968},
                             {0.280085, 0.672501, 0.047413},
                             {-0.011820, 0.042940, 0.968881}}};
constexpr Matrix kTritan = {{{1.255528, -0.076749, -0.178779},
                             {-0.078411, 0.930809, 0.147602},
                             {0.004733, 0.691367, 0.303900}}};
constexpr Matrix kGray = {
    {{0.2126, 0.7152, 0.0722}, {0.2126, 0.7152, 0.0722}, {0.2126, 0.7152, 0.0722}}};

double to_linear(int v) {
    const double c = v / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

int to_encoded(double c) {
    c = std::clamp(c, 0.0, 1.0);
    const double e = c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
    return static_cast<int>(std::lround(e * 255));
}

QColor seen(const Matrix& m, QColor colour) {
    const std::array<double, 3> lin = {to_linear(colour.red()), to_linear(colour.green()),
                                       to_linear(colour.blue())};
    std::array<int, 3> out{};
    for (std::size_t i = 0; i < 3; ++i)
        out[i] = to_encoded(m[i][0] * lin[0] + m[i][1] * lin[1] + m[i][2] * lin[2]);
    return QColor(out[0], out[1], out[2], colour.alpha());
}

// A ring of hues round a small fruit-bowl of red, green and blue dots, as seen by the viewer
// the matrix stands for; `side` is the image's edge in pixels.
QImage vision_icon(const Matrix& m, int side) {
    QImage image = canvas(side, side);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = side / 64.0;
    p.scale(s, s);
    const QPointF centre(32, 32);
    for (int a = 0; a < 360; a += 30) {
        QPainterPath wedge;
        wedge.moveTo(centre);
        wedge.arcTo(QRectF(3, 3, 58, 58), a, 30);
        wedge.closeSubpath();
        p.fillPath(wedge, seen(m, QColor::fromHsv(a, 235, 240)));
    }
    p.setPen(QPen(QColor(255, 255, 255), 2));
    p.setBrush(QColor(250, 250, 250));
    p.drawEllipse(centre, 16, 16);
    p.setPen(Qt::NoPen);
    p.setBrush(seen(m, QColor(220, 30, 30)));
    p.drawEllipse(QPointF(26, 28), 6, 6);
    p.setBrush(seen(m, QColor(40, 170, 50)));
    p.drawEllipse(QPointF(38, 28), 6, 6);
    p.setBrush(seen(m, QColor(40, 70, 220)));
    p.drawEllipse(QPointF(32, 38), 6, 6);
    return image;
}

// The small arrow that marks the main picture's input and picture mode in the lists.
QImage small_arrow_left() {
    QImage image = canvas(32, 32);
    image.setDevicePixelRatio(2.0);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.moveTo(2, 8);
    path.lineTo(9, 2.5);
    path.lineTo(9, 5.5);
    path.lineTo(14, 5.5);
    path.lineTo(14, 10.5);
    path.lineTo(9, 10.5);
    path.lineTo(9, 13.5);
    path.closeSubpath();
    p.setPen(QPen(QColor(20, 90, 40), 1));
    p.setBrush(QColor(50, 170, 80));
    p.drawPath(path);
    return image;
}

// A warning triangle in the 11-pixel line height of the settings page's notes.
QImage alert_yellow_11() {
    QImage image = canvas(11, 11);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath triangle;
    triangle.moveTo(5.5, 0.5);
    triangle.lineTo(10.5, 10.5);
    triangle.lineTo(0.5, 10.5);
    triangle.closeSubpath();
    p.setPen(QPen(QColor(150, 110, 0), 1));
    p.setBrush(QColor(250, 200, 40));
    p.drawPath(triangle);
    p.setPen(QPen(QColor(40, 30, 0), 1.3));
    p.drawLine(QPointF(5.5, 3.5), QPointF(5.5, 7));
    p.drawPoint(QPointF(5.5, 9));
    return image;
}

}  // namespace

ORVALE_ARTWORK("pipoff.png", [] { return pip_icon(0); });
ORVALE_ARTWORK("pip.png", [] { return pip_icon(1); });
ORVALE_ARTWORK("pbpa.png", [] { return pip_icon(2); });
ORVALE_ARTWORK("pbpf.png", [] { return pip_icon(3); });
ORVALE_ARTWORK("small arrow left.png", small_arrow_left);
ORVALE_ARTWORK("normal type.png", [] { return vision_icon(kIdentity, 64); });
ORVALE_ARTWORK("p type.png", [] { return vision_icon(kProtan, 64); });
ORVALE_ARTWORK("d type.png", [] { return vision_icon(kDeutan, 64); });
ORVALE_ARTWORK("t type.png", [] { return vision_icon(kTritan, 64); });
ORVALE_ARTWORK("gray type.png", [] { return vision_icon(kGray, 64); });
ORVALE_ARTWORK("normal type small.png", [] { return vision_icon(kIdentity, 32); });
ORVALE_ARTWORK("p type small.png", [] { return vision_icon(kProtan, 32); });
ORVALE_ARTWORK("d type small.png", [] { return vision_icon(kDeutan, 32); });
ORVALE_ARTWORK("t type small.png", [] { return vision_icon(kTritan, 32); });
ORVALE_ARTWORK("gray type small.png", [] { return vision_icon(kGray, 32); });
ORVALE_ARTWORK("blank_12x11.png", [] { return canvas(12, 11); });
ORVALE_ARTWORK("alerts_yellow_icon_11.png", alert_yellow_11);
