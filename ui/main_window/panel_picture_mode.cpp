#include "ui/main_window/panel_picture_mode.h"

panel_picture_mode::panel_picture_mode(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("panel_picture_mode"));
}

void panel_picture_mode::update_ui() {}
