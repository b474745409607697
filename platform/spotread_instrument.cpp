#include "platform/spotread_instrument.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace platform {

namespace {

// spotread asks for a key before every reading with this text.
const QByteArray kPrompt = "to take a reading";
const QByteArray kResult = "Result is XYZ:";

QString tr(const char* text) {
    return QCoreApplication::translate("Instrument", text);
}

}  // namespace

CSpotreadInstrument::CSpotreadInstrument(QString program, QStringList arguments,
                                         int start_timeout_ms, int reading_timeout_ms)
    : program_(std::move(program)),
      arguments_(std::move(arguments)),
      start_timeout_ms_(start_timeout_ms),
      reading_timeout_ms_(reading_timeout_ms) {}

CSpotreadInstrument::~CSpotreadInstrument() {
    close();
}

QString CSpotreadInstrument::name() const {
    return tr("ArgyllCMS spotread");
}

std::optional<CInstrumentSample> CSpotreadInstrument::parse_result(const QByteArray& output) {
    static const QRegularExpression result(
        QStringLiteral("Result is XYZ:\\s*([-+0-9.eE]+)[\\s,]+([-+0-9.eE]+)[\\s,]+([-+0-9.eE]+)"));
    const QRegularExpressionMatch m = result.match(QString::fromLatin1(output));
    if (!m.hasMatch()) return std::nullopt;
    bool ok[3] = {false, false, false};
    CInstrumentSample s{m.captured(1).toDouble(&ok[0]), m.captured(2).toDouble(&ok[1]),
                        m.captured(3).toDouble(&ok[2])};
    if (!ok[0] || !ok[1] || !ok[2]) return std::nullopt;
    return s;
}

int CSpotreadInstrument::failure_from_output(int fallback) {
    const QString text = QString::fromLocal8Bit(output_).toLower();
    QString last;
    for (const QString& line : QString::fromLocal8Bit(output_).split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty()) last = line.trimmed();
    }
    if (text.contains(QLatin1String("no instrument")) ||
        text.contains(QLatin1String("failed to find")) ||
        text.contains(QLatin1String("no such instrument"))) {
        return fail(instrument_error::kNone,
                    tr("spotread found no measuring instrument. Connect one and try again."));
    }
    if (text.contains(QLatin1String("busy")) || text.contains(QLatin1String("in use")) ||
        text.contains(QLatin1String("failed to open"))) {
        return fail(instrument_error::kBusy,
                    tr("spotread could not open the instrument: another program is using it."));
    }
    if (fallback == instrument_error::kTimeout)
        return fail(fallback, tr("spotread gave no reading in time."));
    return fail(fallback,
                last.isEmpty() ? instrument_error_text(fallback) : tr("spotread: %1").arg(last));
}

bool CSpotreadInstrument::wait_for(const QByteArray& marker, int timeout_ms, int& code) {
    QDeadlineTimer deadline(timeout_ms);
    while (!output_.contains(marker)) {
        if (cancelled()) {
            stuck_ = true;
            code = fail(instrument_error::kCancelled,
                        instrument_error_text(instrument_error::kCancelled));
            return false;
        }
        if (process_->state() == QProcess::NotRunning) {
            output_ += process_->readAll();
            if (output_.contains(marker)) return true;
            code = failure_from_output(instrument_error::kFailed);
            return false;
        }
        if (deadline.hasExpired()) {
            stuck_ = true;
            code = failure_from_output(instrument_error::kTimeout);
            return false;
        }
        process_->waitForReadyRead(platform_timing::kSpotreadPollMs);
        output_ += process_->readAll();
    }
    return true;
}

int CSpotreadInstrument::open() {
    clear_error();
    close();
    const QString program =
        program_.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("spotread")) : program_;
    if (program.isEmpty() || !QFileInfo::exists(program)) {
        return fail(instrument_error::kMissing,
                    tr("ArgyllCMS's spotread is not installed (Debian package \"argyll\")."));
    }
    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::MergedChannels);
    process_->start(program, arguments_);
    if (!process_->waitForStarted(start_timeout_ms_)) {
        process_.reset();
        return fail(instrument_error::kMissing,
                    tr("spotread could not be started: %1").arg(program));
    }
    output_.clear();
    int code = 0;
    if (!wait_for(kPrompt, start_timeout_ms_, code)) {
        close();
        return code;
    }
    output_.clear();
    return 0;
}

int CSpotreadInstrument::read(CInstrumentSample& sample) {
    clear_error();
    if (!process_)
        return fail(instrument_error::kNone, instrument_error_text(instrument_error::kNone));
    output_.clear();
    process_->write(" ");
    int code = 0;
    if (!wait_for(kResult, reading_timeout_ms_, code)) return code;
    // The line is complete once its end has come.
    const int at = int(output_.indexOf(kResult));
    QDeadlineTimer line_end(reading_timeout_ms_);
    while (output_.indexOf('\n', at) < 0 && process_->state() != QProcess::NotRunning &&
           !line_end.hasExpired() && !cancelled()) {
        process_->waitForReadyRead(platform_timing::kSpotreadPollMs);
        output_ += process_->readAll();
    }
    const auto parsed = parse_result(output_.mid(at));
    if (!parsed) return failure_from_output(instrument_error::kFailed);
    sample = *parsed;
    return 0;
}

void CSpotreadInstrument::close() {
    if (!process_) return;
    if (process_->state() != QProcess::NotRunning && stuck_) {
        process_->kill();
        process_->waitForFinished(platform_timing::kSpotreadExitWaitMs);
    } else if (process_->state() != QProcess::NotRunning) {
        process_->write("q");
        process_->closeWriteChannel();
        if (!process_->waitForFinished(platform_timing::kSpotreadExitWaitMs)) {
            process_->kill();
            process_->waitForFinished(platform_timing::kSpotreadExitWaitMs);
        }
    }
    process_.reset();
    stuck_ = false;
}

}  // namespace platform
