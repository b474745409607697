#pragma once

#include <QIcon>
#include <QString>

class QWidget;

// What the auxiliary pages share when they talk to the monitor.
namespace panel_common {

void process_pending_events();
// Waits through the process-wide sleeper (a protocol settle wait).
void settle(int milliseconds);
// The communication error box, closing itself after 60 seconds.
void show_communication_error(QWidget* parent);

// A read failure the user is told about; a feature the monitor does not have is not one.
bool is_failure(int result);

// The arrow that marks the main picture's input and picture mode in the lists.
QIcon main_picture_icon();

}  // namespace panel_common
