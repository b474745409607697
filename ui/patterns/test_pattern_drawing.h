#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

class QPainter;

// The test patterns as pure drawing: everything the pattern widget paints, callable on any
// painter so that the patterns can be rendered off screen and measured.
namespace test_patterns {

constexpr int kPatternCount = 18;
constexpr int kTg18Pattern = 0;
constexpr int kWhitePattern = 5;
constexpr int kColorWedgesPattern = 12;
constexpr int kGreyWedgePattern = 13;
constexpr int kDouble100Pattern = 14;
constexpr int kDouble25Pattern = 15;
constexpr int kBlackQualityPattern = 16;
constexpr int kWhiteQualityPattern = 17;

// The caption of a pattern with "%1" still open; indices outside the sequence get the
// fallback caption.
QString caption_template(int index);

// The horizontal band every ramp uses: 256 levels of floor(W / 256) pixels each, centred.
struct RampBand {
    int x0 = 0;
    int step = 0;  // pixels per level
    int width() const { return 256 * step; }
};
RampBand ramp_band(int widget_width);

// The source region of the quality-control chart that a quality pattern tiles.
QRect quality_region(const QImage& chart, bool white);

// Paints pattern `index` over a widget of `size`; `quality_chart` is the IT8-3 chart.
void draw_pattern(QPainter& painter, QSize size, int index, const QImage& quality_chart);
// Pattern `index` in device pixels for a widget of `pixels` device pixels shown at `ratio`
// device pixels per widget pixel: a one-pixel feature is one device pixel at every scale.
QImage render_pattern(QSize pixels, qreal ratio, int index, const QImage& quality_chart);

// The pieces, for callers and tests that need one of them.
void draw_solid(QPainter& painter, QSize size, int index);
void draw_grey_wedge(QPainter& painter, QSize size);
void draw_double_wedges(QPainter& painter, QSize size, int level);
void draw_color_wedges(QPainter& painter, QSize size);
void draw_quality_control(QPainter& painter, QSize size, const QImage& chart, bool white);
void draw_tg18_qc(QPainter& painter, QSize size);

// The fixed places of the quality-control pattern, in its 1024 x 1024 layout.
namespace tg18 {
constexpr int kLayout = 1024;
constexpr int kBackground = 128;
constexpr int kGridLevel = 191;
constexpr int kGridSpacing = 102;
constexpr int kPatchSize = 100;
constexpr int kPatchCount = 16;
constexpr int kCornerSquare = 9;
constexpr int kCornerOffset = 4;  // corner squares at patch level - 4 and + 4
constexpr int kRampTop = 256;
constexpr int kRampBottom = 768;  // exclusive
constexpr int kLeftRampX = 26;
constexpr int kRightRampX = 934;
constexpr int kRampWidth = 64;
constexpr int kBlackInsertLevels[2] = {13, 6};
constexpr int kWhiteInsertLevels[2] = {242, 248};

// The layout's origin in a widget of `size`.
QPoint origin(QSize size);
// Level of patch k: 8 + 16 k.
constexpr int patch_level(int k) {
    return 8 + 16 * k;
}
// Patch k's square in widget coordinates.
QRect patch_rect(QSize size, int k);
// The black (0) and the white (255) reference squares in widget coordinates.
QRect black_square(QSize size);
QRect white_square(QSize size);
}  // namespace tg18

}  // namespace test_patterns
