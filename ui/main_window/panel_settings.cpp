#include "ui/main_window/panel_settings.h"

panel_settings::panel_settings(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("panel_settings"));
}

void panel_settings::update_ui() {}
