#pragma once

#include <QOpenGLWidget>
#include <QPoint>
#include <QTimer>

#include "ui/lut_viewer/lut_geometry.h"

class QOpenGLFunctions_1_1;

// The 3D LUT as a lattice of small cubes inside the RGB cube, turning slowly; the user turns it
// by dragging. Drawn with the fixed-function pipeline from one display list per table, so
// that each frame only replays the list.
class GLWidget : public QOpenGLWidget {
    Q_OBJECT

  public:
    static constexpr int kInitialXAngle = -130;
    static constexpr int kInitialYSpeed = 8;
    static constexpr int kDragFactor = 8;  // sixteenths of a degree per pixel

    explicit GLWidget(QWidget* parent = nullptr);
    ~GLWidget() override;

    int xRotation() const { return xRot; }
    int yRotation() const { return yRot; }
    int zRotation() const { return zRot; }
    int xSpeed() const { return x_speed; }
    int ySpeed() const { return y_speed; }
    bool has_data() const { return has_lut; }
    const lut_geometry::Points& lut_data() const { return points; }
    // The id of the compiled display list; 0 until a table has been drawn in a context.
    unsigned display_list() const { return list; }
    // Whether the context offers the fixed-function calls this widget draws with.
    bool can_draw() const { return gl != nullptr; }
    bool spinning() const { return timer.isActive(); }

  Q_SIGNALS:
    void xRotationChanged(int angle);
    void yRotationChanged(int angle);
    void zRotationChanged(int angle);

  public Q_SLOTS:
    void set_3d_lut_data(const lut_geometry::Points& in_point_data);
    void setXRotation(int angle);
    void setYRotation(int angle);
    void setZRotation(int angle);
    void advanceGears();

  protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void build_list();
    void delete_list();
    void context_going();

    lut_geometry::Points points{};
    bool has_lut = false;
    unsigned list = 0;
    QOpenGLFunctions_1_1* gl = nullptr;
    int xRot = 0;
    int yRot = 0;
    int zRot = 0;
    QPoint lastPos;
    QPoint pressPos;
    int x_speed = 0;
    int y_speed = kInitialYSpeed;
    QTimer timer;
};
