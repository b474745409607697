#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "platform/instrument.h"
#include "platform/platform_timing.h"

class QProcess;

namespace platform {

// One display type spotread offers for its -y option, as its usage text lists it.
struct CSpotreadDisplayType {
    QString selector;         // what follows -y: "l", "e", "_1"
    QString instrument;       // the instrument it is listed for; empty when the line names none
    QString name;             // "LCD, White LED Backlight (Generic)"
    bool is_default = false;  // spotread marks it as the instrument's own choice

    bool operator==(const CSpotreadDisplayType&) const = default;
};

// How spotread is run.
struct CSpotreadSettings {
    QString program;  // empty: spotread from PATH
    // Emissive mode without the initial calibration where the instrument allows it.
    QStringList arguments{QStringLiteral("-e"), QStringLiteral("-N")};
    // Words looked for in the names of the display types spotread lists for the instrument,
    // most wanted first. Empty: no -y, the instrument's own default.
    QStringList display_preference{QStringLiteral("LCD"), QStringLiteral("LED")};
    // A colorimeter correction passed with -X: a .ccmx matrix or .ccss samples. Empty: none.
    QString correction_file;
    int start_timeout_ms = platform_timing::kSpotreadStartTimeoutMs;
    int reading_timeout_ms = platform_timing::kSpotreadReadingTimeoutMs;
    int usage_timeout_ms = platform_timing::kSpotreadUsageTimeoutMs;
};

// An instrument driven by ArgyllCMS's spotread, kept running as a child process from open() to
// close(), with ARGYLL_NOT_INTERACTIVE set so that it reads keys from the pipe and never waits
// on a terminal. open() first asks spotread for its usage text to choose the display type,
// then starts it with the type and the correction file; every read() presses a key and takes
// the "Result is XYZ: X Y Z" line it prints (cd/m² in emissive mode). spotread not installed,
// no instrument, an instrument in use or out of this user's reach, and no reading in time each
// end with their own result as soon as spotread says so; nothing waits without a limit.
class CSpotreadInstrument final : public CInstrument {
  public:
    explicit CSpotreadInstrument(
        QString program = QString(),
        QStringList arguments = {QStringLiteral("-e"), QStringLiteral("-N")},
        int start_timeout_ms = platform_timing::kSpotreadStartTimeoutMs,
        int reading_timeout_ms = platform_timing::kSpotreadReadingTimeoutMs);
    explicit CSpotreadInstrument(CSpotreadSettings settings);
    ~CSpotreadInstrument() override;

    QString name() const override;
    int open() override;
    int read(CInstrumentSample& sample) override;
    void close() override;

    // The display types spotread listed for the attached instrument (empty until open() asked,
    // or when it lists none), and the selector open() passed with -y (empty: none).
    const QList<CSpotreadDisplayType>& display_types() const { return display_types_; }
    const QString& display_type() const { return display_type_; }

    // The XYZ of a "Result is XYZ:" line in spotread's output; nothing when there is none.
    static std::optional<CInstrumentSample> parse_result(const QByteArray& output);
    // The type whose name holds the most wanted words of `preference` (ties: the instrument's
    // default, then the first listed); else the generic non-refresh type, which suits any
    // steady backlight; else none, and spotread keeps the instrument's own default.
    static std::optional<CSpotreadDisplayType> choose_display_type(
        const QList<CSpotreadDisplayType>& types, const QStringList& preference);
    // The entries of the -y option in spotread's usage text, in its order.
    static QList<CSpotreadDisplayType> parse_display_types(const QString& usage);
    // The result a failure spotread reports in `output` stands for (kNone, kBusy, kPermission,
    // kFailed), or 0 when it reports none.
    static int failure_in_output(const QByteArray& output);

  private:
    int check_correction_file(QString& path);
    int choose_type(const QString& program, QStringList& arguments);
    int read_usage(const QString& program, QByteArray& usage);
    // Waits until the output holds `marker` (true), spotread reports a failure or ends, the
    // time is up or the user cancels; the reason is in `code`.
    bool wait_for(const QByteArray& marker, int timeout_ms, const QString& timeout_text, int& code);
    int failure_from_output(int fallback, const QString& timeout_text = QString());

    CSpotreadSettings settings_;
    std::unique_ptr<QProcess> process_;
    QByteArray output_;
    QList<CSpotreadDisplayType> display_types_;
    QString display_type_;
    bool stuck_ = false;  // spotread is not listening (a timeout, a cancel, a failure it printed)
};

}  // namespace platform
