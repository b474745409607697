#pragma once

#include <QByteArray>
#include <QImage>

namespace artwork {

// The program's icon for the desktop's menus and launchers: a monitor showing the hues over a
// tone ramp, with a measuring puck on its screen. One drawing, rendered at any pixel size and
// written as SVG for the scalable icon theme folder.
QImage desktop_icon(int size);
QByteArray desktop_icon_svg();

}  // namespace artwork
