#include "ui/display_config/display_configuration_widget.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace {

const QColor kUnselectedFill(96, 96, 96);
constexpr int kOutlinePen = 3;
constexpr int kHighlightPen = 9;

}  // namespace

TW_display_configuration_widget::TW_display_configuration_widget(QWidget* parent)
    : QWidget(parent) {}

void TW_display_configuration_widget::set_items(const QList<display_item>& items) {
    items_ = items;
    bounding_left_ = bounding_top_ = 0;
    bounding_right_ = bounding_bottom_ = -1;
    bool first = true;
    for (const display_item& item : items_) {
        if (first) {
            bounding_left_ = item.left;
            bounding_top_ = item.top;
            bounding_right_ = item.right;
            bounding_bottom_ = item.bottom;
            first = false;
            continue;
        }
        bounding_left_ = std::min(bounding_left_, item.left);
        bounding_top_ = std::min(bounding_top_, item.top);
        bounding_right_ = std::max(bounding_right_, item.right);
        bounding_bottom_ = std::max(bounding_bottom_, item.bottom);
    }
    update();
}

QRect TW_display_configuration_widget::bounding_rectangle() const {
    return QRect(QPoint(bounding_left_, bounding_top_), QPoint(bounding_right_, bounding_bottom_));
}

double TW_display_configuration_widget::scale() const {
    const double width = double(bounding_right_) - bounding_left_ + 1;
    const double height = double(bounding_bottom_) - bounding_top_ + 1;
    // A desktop without a visible display (all rectangles empty) has nothing to scale.
    if (width <= 0 || height <= 0) return 0;
    return std::min(this->width() / width, this->height() / height);
}

QRect TW_display_configuration_widget::scaled_rectangle(int i) const {
    if (i < 0 || i >= items_.size()) return QRect();
    const display_item& item = items_[i];
    const double s = scale();
    const int x = qRound((double(item.left) - bounding_left_) * s);
    const int y = qRound((double(item.top) - bounding_top_) * s);
    const int w = qRound((double(item.right) - item.left + 1) * s);
    const int h = qRound((double(item.bottom) - item.top + 1) * s);
    return QRect(x, y, w, h);
}

QRect TW_display_configuration_widget::drawn_rectangle(int i) const {
    const QRect r = scaled_rectangle(i);
    if (r.isNull()) return r;
    return r.adjusted(kInset, kInset, -(kInset + 1), -(kInset + 1));
}

int TW_display_configuration_widget::item_at(const QPoint& point) const {
    for (int i = 0; i < items_.size(); ++i) {
        const QRect r = items_[i].selected ? scaled_rectangle(i) : drawn_rectangle(i);
        if (r.isValid() && r.contains(point)) return i;
    }
    return -1;
}

QSize TW_display_configuration_widget::sizeHint() const {
    return QSize(80, 60);
}

QSize TW_display_configuration_widget::minimumSizeHint() const {
    return QSize(80, 60);
}

void TW_display_configuration_widget::paint_item(QPainter& painter, const display_item& item,
                                                 const QRect& r) const {
    QString text = item.title;
    text += QLatin1Char('\n');
    text += item.detail;
    painter.drawText(r, Qt::AlignCenter | Qt::TextWordWrap, text);
}

void TW_display_configuration_widget::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    // Selected items come last so that their wide outline lies over the neighbours.
    for (int i = 0; i < items_.size(); ++i) {
        const display_item& item = items_[i];
        if (item.selected) continue;
        const QRect r = drawn_rectangle(i);
        if (!r.isValid()) continue;
        painter.setBrush(kUnselectedFill);
        painter.setPen(QPen(Qt::white, kOutlinePen));
        painter.drawRect(r);
        paint_item(painter, item, r);
    }
    const QBrush highlight = palette().highlight();
    for (int i = 0; i < items_.size(); ++i) {
        const display_item& item = items_[i];
        if (!item.selected) continue;
        const QRect r = drawn_rectangle(i);
        if (!r.isValid()) continue;
        painter.setBrush(highlight);
        painter.setPen(QPen(highlight.color(), kHighlightPen));
        painter.drawRect(r);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::white, kOutlinePen));
        painter.drawRect(r);
        paint_item(painter, item, r);
    }
}

void TW_display_configuration_widget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int hit = item_at(event->position().toPoint());
    if (hit >= 0) Q_EMIT clicked_display(hit);
}
