#include "ui/patterns/tw_test_pattern_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "comm/monitor_timing.h"
#include "ui/patterns/test_pattern_drawing.h"

TW_test_pattern_widget::TW_test_pattern_widget(QWidget* parent)
    : QWidget(parent),
      it8_6_(QStringLiteral(":/images/Resources/IT8-6.png")),
      it8_3_(QStringLiteral(":/images/Resources/IT8-3.png")),
      it8_4_(QStringLiteral(":/images/Resources/IT8-4.png")) {
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    controls_timer_.setSingleShot(true);
    controls_timer_.setInterval(monitor_timing::kPatternControlsTimeoutMs);
    connect(&controls_timer_, &QTimer::timeout, this, &TW_test_pattern_widget::update_timer);
}

TW_test_pattern_widget::~TW_test_pattern_widget() = default;

QString TW_test_pattern_widget::getPatternName() const {
    return test_patterns::caption_template(pattern_).arg(tr("Pattern #%1:").arg(pattern_ + 1));
}

void TW_test_pattern_widget::SetTestPattern(int in_pattern) {
    // Only the sequence's patterns can be drawn; anything else would leave the screen blank.
    if (in_pattern < 0 || in_pattern >= test_patterns::kPatternCount) return;
    pattern_ = in_pattern;
    update();
}

void TW_test_pattern_widget::next_test_pattern() {
    pattern_ = (pattern_ + 1) % test_patterns::kPatternCount;
    update();
    reset_timer();
}

void TW_test_pattern_widget::previous_test_pattern() {
    pattern_ = (pattern_ + test_patterns::kPatternCount - 1) % test_patterns::kPatternCount;
    update();
    reset_timer();
}

void TW_test_pattern_widget::reset_timer() {
    if (!controls_timer_.isActive()) {
        Q_EMIT show_controls(true);
    } else {
        controls_timer_.stop();
    }
    controls_timer_.start(monitor_timing::kPatternControlsTimeoutMs);
}

void TW_test_pattern_widget::update_timer() {
    Q_EMIT show_controls(false);
}

void TW_test_pattern_widget::paintEvent(QPaintEvent*) {
    // Drawn in device pixels: the patterns' one-pixel features must land on single device
    // pixels on a scaled desktop, not be stretched over two or blended.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (frame_.size() != pixels || frame_.devicePixelRatio() != ratio ||
        frame_pattern_ != pattern_) {
        frame_ = test_patterns::render_pattern(pixels, ratio, pattern_, it8_3_);
        frame_pattern_ = pattern_;
    }
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), frame_);
}

void TW_test_pattern_widget::hideEvent(QHideEvent* event) {
    frame_ = QImage();  // a full-screen frame is tens of megabytes at 2x
    QWidget::hideEvent(event);
}

void TW_test_pattern_widget::mouseMoveEvent(QMouseEvent* event) {
    reset_timer();
    QWidget::mouseMoveEvent(event);
}

void TW_test_pattern_widget::mousePressEvent(QMouseEvent* event) {
    reset_timer();
    QWidget::mousePressEvent(event);
}

void TW_test_pattern_widget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
        reset_timer();
        if (event->button() == Qt::LeftButton) Q_EMIT clicked();
    }
    QWidget::mouseReleaseEvent(event);
}

void TW_test_pattern_widget::keyPressEvent(QKeyEvent* event) {
    reset_timer();
    // Escape and the shortcuts belong to the dialog.
    QWidget::keyPressEvent(event);
}
