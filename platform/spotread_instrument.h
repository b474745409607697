#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "platform/instrument.h"
#include "platform/platform_timing.h"

class QProcess;

namespace platform {

// An instrument driven by ArgyllCMS's spotread, kept running as a child process from open() to
// close(): it is started in emissive (display) mode, and every read() presses a key and takes
// the "Result is XYZ: X Y Z" line it prints (cd/m² in emissive mode). A spotread that is not
// installed, finds no instrument, finds it busy or does not answer in time ends with the
// matching result; nothing waits without a limit.
class CSpotreadInstrument final : public CInstrument {
  public:
    // `program` empty: spotread from PATH. `arguments` are spotread's options (by default
    // emissive mode without a calibration prompt).
    explicit CSpotreadInstrument(
        QString program = QString(),
        QStringList arguments = {QStringLiteral("-e"), QStringLiteral("-N")},
        int start_timeout_ms = platform_timing::kSpotreadStartTimeoutMs,
        int reading_timeout_ms = platform_timing::kSpotreadReadingTimeoutMs);
    ~CSpotreadInstrument() override;

    QString name() const override;
    int open() override;
    int read(CInstrumentSample& sample) override;
    void close() override;

    // The XYZ of a "Result is XYZ:" line in spotread's output; nothing when there is none.
    static std::optional<CInstrumentSample> parse_result(const QByteArray& output);

  private:
    // Waits until the output holds `marker` (true), the process ends, the time is up or the
    // user cancels; the reason is in `code`.
    bool wait_for(const QByteArray& marker, int timeout_ms, int& code);
    int failure_from_output(int fallback);

    QString program_;
    QStringList arguments_;
    int start_timeout_ms_;
    int reading_timeout_ms_;
    std::unique_ptr<QProcess> process_;
    QByteArray output_;
    bool stuck_ = false;  // a reading timed out or was cancelled: spotread is not listening
};

}  // namespace platform
