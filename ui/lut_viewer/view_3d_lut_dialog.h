#pragma once

#include <QDialog>
#include <memory>

#include "profiles/emulation_lut.h"
#include "ui/lut_viewer/lut_geometry.h"

class GLWidget;
namespace Ui {
class view_3d_lut_dialogClass;
}

// A small window beside the colour wizard that shows the printer-emulation table as it is
// computed. It lives as long as the wizard, which shows and hides it; it keeps its place on
// the screen between runs.
class view_3d_lut_dialog : public QDialog {
    Q_OBJECT

  public:
    static constexpr int kInitialSide = 370;

    explicit view_3d_lut_dialog(QWidget* parent = nullptr);
    ~view_3d_lut_dialog() override;

    void set_3d_lut(const lut_geometry::Points& points);
    void set_3d_lut(const EmulationLut::Table& table);
    // The table shown (or, without OpenGL, the one that would be); whether one has come.
    const lut_geometry::Points& lut_data() const { return points; }
    bool has_data() const { return has_lut; }
    // The view; null when the display offers no OpenGL, where a note stands in its place.
    GLWidget* gl_widget() const { return view; }

    // Whether this display can give the view an OpenGL context (checked once).
    static bool opengl_available();

  Q_SIGNALS:
    // Whenever the dialog is hidden, by the wizard or by the user.
    void hide_Event();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void move_to_stored_position();

    std::unique_ptr<Ui::view_3d_lut_dialogClass> ui;
    GLWidget* view = nullptr;
    lut_geometry::Points points{};
    bool has_lut = false;
};
