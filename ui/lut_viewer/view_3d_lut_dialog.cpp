#include "ui/lut_viewer/view_3d_lut_dialog.h"

#include "ui_view_3d_lut_dialog.h"

#include <QGuiApplication>
#include <QHideEvent>
#include <QScreen>
#include <QShowEvent>

#include "core/master_control.h"
#include "core/preferences.h"

namespace {

// A stored position is used only while some screen still shows it.
bool on_a_screen(QPoint position) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->availableGeometry().contains(position)) return true;
    }
    return false;
}

}  // namespace

view_3d_lut_dialog::view_3d_lut_dialog(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::view_3d_lut_dialogClass>()) {
    ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    resize(kInitialSide, kInitialSide);
    move_to_stored_position();
}

view_3d_lut_dialog::~view_3d_lut_dialog() = default;

GLWidget* view_3d_lut_dialog::gl_widget() const {
    return ui->widget;
}

void view_3d_lut_dialog::set_3d_lut(const lut_geometry::Points& points) {
    ui->widget->set_3d_lut_data(points);
}

void view_3d_lut_dialog::set_3d_lut(const EmulationLut::Table& table) {
    set_3d_lut(lut_geometry::points_from(table));
}

void view_3d_lut_dialog::move_to_stored_position() {
    if (!master_control_instance) return;
    const QPoint stored = master_control_instance->preferences().lut_viewer_position();
    if (stored.x() != Preferences::kNoPosition && on_a_screen(stored)) move(stored);
}

void view_3d_lut_dialog::showEvent(QShowEvent* event) {
    move_to_stored_position();
    QDialog::showEvent(event);
}

void view_3d_lut_dialog::hideEvent(QHideEvent* event) {
    Q_EMIT hide_Event();
    if (master_control_instance && Preferences::storable_position(pos()))
        master_control_instance->preferences().set_lut_viewer_position(pos());
    QDialog::hideEvent(event);
}
