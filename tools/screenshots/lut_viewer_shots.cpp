// The 3D LUT viewer showing a printer emulation: sRGB shown through a CMYK printer profile.
#include <QApplication>
#include <QFile>
#include <QMouseEvent>

#include "profiles/emulation_lut.h"
#include "screenshot.h"
#include "ui/lut_viewer/gl_widget.h"
#include "ui/lut_viewer/view_3d_lut_dialog.h"

namespace {

EmulationLut::Table printer_table() {
    const QString srgb = QStringLiteral("/usr/share/color/icc/sRGB.icc");
    const QString printer = QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc");
    EmulationLut lut;
    if (QFile::exists(srgb) && QFile::exists(printer)) {
        lut.setSourceProfile(srgb);
        lut.setEmulatedProfile(printer);
        lut.setDisplayProfile(srgb);
        lut.compute();
    }
    return lut.table();
}

ORVALE_SCREENSHOT("lut_viewer", []() -> QWidget* {
    auto* dialog = new view_3d_lut_dialog;
    dialog->set_3d_lut(printer_table());
    dialog->show();
    // A still picture: the spin stopped at an angle that shows all three axes.
    GLWidget* widget = dialog->gl_widget();
    if (!widget) return dialog;
    const QPointF at(5, 5);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent click(type, at, widget->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(widget, &click);
    }
    widget->setXRotation(5760 - 16 * 25);
    widget->setYRotation(16 * 35);
    return dialog;
});

}  // namespace
