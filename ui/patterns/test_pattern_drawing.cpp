#include "ui/patterns/test_pattern_drawing.h"

#include <QCoreApplication>
#include <QFont>
#include <QPainter>
#include <array>

namespace test_patterns {

namespace {

struct Solid {
    int index;
    QRgb colour;
};
constexpr std::array<Solid, 11> kSolids = {{{1, qRgb(0, 0, 0)},
                                            {2, qRgb(64, 64, 64)},
                                            {3, qRgb(128, 128, 128)},
                                            {4, qRgb(191, 191, 191)},
                                            {5, qRgb(255, 255, 255)},
                                            {6, qRgb(255, 0, 0)},
                                            {7, qRgb(0, 255, 0)},
                                            {8, qRgb(0, 0, 255)},
                                            {9, qRgb(255, 255, 0)},
                                            {10, qRgb(0, 255, 255)},
                                            {11, qRgb(255, 0, 255)}}};

QColor grey(int level) {
    return QColor(level, level, level);
}

QColor scaled(QRgb colour, int numerator, int denominator) {
    return QColor(qRed(colour) * numerator / denominator, qGreen(colour) * numerator / denominator,
                  qBlue(colour) * numerator / denominator);
}

// `steps` bands of `step` pixels from x, fading from `colour` (first band) to black (last
// band), or the other way round.
void stepped_ramp(QPainter& p, int x, int y, int height, int steps, int step, QRgb colour,
                  bool to_black) {
    const int last = steps - 1;
    for (int i = 0; i < steps; ++i) {
        const int weight = to_black ? last - i : i;
        p.fillRect(x + i * step, y, step, height, scaled(colour, weight, last));
    }
}

// Alternating one- and two-pixel black and white lines in four quadrants: vertical and
// horizontal at the finest pitch the display can show and at half of it.
void bar_group(QPainter& p, const QRect& area) {
    p.fillRect(area, Qt::black);
    const int half_w = area.width() / 2;
    const int half_h = area.height() / 2;
    const auto lines = [&](QRect quadrant, int pitch, bool vertical) {
        const int extent = vertical ? quadrant.width() : quadrant.height();
        for (int i = 0; i < extent; i += 2 * pitch) {
            const QRect line = vertical ? QRect(quadrant.left() + i, quadrant.top(),
                                                std::min(pitch, extent - i), quadrant.height())
                                        : QRect(quadrant.left(), quadrant.top() + i,
                                                quadrant.width(), std::min(pitch, extent - i));
            p.fillRect(line, Qt::white);
        }
    };
    lines(QRect(area.left(), area.top(), half_w, half_h), 1, true);
    lines(QRect(area.left() + half_w, area.top(), area.width() - half_w, half_h), 1, false);
    lines(QRect(area.left(), area.top() + half_h, half_w, area.height() - half_h), 2, false);
    lines(QRect(area.left() + half_w, area.top() + half_h, area.width() - half_w,
                area.height() - half_h),
          2, true);
}

// The cell of the patch ring at column i and row r, counted in grid spacings from the widget
// centre, which lies on a grid crossing.
QRect cell(QSize size, int i, int r) {
    const int cx = size.width() / 2;
    const int cy = size.height() / 2;
    return QRect(cx + tg18::kGridSpacing * i + 1, cy + tg18::kGridSpacing * r + 1, tg18::kPatchSize,
                 tg18::kPatchSize);
}

// The sixteen patches run clockwise round a 6 x 6 block of cells, leaving its corners to the
// reference squares and bar groups: four along the top, four down the right, four back along
// the bottom and four up the left.
QPoint ring_cell(int k) {
    if (k < 4) return {-2 + k, -3};
    if (k < 8) return {2, -2 + (k - 4)};
    if (k < 12) return {1 - (k - 8), 2};
    return {-3, 1 - (k - 12)};
}

}  // namespace

QString caption_template(int index) {
    static const char* const kCaptions[kPatternCount] = {
        QT_TRANSLATE_NOOP("TW_test_pattern_widget",
                          "<html><b><font COLOR=white>%1 TG18-QC Pattern</font></b></html>"),
        QT_TRANSLATE_NOOP("TW_test_pattern_widget",
                          "<html><b><font COLOR=white>%1 Black</font></b></html>"),
        QT_TRANSLATE_NOOP("TW_test_pattern_widget",
                          "<html><b><font COLOR=black>%1 25% Gray</font></b></html>"),
        QT_TRANSLATE_NOOP("TW_test_pattern_widget",
                          "<html><b><font COLOR=black>%1 50% Gray</font></b></html>"),
        QT_TRANSLATE_NOOP("TW_test_pattern_widget",
                          "<html><b><font COLOR=black>%1 75% Gray</font></b></html>"),
        QT_TRANSLATE_NOOP("TW_test_pattern_widget",
                          "<html><b><font COLOR=black>%1 White</font></b></html>"),
        QT_TRANSLATE_NOOP("TW_test_pattern_widget",
                          "<html><b><font COLOR=white>%1 Red</font></b></html>"),
        QT_TRANSLATE_NOOP("TW_test_pattern_widget",
                          "<html><b><font COLOR=black>%1 Green</font></b></html>"),
        QT_TRANSLATE_NOOP("TW_test_pattern_widget",
                          "<html><b><font COLOR=white>%1 Blue</font></b></html>"),
        QT_TRANSLATE_NOOP("TW_test_pattern_widget",
                          "<html><b><font COLOR=red>%1 Yellow</font></b></html>"),
        QT_TRANSLATE_NOOP("TW_test_pattern_widget",
                          "<html><b><font COLOR=red>%1 Cyan</font></b></html>"),
        QT_TRANSLATE_NOOP("TW_test_pattern_widget",
                          "<html><b><font COLOR=yellow>%1 Magenta</font></b></html>"),
        QT_TRANSLATE_NOOP(
            "TW_test_pattern_widget",
            "<html><b><font COLOR=red>%1 Color and Grayscale wedges</font></b></html>"),
        QT_TRANSLATE_NOOP("TW_test_pattern_widget",
                          "<html><b><font COLOR=red>%1 Greyscale wedge</font></b></html>"),
        QT_TRANSLATE_NOOP(
            "TW_test_pattern_widget",
            "<html><b><font COLOR=red>%1 Double 100% Grayscale wedges</font></b></html>"),
        QT_TRANSLATE_NOOP(
            "TW_test_pattern_widget",
            "<html><b><font COLOR=red>%1 Double 25% Grayscale wedges</font></b></html>"),
        QT_TRANSLATE_NOOP("TW_test_pattern_widget",
                          "<html><b><font COLOR=white>%1 Black Quality Control</font></b></html>"),
        QT_TRANSLATE_NOOP("TW_test_pattern_widget",
                          "<html><b><font COLOR=black>%1 White Quality Control</font></b></html>"),
    };
    if (index < 0 || index >= kPatternCount) {
        return QCoreApplication::translate("TW_test_pattern_widget",
                                           "<html><font COLOR=yellow>%1</font></html>");
    }
    return QCoreApplication::translate("TW_test_pattern_widget", kCaptions[index]);
}

RampBand ramp_band(int widget_width) {
    RampBand band;
    band.step = std::max(widget_width, 0) / 256;
    band.x0 = widget_width / 2 - 128 * band.step;
    return band;
}

QRect quality_region(const QImage& chart, bool white) {
    const int third = chart.width() / 3;
    if (white) return QRect(2 * chart.width() / 3 + 1, 0, third - 2, chart.height());
    return QRect(0, 0, third, chart.height());
}

void draw_solid(QPainter& painter, QSize size, int index) {
    for (const Solid& solid : kSolids) {
        if (solid.index == index) {
            painter.fillRect(QRect(QPoint(0, 0), size), QColor(solid.colour));
            return;
        }
    }
}

void draw_grey_wedge(QPainter& painter, QSize size) {
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::black);
    const RampBand band = ramp_band(size.width());
    if (band.step == 0) return;
    stepped_ramp(painter, band.x0, 0, size.height(), 256, band.step, qRgb(255, 255, 255), true);
}

void draw_double_wedges(QPainter& painter, QSize size, int level) {
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::black);
    const RampBand band = ramp_band(size.width());
    if (band.step == 0) return;
    const QRgb top = qRgb(level, level, level);
    stepped_ramp(painter, band.x0, 0, size.height(), 128, band.step, top, true);
    stepped_ramp(painter, size.width() / 2, 0, size.height(), 128, band.step, top, false);
}

void draw_color_wedges(QPainter& painter, QSize size) {
    static constexpr std::array<QRgb, 7> kColours = {
        qRgb(255, 255, 255), qRgb(255, 0, 0),   qRgb(0, 255, 0),  qRgb(0, 0, 255),
        qRgb(255, 255, 0),   qRgb(0, 255, 255), qRgb(255, 0, 255)};
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::black);
    const RampBand band = ramp_band(size.width());
    const int a = size.height() / 14;
    if (band.step == 0 || a == 0) return;
    const int top = size.height() / 2 - 7 * a;
    for (int row = 0; row < 14; ++row) {
        stepped_ramp(painter, band.x0, top + row * a, a, 256, band.step,
                     kColours[static_cast<std::size_t>(row / 2)], row % 2 == 0);
    }
}

void draw_quality_control(QPainter& painter, QSize size, const QImage& chart, bool white) {
    if (chart.isNull()) {
        painter.fillRect(QRect(QPoint(0, 0), size), white ? Qt::white : Qt::black);
        return;
    }
    const QImage tile = chart.copy(quality_region(chart, white));
    painter.drawTiledPixmap(QRect(QPoint(0, 0), size), QPixmap::fromImage(tile));
}

namespace tg18 {

QPoint origin(QSize size) {
    return {(size.width() - (kLayout - 1)) / 2, (size.height() - (kLayout - 1)) / 2};
}

QRect patch_rect(QSize size, int k) {
    const QPoint c = ring_cell(k);
    return cell(size, c.x(), c.y());
}

QRect black_square(QSize size) {
    return cell(size, -3, -3);
}

QRect white_square(QSize size) {
    return cell(size, 2, 2);
}

}  // namespace tg18

// The layout follows the TG18-QC pattern published in the AAPM TG18 report ("Assessment of
// Display Performance for Medical Imaging Systems", AAPM On-line Report No. 03, 2005), scaled
// to 8 bits: a mid-grey background (128) with a 75 % grid (191), sixteen luminance patches
// from 8 to 248 in steps of 16 with +-4 corner squares for just-noticeable contrast, 0 % and
// 100 % squares with 5 % / 2.5 % (13, 6) and 95 % / 97.5 % (242, 248) inserts, line-pair bar
// groups at the centre and corners, and two continuous ramps of all 256 levels.
void draw_tg18_qc(QPainter& painter, QSize size) {
    using namespace tg18;
    const QRect all(QPoint(0, 0), size);
    painter.fillRect(all, grey(kBackground));
    const QColor grid = grey(kGridLevel);
    const int cx = size.width() / 2;
    const int cy = size.height() / 2;
    for (int x = cx % kGridSpacing; x < size.width(); x += kGridSpacing)
        painter.fillRect(x, 0, 1, size.height(), grid);
    for (int y = cy % kGridSpacing; y < size.height(); y += kGridSpacing)
        painter.fillRect(0, y, size.width(), 1, grid);

    for (int k = 0; k < kPatchCount; ++k) {
        const QRect patch = patch_rect(size, k);
        const int level = patch_level(k);
        painter.fillRect(patch, grey(level));
        const QColor darker = grey(level - kCornerOffset);
        const QColor lighter = grey(level + kCornerOffset);
        const int inset = 6;
        const int far = kPatchSize - inset - kCornerSquare;
        painter.fillRect(patch.left() + inset, patch.top() + inset, kCornerSquare, kCornerSquare,
                         darker);
        painter.fillRect(patch.left() + far, patch.top() + inset, kCornerSquare, kCornerSquare,
                         lighter);
        painter.fillRect(patch.left() + inset, patch.top() + far, kCornerSquare, kCornerSquare,
                         lighter);
        painter.fillRect(patch.left() + far, patch.top() + far, kCornerSquare, kCornerSquare,
                         darker);
    }

    const auto reference = [&](const QRect& square, int level, const int(&inserts)[2]) {
        painter.fillRect(square, grey(level));
        const int side = 30;
        const int y = square.top() + (square.height() - side) / 2;
        painter.fillRect(square.left() + 12, y, side, side, grey(inserts[0]));
        painter.fillRect(square.right() - 12 - side + 1, y, side, side, grey(inserts[1]));
    };
    reference(black_square(size), 0, kBlackInsertLevels);
    reference(white_square(size), 255, kWhiteInsertLevels);

    // Bar groups in the free corners of the ring, at the centre and at the layout's corners.
    bar_group(painter, cell(size, 2, -3));
    bar_group(painter, cell(size, -3, 2));
    bar_group(painter, QRect(cx - 50, cy - 50, 100, 100));
    const QPoint o = origin(size);
    for (const QPoint corner : {QPoint(26, 26), QPoint(934, 26), QPoint(26, 934), QPoint(934, 934)})
        bar_group(painter, QRect(o + corner, QSize(kRampWidth, kRampWidth)));

    // Two ramps of 2 pixels per level: dark to light downwards on the left, the reverse on the
    // right, so that a gamma fault shows as a mismatch between the two sides.
    const int step = (kRampBottom - kRampTop) / 256;
    for (int level = 0; level < 256; ++level) {
        const int y = o.y() + kRampTop + level * step;
        painter.fillRect(o.x() + kLeftRampX, y, kRampWidth, step, grey(level));
        painter.fillRect(o.x() + kRightRampX, y, kRampWidth, step, grey(255 - level));
    }

    // Low-contrast lettering: readable at +-8 and +-4 on a display that renders mid-greys well.
    QFont font(QStringLiteral("DejaVu Sans"), 1, QFont::Bold);
    font.setPixelSize(28);
    painter.setFont(font);
    const QRect upper(cx - 203, cy - 203, 406, 90);
    const QRect lower(cx - 203, cy + 113, 406, 90);
    painter.setPen(grey(kBackground + 8));
    painter.drawText(upper, Qt::AlignCenter, QStringLiteral("QUALITY"));
    painter.setPen(grey(kBackground - 4));
    painter.drawText(lower, Qt::AlignCenter, QStringLiteral("CONTROL"));
}

void draw_pattern(QPainter& painter, QSize size, int index, const QImage& quality_chart) {
    switch (index) {
        case kTg18Pattern:
            draw_tg18_qc(painter, size);
            return;
        case kColorWedgesPattern:
            draw_color_wedges(painter, size);
            return;
        case kGreyWedgePattern:
            draw_grey_wedge(painter, size);
            return;
        case kDouble100Pattern:
            draw_double_wedges(painter, size, 255);
            return;
        case kDouble25Pattern:
            draw_double_wedges(painter, size, 64);
            return;
        case kBlackQualityPattern:
            draw_quality_control(painter, size, quality_chart, false);
            return;
        case kWhiteQualityPattern:
            draw_quality_control(painter, size, quality_chart, true);
            return;
        default:
            draw_solid(painter, size, index);
            return;
    }
}

QImage render_pattern(QSize pixels, qreal ratio, int index, const QImage& quality_chart) {
    QImage image(pixels.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    {
        QPainter painter(&image);
        draw_pattern(painter, image.size(), index, quality_chart);
    }
    image.setDevicePixelRatio(ratio);
    return image;
}

}  // namespace test_patterns
