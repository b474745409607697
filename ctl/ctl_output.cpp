#include "ctl/ctl_output.h"

#include <QJsonDocument>
#include <QRegularExpression>

#include "comm/ddc_monitor.h"
#include "core/error_messages.h"
#include "platform/access_library.h"

namespace ctl {

Output::Output(QTextStream& out, QTextStream& err, bool json) : out_(out), err_(err), json_(json) {}

void Output::line(const QString& text) {
    if (!json_) out_ << text << '\n';
}

int Output::fail(const QString& message, int exit_code, int code) {
    failed_ = true;
    err_ << "orvale-ctl: " << message << '\n';
    err_.flush();
    if (json_) {
        QJsonObject error{{QStringLiteral("message"), message}};
        if (code != 0) error.insert(QStringLiteral("code"), code);
        data_.insert(QStringLiteral("error"), error);
        out_ << QJsonDocument(data_).toJson(QJsonDocument::Compact) << '\n';
        out_.flush();
    }
    return exit_code;
}

int Output::monitor_failure(const QString& context, int code, bool monitor_is_usb) {
    QString message = plain_text(error_message(code, monitor_is_usb).text);
    if (code == CDDCMonitor::kUnsupported)
        message += QStringLiteral(" (the monitor does not support this feature)");
    else if (code == CDDCMonitor::kNotConnected)
        message += QStringLiteral(" (no monitor connected)");
    else if (const QString reason = access_reason(code); !reason.isEmpty())
        message += QStringLiteral(" (") + reason + QLatin1Char(')');
    return fail(QStringLiteral("%1: %2 (code %3)").arg(context, message).arg(code), kExitFailure,
                code);
}

QString access_reason(int code) {
    switch (code) {
        case platform::kAccessNoDevice:
            return QStringLiteral("the monitor's bus is gone: unplugged, or its driver unloaded");
        case platform::kAccessIoError:
            return QStringLiteral(
                "the monitor did not answer on its bus: DDC/CI may be switched off in its menu, "
                "or the transfer timed out");
        case platform::kAccessBusy:
            return QStringLiteral("another program kept the monitor's bus busy; try again");
        default:
            return QString();
    }
}

int Output::finish() {
    if (failed_) return kExitFailure;
    if (json_) out_ << QJsonDocument(data_).toJson(QJsonDocument::Indented);
    out_.flush();
    return kExitOk;
}

QString plain_text(const QString& rich) {
    QString text = rich;
    static const QRegularExpression breaks(QStringLiteral("<br\\s*/?>"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    text.replace(breaks, QStringLiteral(" "));
    text.remove(tags);
    text.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text.simplified();
}

}  // namespace ctl
