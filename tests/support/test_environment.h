#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>

#include "platform/fake_sleeper.h"
#include "support/qt_printers.h"

namespace testing_support {

// The folder that stands in for the user's home data, runtime and config folders in this test
// process (fresh and private to it).
QString sandbox_folder();
void set_sandbox_folder(const QString& folder);

// The virtual clock installed for the whole test process: no test ever sleeps for a protocol
// wait. Tests that assert waits install a CFakeSleeper of their own with CScopedSleeper.
platform::CFakeSleeper& process_sleeper();

// The environment for a child process of a test: this test's private folders and the
// offscreen platform.
QProcessEnvironment child_process_environment();

QByteArray read_file(const QString& path);
bool write_file(const QString& path, const QByteArray& bytes);

// Sets an environment variable for one test and puts the old value back.
class CScopedVariable {
  public:
    CScopedVariable(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~CScopedVariable() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    CScopedVariable(const CScopedVariable&) = delete;
    CScopedVariable& operator=(const CScopedVariable&) = delete;

  private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

}  // namespace testing_support
