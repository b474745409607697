#pragma once

#include <QString>

// The names the pages give the monitor's picture-mode memories.
namespace picture_mode_labels {

// The preset label of memory `memory` (1-based) of the current monitor's stored record, or an
// empty text when the record does not name it.
QString memory_label(int memory);

}  // namespace picture_mode_labels
