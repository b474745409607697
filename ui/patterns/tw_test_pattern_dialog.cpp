#include "ui/patterns/tw_test_pattern_dialog.h"

#include <QKeyEvent>

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include "platform/window_placement.h"
#include "ui/patterns/tw_test_pattern_widget.h"
#include "ui_tw_test_pattern_dialog.h"

// Frameless but a normal window: the window manager focuses it and its close (Alt+F4) reaches
// it; as a splash screen it was passed over, and the close went to the window behind.
tw_test_pattern_dialog::tw_test_pattern_dialog(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint),
      ui(std::make_unique<Ui::TW_test_pattern_dialogClass>()) {
    ui->setupUi(this);
    setObjectName(QStringLiteral("tw_test_pattern_dialog"));
    connect(ui->draw_widget, &TW_test_pattern_widget::show_controls, this,
            &tw_test_pattern_dialog::show_controls);
    connect(ui->draw_widget, &TW_test_pattern_widget::clicked, this,
            &tw_test_pattern_dialog::clicked);
    // The buttons step with the keyboard shortcuts as well; the pattern keeps the focus so that
    // a key press counts as activity and Escape reaches the dialog.
    for (QWidget* button : {static_cast<QWidget*>(ui->test_pattern_previous_toolButton),
                            static_cast<QWidget*>(ui->test_pattern_next_toolButton),
                            static_cast<QWidget*>(ui->test_pattern_close_toolButton)}) {
        button->setFocusPolicy(Qt::NoFocus);
    }
    ui->test_pattern_label->setText(ui->draw_widget->getPatternName());
    show_controls(false);
}

tw_test_pattern_dialog::~tw_test_pattern_dialog() = default;

TW_test_pattern_widget* tw_test_pattern_dialog::pattern_widget() const {
    return ui->draw_widget;
}

QScreen* tw_test_pattern_dialog::screen_for(const QRect& area) {
    QScreen* best = nullptr;
    qint64 best_overlap = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect overlap = screen->geometry().intersected(area);
        const qint64 size = qint64(overlap.width()) * overlap.height();
        if (size > best_overlap) {
            best = screen;
            best_overlap = size;
        }
    }
    return best;
}

bool tw_test_pattern_dialog::show_over(const QRect& area, int pattern, bool navigation) {
    if (area.width() <= 0 || area.height() <= 0) return false;
    // The user must always have a way back: the close control and Escape.
    enable_close_control(true);
    enable_controls(navigation);
    SetTestPattern(pattern);
    if (!platform::clients_place_windows()) {
        // A Wayland client cannot place a window; it can ask for full screen on an output,
        // which must be chosen before the window is mapped.
        hide();
        create();
        if (QScreen* screen = screen_for(area)) windowHandle()->setScreen(screen);
        showFullScreen();
    } else {
        setWindowState(windowState() & ~Qt::WindowFullScreen);
        resize(area.size());
        move(area.topLeft());
        show();
    }
    return true;
}

void tw_test_pattern_dialog::SetTestPattern(int in_pattern) {
    ui->draw_widget->SetTestPattern(in_pattern);
    ui->test_pattern_label->setText(ui->draw_widget->getPatternName());
}

void tw_test_pattern_dialog::show_controls(bool show) {
    controls_shown_ = show;
    const bool stepping = show && controls_enabled_;
    const bool closing = show && close_control_enabled_;
    ui->test_pattern_previous_toolButton->setVisible(stepping);
    ui->test_pattern_next_toolButton->setVisible(stepping);
    ui->test_pattern_label->setVisible(stepping);
    ui->test_pattern_close_toolButton->setVisible(closing);
    ui->resolution_label->setVisible(stepping || closing);
    ui->controls_widget->setVisible(stepping || closing);
}

void tw_test_pattern_dialog::enable_controls(bool in_enable) {
    controls_enabled_ = in_enable;
    show_controls(controls_shown_);
}

void tw_test_pattern_dialog::enable_close_control(bool in_enable) {
    close_control_enabled_ = in_enable;
    show_controls(controls_shown_);
}

void tw_test_pattern_dialog::on_test_pattern_close_toolButton_clicked() {
    hide();
}

void tw_test_pattern_dialog::on_test_pattern_next_toolButton_clicked() {
    step(true);
}

void tw_test_pattern_dialog::on_test_pattern_previous_toolButton_clicked() {
    step(false);
}

void tw_test_pattern_dialog::step(bool forward) {
    ui->test_pattern_label->hide();
    if (forward) {
        ui->draw_widget->next_test_pattern();
    } else {
        ui->draw_widget->previous_test_pattern();
    }
    ui->test_pattern_label->setText(ui->draw_widget->getPatternName());
    if (controls_enabled_ && controls_shown_) ui->test_pattern_label->show();
}

void tw_test_pattern_dialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A frameless window covering a whole display must take the keyboard at once, or Escape
    // would not reach it and the user would have no way out without a visible control.
    activateWindow();
    raise();
    ui->draw_widget->setFocus(Qt::OtherFocusReason);
}

void tw_test_pattern_dialog::keyPressEvent(QKeyEvent* event) {
    // Qt ignores the shortcuts of hidden buttons: once the controls have hidden themselves the
    // keys arrive here, from the pattern widget, and step all the same.
    const int key = event->key();
    if (controls_enabled_ && (key == Qt::Key_BracketLeft || key == Qt::Key_BracketRight)) {
        step(key == Qt::Key_BracketRight);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void tw_test_pattern_dialog::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    Q_EMIT hidden();
}
