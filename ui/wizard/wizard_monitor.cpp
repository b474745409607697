#include "ui/wizard/wizard_monitor.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <cmath>

#include "color/error_codes.h"
#include "core/error_box.h"
#include "core/master_control.h"

namespace wizard_monitor {

namespace {
constexpr double kThousandthSlack = 1e-6;
}  // namespace

void show_communication_error(QWidget* parent) {
    show_error(parent, ui_error::kCommunicationError, true);
}

int chromaticity_code(double value) {
    // The value holds thousandths (three decimals), which binary fractions miss by a hair:
    // 0.170 * 1000 is 169.999...; truncated bare, every such value lost a thousandth.
    return static_cast<int>(std::trunc(value * 1000.0 + kThousandthSlack));
}

namespace {

class ReturnCommits : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
        auto* box = qobject_cast<QAbstractSpinBox*>(watched);
        if (!box) return false;
        box->interpretText();
        box->selectAll();
        return true;
    }
};

}  // namespace

void commit_on_return(QAbstractSpinBox* box) {
    box->installEventFilter(new ReturnCommits(box));
}

}  // namespace wizard_monitor
