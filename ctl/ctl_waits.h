#pragma once

#include <QString>
#include <QTextStream>
#include <cstdint>
#include <memory>

#include "platform/sleeper.h"

namespace ctl {

// ORVALE_CTL_WAITS: "report" sleeps every protocol wait and prints their sum on stderr at the
// end (what a command spends waiting on the monitor, beside the wall time); "virtual" counts
// them without sleeping, which only the simulator, answering at once, can take (tests).
class CCountingSleeper final : public platform::CSleeper {
  public:
    static constexpr const char* kVariable = "ORVALE_CTL_WAITS";

    // The clock the environment asks for, or null (real waits, nothing printed). `error` is set
    // for a value that cannot be taken.
    static std::unique_ptr<CCountingSleeper> from_environment(QString& error);

    void sleep(int milliseconds) override;
    void print(QTextStream& err) const;

  private:
    explicit CCountingSleeper(bool real) : real_(real) {}
    bool real_;
    platform::CRealSleeper sleeper_;
    std::int64_t total_ms_ = 0;
    int count_ = 0;
};

}  // namespace ctl
