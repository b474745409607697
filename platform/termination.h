#pragma once

class QCoreApplication;

namespace platform {

// Ends the application's event loop on SIGTERM, SIGINT and SIGHUP, so that a logout or Ctrl+C
// in a terminal closes the program as closing its window does, with the settings saved.
void quit_on_termination_signals(QCoreApplication& app);

}  // namespace platform
