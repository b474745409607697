#pragma once

class QCoreApplication;

namespace platform {

// Ends the application's event loop on SIGTERM, SIGINT and SIGHUP, so that a logout or Ctrl+C
// in a terminal closes the program as closing its window does, with the settings saved.
void quit_on_termination_signals(QCoreApplication& app);

// True once such a signal arrived: modal dialogs then return at once, and their callers end
// their work without reporting errors or storing half-read results.
bool termination_requested();

// The user closed the program's window: it ends as on a termination signal, and no monitor
// exchange starts any more, so that the work under way stops after its current exchange
// instead of running its remaining steps and waits first.
void end_now();
// True once end_now() was called.
bool exchanges_stopped();

}  // namespace platform
