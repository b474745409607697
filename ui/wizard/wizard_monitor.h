#pragma once

#include <QObject>

class QAbstractSpinBox;
class QWidget;

// What the four adjustment widgets share: the monitor they work on, their error report and the
// timing of their writes.
namespace wizard_monitor {

// The common error box with the communication error.
void show_communication_error(QWidget* parent);

// A chromaticity as the monitor holds it: thousandths, cut (not rounded).
int chromaticity_code(double value);

// Return in the spin box takes the typed value as Tab does (the delayed write) and goes no
// further: in a wizard it would otherwise press Next or Finish, leaving the page (or saving
// the monitor and closing) while the user only meant to enter a number.
void commit_on_return(QAbstractSpinBox* box);

}  // namespace wizard_monitor
