#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

// Fills its whole area with one of the test patterns and reports user activity, so that the
// dialog around it can show its controls while the user is active and hide them afterwards.
class TW_test_pattern_widget : public QWidget {
    Q_OBJECT

  public:
    explicit TW_test_pattern_widget(QWidget* parent = nullptr);
    ~TW_test_pattern_widget() override;

    int pattern() const { return pattern_; }
    // The caption of the current pattern with its 1-based number filled in.
    QString getPatternName() const;
    bool controls_timer_active() const { return controls_timer_.isActive(); }
    const QImage& quality_chart() const { return it8_3_; }

  Q_SIGNALS:
    void show_controls(bool show);
    void clicked();

  public Q_SLOTS:
    void SetTestPattern(int in_pattern);
    void next_test_pattern();
    void previous_test_pattern();
    void reset_timer();
    void update_timer();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    int pattern_ = 0;
    QImage it8_6_;
    QImage it8_3_;
    QImage it8_4_;
    QTimer controls_timer_;
    QImage frame_;  // the current pattern in device pixels
    int frame_pattern_ = -1;
};
