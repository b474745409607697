#pragma once

#include <QObject>

class CDDCMonitor;
class QAbstractSpinBox;
class QWidget;

// What the four adjustment widgets share: the monitor they work on, their error report and the
// timing of their writes.
namespace wizard_monitor {

// The monitor of the controller's current display; null without controller or monitor.
CDDCMonitor* current_monitor();

// The common error box with the communication error.
void show_communication_error(QWidget* parent);

// A chromaticity as the monitor holds it: thousandths, cut (not rounded).
int chromaticity_code(double value);

// Return in the spin box takes the typed value as Tab does (the delayed write) and goes no
// further: in a wizard it would otherwise press Next or Finish, leaving the page (or saving
// the monitor and closing) while the user only meant to enter a number.
void commit_on_return(QAbstractSpinBox* box);

// The wait cursor for as long as it lives.
class CWaitCursor {
  public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

}  // namespace wizard_monitor
