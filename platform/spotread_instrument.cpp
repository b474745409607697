#include "platform/spotread_instrument.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <algorithm>

namespace platform {

namespace {

using namespace instrument_error;

// spotread asks for a key before every reading with this text.
const QByteArray kPrompt = "to take a reading";
const QByteArray kResult = "Result is XYZ:";
// After a diagnostic spotread prints its whole usage text; none of that says what went wrong.
const QByteArray kUsageStart = "usage:";
// The usage text's port list when spotread sees no instrument anywhere.
const QByteArray kNoPorts = "** No ports found **";

// What spotread prints when it cannot go on, in lower case, with the result each stands for.
// The first that matches decides, so the narrow ones come first.
struct Failure {
    const char* text;
    int code;
};
constexpr Failure kFailures[] = {
    {"permission denied", kPermission},
    {"(permissions ?)", kPermission},  // its guess when the USB device does not open
    {"operation not permitted", kPermission},
    {"claiming usb port", kBusy},  // another program claimed the instrument's interface
    {"device or resource busy", kBusy},
    {"busy", kBusy},
    {"in use", kBusy},
    {"no instrument", kNone},  // "No instrument at port 1", "... or no instrument detected"
    {"failed to find", kNone},
    {"to give up", kFailed},     // an instrument error, and spotread waits for a key
    {"or q to abort", kFailed},  // a calibration it cannot do by itself
};

QString tr(const char* text) {
    return QCoreApplication::translate("Instrument", text);
}

QString no_instrument_text() {
    return tr("spotread found no measuring instrument. Connect one and try again.");
}

QString seconds(int milliseconds) {
    return QString::number(milliseconds / 1000.0, 'g', 3);
}

QProcessEnvironment spotread_environment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Keys come from the pipe and prompts end their lines: spotread never waits on a terminal.
    environment.insert(QStringLiteral("ARGYLL_NOT_INTERACTIVE"), QStringLiteral("1"));
    return environment;
}

QByteArray before_usage(const QByteArray& output) {
    const qsizetype usage = output.indexOf(kUsageStart);
    return usage < 0 ? output : output.left(usage);
}

// The line in which spotread says what went wrong, without its program prefix; its prompts
// ("Hit Esc or Q to give up...") say nothing of it.
QString spotread_message(const QByteArray& output) {
    QString last;
    const QString text = QString::fromLocal8Bit(before_usage(output));
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty()) continue;
        const qsizetype error = line.indexOf(QLatin1String("Error - "));
        if (error >= 0) return line.mid(error + 8);
        if (line.startsWith(QLatin1String("Diagnostic:")) &&
            !line.contains(QLatin1String("Usage requested")))
            return line.mid(11).trimmed();
        if (!line.contains(QLatin1String("hit "), Qt::CaseInsensitive)) last = line;
    }
    return last;
}

bool holds_word(const QString& text, const QString& word) {
    const QRegularExpression pattern(
        QStringLiteral("(?<![A-Za-z0-9])%1(?![A-Za-z0-9])").arg(QRegularExpression::escape(word)),
        QRegularExpression::CaseInsensitiveOption);
    return pattern.match(text).hasMatch();
}

CSpotreadSettings settings_of(QString program, QStringList arguments, int start_timeout_ms,
                              int reading_timeout_ms) {
    CSpotreadSettings settings;
    settings.program = std::move(program);
    settings.arguments = std::move(arguments);
    settings.start_timeout_ms = start_timeout_ms;
    settings.reading_timeout_ms = reading_timeout_ms;
    settings.usage_timeout_ms = std::min(settings.usage_timeout_ms, start_timeout_ms);
    return settings;
}

}  // namespace

CSpotreadInstrument::CSpotreadInstrument(QString program, QStringList arguments,
                                         int start_timeout_ms, int reading_timeout_ms)
    : CSpotreadInstrument(settings_of(std::move(program), std::move(arguments), start_timeout_ms,
                                      reading_timeout_ms)) {}

CSpotreadInstrument::CSpotreadInstrument(CSpotreadSettings settings)
    : settings_(std::move(settings)) {}

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

QList<CSpotreadDisplayType> CSpotreadInstrument::parse_display_types(const QString& usage) {
    static const QRegularExpression first_line(QStringLiteral("^\\s*-y\\s+(\\S.*)$"));
    static const QRegularExpression next_option(QStringLiteral("^\\s*-\\S"));
    static const QRegularExpression space(QStringLiteral("\\s"));
    static const QRegularExpression selectors(QStringLiteral("^_?[A-Za-z0-9](\\|_?[A-Za-z0-9])*$"));
    static const QRegularExpression marks(QStringLiteral("\\s*\\[([^\\]]*)\\]$"));
    static const QRegularExpression named_pair(
        QStringLiteral("(?:^|[:,])\\s*(_?[A-Za-z0-9])\\s*=\\s*([^,]+)"));

    QList<CSpotreadDisplayType> types;
    bool listing = false;
    for (const QString& raw : usage.split(QLatin1Char('\n'))) {
        QString entry;
        if (!listing) {
            const QRegularExpressionMatch m = first_line.match(raw);
            if (!m.hasMatch()) continue;
            listing = true;
            entry = m.captured(1).trimmed();
        } else {
            // The entries after the first are indented lines up to the next option.
            entry = raw.trimmed();
            if (entry.isEmpty() || next_option.match(raw).hasMatch()) break;
        }
        const qsizetype gap = entry.indexOf(space);
        if (gap < 0) break;
        const QString token = entry.left(gap);
        if (!selectors.match(token).hasMatch()) break;
        QString text = entry.mid(gap).trimmed();

        bool is_default = false;
        const QRegularExpressionMatch mark = marks.match(text);
        if (mark.hasMatch()) {
            for (const QString& flag : mark.captured(1).split(QLatin1Char(',')))
                is_default = is_default || flag.trimmed() == QLatin1String("Default");
            text.chop(mark.capturedLength());
        }

        // "l|c  Other: l = LCD, c = CRT" names each selector of the line on its own.
        const QStringList keys = token.split(QLatin1Char('|'));
        QMap<QString, QString> named;
        qsizetype first_named = text.size();
        for (auto it = named_pair.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            named.insert(m.captured(1), m.captured(2).trimmed());
            first_named = std::min(first_named, m.capturedStart(1));
        }
        const bool each_named = std::all_of(keys.begin(), keys.end(),
                                            [&](const QString& k) { return named.contains(k); });
        // Without an instrument some versions print a placeholder in place of the list.
        if (!each_named && text.startsWith(QLatin1String("Display type"), Qt::CaseInsensitive))
            continue;

        const qsizetype colon = text.indexOf(QLatin1String(": "));
        const bool has_instrument = colon > 0 && (!each_named || colon < first_named);
        const QString instrument = has_instrument ? text.left(colon).trimmed() : QString();
        const QString name = has_instrument ? text.mid(colon + 2).trimmed() : text;
        for (const QString& key : keys)
            types.append({key, instrument, each_named ? named.value(key) : name, is_default});
    }
    return types;
}

std::optional<CSpotreadDisplayType> CSpotreadInstrument::choose_display_type(
    const QList<CSpotreadDisplayType>& types, const QStringList& preference) {
    if (preference.isEmpty()) return std::nullopt;
    // Each word outweighs all the later ones together.
    const int words = std::min(int(preference.size()), 30);
    qsizetype best = -1;
    long best_score = 0;
    for (qsizetype i = 0; i < types.size(); ++i) {
        long score = 0;
        for (int w = 0; w < words; ++w) {
            if (holds_word(types[i].name, preference[w])) score += 1L << (words - 1 - w);
        }
        const bool better = score > best_score || (score > 0 && score == best_score &&
                                                   types[i].is_default && !types[best].is_default);
        if (better) {
            best = i;
            best_score = score;
        }
    }
    if (best >= 0) return types[best];

    static const QRegularExpression non_refresh(QStringLiteral("non[- ]?refresh"),
                                                QRegularExpression::CaseInsensitiveOption);
    for (const CSpotreadDisplayType& type : types) {
        if (non_refresh.match(type.name).hasMatch()) return type;
    }
    for (const CSpotreadDisplayType& type : types) {
        if (type.selector == QLatin1String("n")) return type;
    }
    return std::nullopt;
}

int CSpotreadInstrument::failure_in_output(const QByteArray& output) {
    const QByteArray text = before_usage(output).toLower();
    for (const Failure& failure : kFailures) {
        if (text.contains(failure.text)) return failure.code;
    }
    return 0;
}

int CSpotreadInstrument::failure_from_output(int fallback, const QString& timeout_text) {
    switch (failure_in_output(output_)) {
        case kNone:
            return fail(kNone, no_instrument_text());
        case kBusy:
            return fail(kBusy, tr("spotread could not open the instrument: another program is "
                                  "using it. Close that program and try again."));
        case kPermission:
            return fail(kPermission,
                        tr("spotread may not open the instrument: this user has no access to "
                           "it. The udev rules of the Debian package \"argyll\" grant it; plug "
                           "the instrument in again once they are installed."));
        case kFailed:
            fallback = kFailed;
            break;
        default:
            if (fallback == kTimeout) return fail(kTimeout, timeout_text);
    }
    const QString message = spotread_message(output_);
    return fail(fallback, message.isEmpty() ? instrument_error_text(fallback)
                                            : tr("spotread: %1").arg(message));
}

bool CSpotreadInstrument::wait_for(const QByteArray& marker, int timeout_ms,
                                   const QString& timeout_text, int& code) {
    QDeadlineTimer deadline(timeout_ms);
    while (!output_.contains(marker)) {
        if (cancelled()) {
            stuck_ = true;
            code = fail(kCancelled, instrument_error_text(kCancelled));
            return false;
        }
        // spotread may say why and then wait for a key, or take long to end: it is not
        // waited for once it has said so.
        if (failure_in_output(output_) != 0) {
            stuck_ = true;
            code = failure_from_output(kFailed);
            return false;
        }
        if (process_->state() == QProcess::NotRunning) {
            output_ += process_->readAll();
            if (output_.contains(marker)) return true;
            code = failure_from_output(kFailed);
            return false;
        }
        if (deadline.hasExpired()) {
            stuck_ = true;
            code = failure_from_output(kTimeout, timeout_text);
            return false;
        }
        process_->waitForReadyRead(platform_timing::kSpotreadPollMs);
        output_ += process_->readAll();
    }
    return true;
}

int CSpotreadInstrument::check_correction_file(QString& path) {
    const QFileInfo file(settings_.correction_file);
    const QString suffix = file.suffix().toLower();
    if (suffix != QLatin1String("ccmx") && suffix != QLatin1String("ccss")) {
        return fail(kSettings, tr("The colorimeter correction \"%1\" is neither a .ccmx nor a "
                                  ".ccss file.")
                                   .arg(file.fileName()));
    }
    if (!file.isFile() || !file.isReadable()) {
        return fail(kSettings, tr("The colorimeter correction file %1 does not exist or cannot "
                                  "be read.")
                                   .arg(file.absoluteFilePath()));
    }
    path = file.absoluteFilePath();
    return 0;
}

int CSpotreadInstrument::read_usage(const QString& program, QByteArray& usage) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setProcessEnvironment(spotread_environment());
    process.start(program, {QStringLiteral("-?")});
    if (!process.waitForStarted(settings_.usage_timeout_ms)) return 0;
    process.closeWriteChannel();
    QDeadlineTimer deadline(settings_.usage_timeout_ms);
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired() && !cancelled()) {
        process.waitForFinished(platform_timing::kSpotreadPollMs);
        usage += process.readAll();
    }
    // What came before a port that does not answer is still worth reading.
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(platform_timing::kSpotreadExitWaitMs);
    }
    usage += process.readAll();
    if (cancelled()) return fail(kCancelled, instrument_error_text(kCancelled));
    return 0;
}

int CSpotreadInstrument::choose_type(const QString& program, QStringList& arguments) {
    display_type_.clear();
    if (settings_.display_preference.isEmpty()) return 0;
    const bool given = std::any_of(arguments.begin(), arguments.end(), [](const QString& a) {
        return a.startsWith(QLatin1String("-y"));
    });
    if (given) return 0;
    if (display_types_.isEmpty()) {
        QByteArray usage;
        if (const int code = read_usage(program, usage)) return code;
        if (usage.contains(kNoPorts)) return fail(kNone, no_instrument_text());
        display_types_ = parse_display_types(QString::fromLocal8Bit(usage));
    }
    if (const auto type = choose_display_type(display_types_, settings_.display_preference)) {
        display_type_ = type->selector;
        arguments = QStringList{QStringLiteral("-y"), type->selector} + arguments;
    }
    return 0;
}

int CSpotreadInstrument::open() {
    clear_error();
    close();
    if (cancelled()) return fail(kCancelled, instrument_error_text(kCancelled));
    QStringList arguments = settings_.arguments;
    if (!settings_.correction_file.isEmpty()) {
        QString path;
        if (const int code = check_correction_file(path)) return code;
        arguments = QStringList{QStringLiteral("-X"), path} + arguments;
    }
    const QString program = settings_.program.isEmpty()
                                ? QStandardPaths::findExecutable(QStringLiteral("spotread"))
                                : settings_.program;
    if (program.isEmpty() || !QFileInfo::exists(program)) {
        return fail(kMissing,
                    tr("ArgyllCMS's spotread is not installed (Debian package \"argyll\")."));
    }
    if (const int code = choose_type(program, arguments)) return code;

    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::MergedChannels);
    process_->setProcessEnvironment(spotread_environment());
    process_->start(program, arguments);
    if (!process_->waitForStarted(settings_.start_timeout_ms)) {
        process_.reset();
        return fail(kMissing, tr("spotread could not be started: %1").arg(program));
    }
    output_.clear();
    int code = 0;
    const QString late = tr("spotread did not get the instrument ready within %1 s.")
                             .arg(seconds(settings_.start_timeout_ms));
    if (!wait_for(kPrompt, settings_.start_timeout_ms, late, code)) {
        close();
        return code;
    }
    output_.clear();
    return 0;
}

int CSpotreadInstrument::read(CInstrumentSample& sample) {
    clear_error();
    if (!process_) return fail(kNone, instrument_error_text(kNone));
    output_.clear();
    process_->write(" ");
    int code = 0;
    const QString late =
        tr("spotread gave no reading within %1 s.").arg(seconds(settings_.reading_timeout_ms));
    if (!wait_for(kResult, settings_.reading_timeout_ms, late, code)) return code;
    // The line is complete once its end has come.
    const int at = int(output_.indexOf(kResult));
    QDeadlineTimer line_end(settings_.reading_timeout_ms);
    while (output_.indexOf('\n', at) < 0 && process_->state() != QProcess::NotRunning &&
           !line_end.hasExpired() && !cancelled()) {
        process_->waitForReadyRead(platform_timing::kSpotreadPollMs);
        output_ += process_->readAll();
    }
    const auto parsed = parse_result(output_.mid(at));
    if (!parsed) return failure_from_output(kFailed);
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
