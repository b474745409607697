// The test-pattern window's artwork: its control-bar arrows and the synthetic IT8-like charts
// the quality-control patterns tile.
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>

#include "artwork.h"

namespace {

// A light symbol on a dark translucent disc: readable over any pattern, black or white.
QImage control_disc(const std::function<void(QPainter&)>& symbol) {
    QImage image(64, 64, QImage::Format_ARGB32);
    image.setDevicePixelRatio(2.0);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.2));
    p.setBrush(QColor(30, 34, 40, 190));
    p.drawEllipse(QRectF(1.5, 1.5, 29, 29));
    symbol(p);
    return image;
}

QImage arrow(bool left) {
    return control_disc([left](QPainter& p) {
        QPainterPath path;
        const double s = left ? -1.0 : 1.0;
        path.moveTo(16 - 6 * s, 10);
        path.lineTo(16 + 5 * s, 16);
        path.lineTo(16 - 6 * s, 22);
        p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    });
}

QImage cancel() {
    return control_disc([](QPainter& p) {
        p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11, 11), QPointF(21, 21));
        p.drawLine(QPointF(21, 11), QPointF(11, 21));
    });
}

// A patch chart: `columns` x `rows` patches of `patch` pixels with `gap` pixels of `paper`
// between them, coloured by `colour(column, row)`.
QImage patch_chart(int columns, int rows, int patch, int gap, QColor paper,
                   const std::function<QColor(int, int)>& colour) {
    QImage image(columns * (patch + gap) + gap, rows * (patch + gap) + gap, QImage::Format_RGB32);
    image.fill(paper);
    QPainter p(&image);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            p.fillRect(gap + c * (patch + gap), gap + r * (patch + gap), patch, patch,
                       colour(c, r));
        }
    }
    return image;
}

QColor hue_patch(int c, int r, int columns, int rows) {
    const int hue = 360 * c / columns;
    const int saturation = 255 - 150 * (r % 3) / 2;
    const int value = 255 - 170 * r / std::max(rows - 1, 1);
    return QColor::fromHsv(hue % 360, std::clamp(saturation, 0, 255), std::clamp(value, 30, 255));
}

// Three regions side by side, each a third of the width: near-black patches on black for the
// black quality pattern, colour patches in the middle, near-white patches on white for the
// white quality pattern. The near levels are a few steps apart so that crushed shadows or
// clipped highlights make neighbouring patches merge.
QImage it8_3() {
    constexpr int kThird = 240;
    constexpr int kHeight = 160;
    QImage image(3 * kThird, kHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, kThird, kHeight, Qt::black);
    p.fillRect(kThird, 0, kThird, kHeight, QColor(128, 128, 128));
    p.fillRect(2 * kThird, 0, kThird, kHeight, Qt::white);
    constexpr int kPatch = 24;
    constexpr int kPitch = 40;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 6; ++c) {
            const int k = r * 6 + c;  // 0..23
            const int x = 8 + c * kPitch;
            const int y = 8 + r * kPitch;
            p.fillRect(x, y, kPatch, kPatch, QColor(k + 1, k + 1, k + 1));
            p.fillRect(kThird + x, y, kPatch, kPatch, hue_patch(c, r, 6, 4));
            const int light = 254 - k;
            p.fillRect(2 * kThird + x, y, kPatch, kPatch, QColor(light, light, light));
        }
    }
    return image;
}

// Two general-purpose colour charts: a 12 x 8 hue / lightness grid with a grey row, and a
// scattered chart of quasi-random colours (fixed seed, so that the file never changes).
QImage it8_6() {
    return patch_chart(12, 9, 28, 4, QColor(90, 90, 90), [](int c, int r) {
        if (r == 8) {
            const int level = 255 * c / 11;
            return QColor(level, level, level);
        }
        return hue_patch(c, r, 12, 8);
    });
}

QImage it8_4() {
    QRandomGenerator generator(0x1748);
    QList<QColor> colours;
    for (int i = 0; i < 16 * 10; ++i)
        colours << QColor(generator.bounded(256), generator.bounded(256), generator.bounded(256));
    return patch_chart(16, 10, 22, 3, QColor(200, 200, 200),
                       [colours](int c, int r) { return colours[r * 16 + c]; });
}

}  // namespace

ORVALE_ARTWORK("arrow left.png", [] { return arrow(true); });
ORVALE_ARTWORK("arrow right.png", [] { return arrow(false); });
ORVALE_ARTWORK("arrow cancel.png", cancel);
ORVALE_ARTWORK("IT8-3.png", it8_3);
ORVALE_ARTWORK("IT8-6.png", it8_6);
ORVALE_ARTWORK("IT8-4.png", it8_4);
