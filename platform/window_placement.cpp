#include "platform/window_placement.h"

#include <QGuiApplication>

namespace platform {

bool clients_place_windows() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace platform
