#include "ui/lut_viewer/view_3d_lut_dialog.h"

#include "ui_view_3d_lut_dialog.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHideEvent>
#include <QLabel>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QScreen>
#include <QShowEvent>

#include "core/master_control.h"
#include "core/preferences.h"
#include "ui/lut_viewer/gl_widget.h"

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
    // Window flags first: changing them later re-parents the dialog, and the OpenGL child
    // would then make the wizard below it composite through OpenGL as well.
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    ui->setupUi(this);
    if (opengl_available()) {
        view = new GLWidget(this);
        view->setObjectName(QStringLiteral("widget"));
        ui->gridLayout->addWidget(view, 0, 0);
    } else {
        // Painting an OpenGL view where there is no OpenGL takes the whole window down.
        auto* note =
            new QLabel(tr("The 3D LUT cannot be shown: this display offers no OpenGL."), this);
        note->setObjectName(QStringLiteral("no_opengl_label"));
        note->setWordWrap(true);
        note->setAlignment(Qt::AlignCenter);
        ui->gridLayout->addWidget(note, 0, 0);
    }
    resize(kInitialSide, kInitialSide);
    move_to_stored_position();
}

view_3d_lut_dialog::~view_3d_lut_dialog() = default;

bool view_3d_lut_dialog::opengl_available() {
    static const bool available = [] {
        QOffscreenSurface surface;
        surface.create();
        QOpenGLContext context;
        const bool usable = context.create() && context.makeCurrent(&surface);
        if (usable) context.doneCurrent();
        return usable;
    }();
    return available;
}

void view_3d_lut_dialog::set_3d_lut(const lut_geometry::Points& table) {
    points = table;
    has_lut = true;
    if (view) view->set_3d_lut_data(points);
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
