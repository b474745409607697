#include "core/custom_message_box.h"

#include <QScreen>

#include "comm/monitor_timing.h"
#include "core/string_table.h"

MyCustomMessageBox::MyCustomMessageBox(QWidget* parent, int counter, bool placement)
    : QMessageBox(parent), counter_(counter), placement_(placement) {
    timer_.setInterval(monitor_timing::kCountdownStepMs);
    connect(&timer_, &QTimer::timeout, this, &MyCustomMessageBox::on_timeout);
    if (counter_ != 0) on_timeout();
}

MyCustomMessageBox::~MyCustomMessageBox() = default;

int MyCustomMessageBox::exec() {
    if (placement_) place_on_parent_screen();
    if (counter_ != 0) timer_.start();
    return QMessageBox::exec();
}

void MyCustomMessageBox::on_timeout() {
    if (counter_ > 0) {
        setInformativeText(string(counter_ == 1 ? 604 : 605).arg(counter_));
        --counter_;
    } else {
        timer_.stop();
        accept();
    }
}

void MyCustomMessageBox::place_on_parent_screen() {
    const QWidget* anchor = parentWidget();
    QScreen* screen = anchor ? anchor->screen() : nullptr;
    if (!screen) return;
    const QRect geometry = screen->geometry();
    if (!geometry.isValid()) return;
    adjustSize();
    move(geometry.left() + geometry.width() / 4 - width() / 2,
         geometry.top() + geometry.bottom() / 2);
}

// Compiled here rather than with the folder's other meta-object code, so that a program
// linking the core without windows (orvale-ctl) does not pull this class in.
#include "moc_custom_message_box.cpp"
