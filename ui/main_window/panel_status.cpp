#include "ui/main_window/panel_status.h"

panel_status::panel_status(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("panel_status"));
}

void panel_status::update_ui() {}
