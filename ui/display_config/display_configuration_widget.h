#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>
#include <cstdint>

class QPainter;

// The desktop layout as a clickable picture: every display at its place, scaled together so
// that the whole desktop fits the widget.
class TW_display_configuration_widget : public QWidget {
    Q_OBJECT

  public:
    struct display_item {
        // The display's desktop rectangle, edges inclusive.
        std::int32_t left = 0;
        std::int32_t top = 0;
        std::int32_t right = -1;
        std::int32_t bottom = -1;
        QString detail;  // empty, or the mapped monitor's model and serial
        QString title;   // "Display n"
        bool selected = false;
    };

    // Free space kept around every unselected display, so that neighbours stay apart.
    static constexpr int kInset = 4;

    explicit TW_display_configuration_widget(QWidget* parent = nullptr);

    // Replaces the items; the bounding rectangle becomes the union of their rectangles.
    void set_items(const QList<display_item>& items);
    const QList<display_item>& items() const { return items_; }
    // The union of all display rectangles, edges inclusive (empty without items).
    QRect bounding_rectangle() const;

    // Where item i appears in the widget at its present size, not yet inset; an empty
    // rectangle when there is no such item.
    QRect scaled_rectangle(int i) const;
    // The rectangle item i is drawn as: the scaled one inset by kInset, the right and bottom
    // edges one pixel further in so that a pen's width stays inside the scaled area.
    QRect drawn_rectangle(int i) const;
    // The index of the first item whose rectangle contains `point` (the drawn one for an
    // unselected item, the whole scaled area for the selected one); -1 for none.
    int item_at(const QPoint& point) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  Q_SIGNALS:
    void clicked_display(int number);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    double scale() const;
    void paint_item(QPainter& painter, const display_item& item, const QRect& r) const;

    QList<display_item> items_;
    std::int32_t bounding_left_ = 0;
    std::int32_t bounding_top_ = 0;
    std::int32_t bounding_right_ = -1;
    std::int32_t bounding_bottom_ = -1;
};
