#include "ui/main_window/panel_vision_emulation.h"

panel_vision_emulation::panel_vision_emulation(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("panel_vision_emulation"));
}

void panel_vision_emulation::update_ui() {}
