#include "ui/lut_viewer/gl_widget.h"

#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions_1_1>
#include <QOpenGLVersionFunctionsFactory>
#include <QSurfaceFormat>

#include "comm/monitor_timing.h"

namespace {

// The view: the lattice sits 40 units in front of the eye inside a 20-unit wide box.
constexpr double kViewHalf = 10.0;
constexpr double kNear = 5.0;
constexpr double kFar = 60.0;
constexpr double kDistance = 40.0;
constexpr GLfloat kLightPosition[4] = {0.0f, 0.0f, -10.0f, 1.0f};
constexpr GLfloat kLightAmbient[4] = {0.5f, 0.5f, 0.5f, 0.5f};
constexpr GLfloat kDefaultMaterial[4] = {0.5f, 0.5f, 0.5f, 0.5f};

}  // namespace

GLWidget::GLWidget(QWidget* parent) : QOpenGLWidget(parent) {
    // The lattice is drawn with display lists and lighting of the fixed-function pipeline,
    // which only a compatibility context offers.
    QSurfaceFormat wanted = format();
    wanted.setRenderableType(QSurfaceFormat::OpenGL);
    wanted.setProfile(QSurfaceFormat::CompatibilityProfile);
    wanted.setDepthBufferSize(24);
    setFormat(wanted);
    setMinimumSize(100, 100);
    setAccessibleName(tr("3D LUT view"));
    xRot = lut_geometry::normalized_angle(kInitialXAngle);
    timer.setInterval(monitor_timing::kLutSpinStepMs);
    connect(&timer, &QTimer::timeout, this, &GLWidget::advanceGears);
}

GLWidget::~GLWidget() {
    QOpenGLContext* own = context();
    if (!own) return;
    // The base class destroys the context after this object has gone: the list goes now, and
    // the context must not call back into what is left.
    disconnect(own, &QOpenGLContext::aboutToBeDestroyed, this, &GLWidget::context_going);
    if (list != 0) {
        makeCurrent();
        delete_list();
        doneCurrent();
    }
}

void GLWidget::set_3d_lut_data(const lut_geometry::Points& in_point_data) {
    points = in_point_data;
    has_lut = true;
    // Without a context yet the list is built when the context comes.
    if (gl && context()) {
        makeCurrent();
        build_list();
        doneCurrent();
    }
    update();
}

void GLWidget::setXRotation(int angle) {
    angle = lut_geometry::normalized_angle(angle);
    if (angle == xRot) return;
    xRot = angle;
    Q_EMIT xRotationChanged(angle);
    update();
}

void GLWidget::setYRotation(int angle) {
    angle = lut_geometry::normalized_angle(angle);
    if (angle == yRot) return;
    yRot = angle;
    Q_EMIT yRotationChanged(angle);
    update();
}

void GLWidget::setZRotation(int angle) {
    angle = lut_geometry::normalized_angle(angle);
    if (angle == zRot) return;
    zRot = angle;
    Q_EMIT zRotationChanged(angle);
    update();
}

void GLWidget::advanceGears() {
    setYRotation(yRot + y_speed);
    setXRotation(xRot + x_speed);
}

void GLWidget::initializeGL() {
    gl = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_1_1>(context());
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &GLWidget::context_going,
            Qt::UniqueConnection);
    if (!gl) {
        qWarning("3D LUT view: the OpenGL context offers no fixed-function pipeline");
        return;
    }
    gl->initializeOpenGLFunctions();
    // The light is placed in eye coordinates, between the eye and the lattice.
    gl->glMatrixMode(GL_MODELVIEW);
    gl->glLoadIdentity();
    gl->glLightfv(GL_LIGHT0, GL_POSITION, kLightPosition);
    gl->glLightfv(GL_LIGHT0, GL_AMBIENT, kLightAmbient);
    gl->glEnable(GL_LIGHTING);
    gl->glEnable(GL_LIGHT0);
    gl->glEnable(GL_DEPTH_TEST);
    gl->glEnable(GL_NORMALIZE);
    gl->glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, kDefaultMaterial);
    gl->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    list = 0;
    if (has_lut) build_list();
}

void GLWidget::resizeGL(int width, int height) {
    if (!gl) return;
    // A square view centred in the widget, so that the cube keeps its shape.
    const int side = qMin(width, height);
    const qreal ratio = devicePixelRatioF();
    gl->glViewport(static_cast<GLint>((width - side) / 2 * ratio),
                   static_cast<GLint>((height - side) / 2 * ratio),
                   static_cast<GLsizei>(side * ratio), static_cast<GLsizei>(side * ratio));
    gl->glMatrixMode(GL_PROJECTION);
    gl->glLoadIdentity();
    gl->glOrtho(-kViewHalf, kViewHalf, -kViewHalf, kViewHalf, kNear, kFar);
    gl->glMatrixMode(GL_MODELVIEW);
}

void GLWidget::paintGL() {
    if (!gl) return;
    gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Each frame starts from the viewing position: rotations must not pile up frame by frame.
    gl->glMatrixMode(GL_MODELVIEW);
    gl->glLoadIdentity();
    gl->glTranslated(0.0, 0.0, -kDistance);
    gl->glRotated(xRot / 16.0, 1.0, 0.0, 0.0);
    gl->glRotated(yRot / 16.0, 0.0, 1.0, 0.0);
    gl->glRotated(zRot / 16.0, 0.0, 0.0, 1.0);
    if (list != 0 && has_lut) gl->glCallList(list);
}

void GLWidget::build_list() {
    delete_list();
    list = gl->glGenLists(1);
    if (list == 0) return;
    gl->glNewList(list, GL_COMPILE);

    // The cube's edges keep their corner colours whatever way the cube is turned.
    gl->glDisable(GL_LIGHTING);
    gl->glShadeModel(GL_SMOOTH);
    gl->glBegin(GL_LINES);
    for (const auto& edge : lut_geometry::cube_edges()) {
        for (const lut_geometry::EdgeEnd& end : edge) {
            gl->glColor3f(end.colour.r, end.colour.g, end.colour.b);
            gl->glVertex3f(end.position.x, end.position.y, end.position.z);
        }
    }
    gl->glEnd();
    gl->glEnable(GL_LIGHTING);

    const std::vector<lut_geometry::Quad> quads = lut_geometry::lattice_quads(points);
    // Six quads per node share the node's colour: one material change and one begin per node.
    for (std::size_t first = 0; first < quads.size(); first += 6) {
        const lut_geometry::Colour& c = quads[first].colour;
        const GLfloat material[4] = {c.r, c.g, c.b, 1.0f};
        gl->glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, material);
        gl->glBegin(GL_QUADS);
        for (std::size_t q = first; q < first + 6; ++q) {
            const lut_geometry::Quad& quad = quads[q];
            gl->glNormal3f(quad.normal.x, quad.normal.y, quad.normal.z);
            for (const lut_geometry::Vec3& v : quad.corners)
                gl->glVertex3f(v.x, v.y, v.z);
        }
        gl->glEnd();
    }
    gl->glEndList();
}

void GLWidget::delete_list() {
    if (list != 0 && gl) gl->glDeleteLists(list, 1);
    list = 0;
}

void GLWidget::context_going() {
    // A widget moved to another window gets a new context: the list goes with the old one.
    makeCurrent();
    delete_list();
    doneCurrent();
    gl = nullptr;
}

void GLWidget::mousePressEvent(QMouseEvent* event) {
    lastPos = event->position().toPoint();
    pressPos = lastPos;
}

void GLWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint now = event->position().toPoint();
    const int dx = now.x() - lastPos.x();
    const int dy = now.y() - lastPos.y();
    if (event->buttons() & Qt::LeftButton) {
        setXRotation(xRot + kDragFactor * dy);
        setYRotation(yRot + kDragFactor * dx);
        // The lattice keeps turning at the speed of the last movement.
        x_speed = dy;
        y_speed = dx;
    } else if (event->buttons() & Qt::RightButton) {
        setXRotation(xRot + kDragFactor * dy);
        setZRotation(zRot + kDragFactor * dx);
    }
    lastPos = now;
}

void GLWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->position().toPoint() == pressPos) {
        x_speed = 0;
        y_speed = 0;
    }
}

void GLWidget::showEvent(QShowEvent* event) {
    QOpenGLWidget::showEvent(event);
    timer.start();
}

void GLWidget::hideEvent(QHideEvent* event) {
    // Nothing to turn while nobody sees it.
    timer.stop();
    QOpenGLWidget::hideEvent(event);
}
