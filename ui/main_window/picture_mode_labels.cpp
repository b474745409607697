#include "ui/main_window/picture_mode_labels.h"

namespace picture_mode_labels {

QString memory_label(int) {
    return {};
}

}  // namespace picture_mode_labels
