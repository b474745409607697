#include "ui/main_window/panel_pip_mode.h"

panel_pip_mode::panel_pip_mode(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("panel_pip_mode"));
}

void panel_pip_mode::update_ui() {}
