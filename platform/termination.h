#pragma once

class QCoreApplication;

namespace platform {

// Ends the application's event loop on SIGTERM, SIGINT and SIGHUP, so that a logout or Ctrl+C
// in a terminal closes the program as closing its window does, with the settings saved.
void quit_on_termination_signals(QCoreApplication& app);

// True once such a signal arrived: modal dialogs then return at once, and their callers end
// their work without reporting errors or storing half-read results.
bool termination_requested();

}  // namespace platform
