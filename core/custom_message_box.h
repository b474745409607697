#pragma once

#include <QMessageBox>
#include <QTimer>

// A message box that can close itself: with a non-zero counter it shows "Closes in N seconds"
// and is accepted when the count reaches zero.
class MyCustomMessageBox : public QMessageBox {
    Q_OBJECT
    Q_PROPERTY(int counter READ counter WRITE set_counter)

  public:
    MyCustomMessageBox(QWidget* parent, int counter, bool placement);
    ~MyCustomMessageBox() override;

    int counter() const { return counter_; }
    void set_counter(int counter) { counter_ = counter; }
    // The countdown's tick; shortened only by tests.
    void set_interval(int milliseconds) { timer_.setInterval(milliseconds); }

  public Q_SLOTS:
    int exec() override;
    void on_timeout();

  private:
    void place_on_parent_screen();

    int counter_;
    QTimer timer_;
    bool placement_;
};
