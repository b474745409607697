#pragma once

#include <QJsonObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace ctl_testing {

struct Result {
    int exit_code = -1;
    QString out;
    QString err;
    QJsonObject json() const;  // stdout as one JSON object (a test failure when it is not)
};

// The real tools against the simulator's default set, on a state file of this test's own; the
// tool counts its protocol waits instead of sleeping them.
class Machine {
  public:
    Machine();
    Result ctl(const QStringList& args) const;
    Result sim(const QStringList& args) const;
    // A feature of a monitor as `orvale-sim show` reports it (global "0x02b3" lines, or
    // "memory N" entries by name), -1 when absent.
    int shown(const QString& monitor, const QString& feature) const;
    QString show(const QString& monitor) const {
        return sim({QStringLiteral("show"), monitor}).out;
    }
    QString state_path() const;
    QString folder() const;
    QProcessEnvironment env;
};

}  // namespace ctl_testing
