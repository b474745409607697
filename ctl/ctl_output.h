#pragma once

#include <QJsonObject>
#include <QString>
#include <QTextStream>

namespace ctl {

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;   // the monitor, the colour system or a file failed
constexpr int kExitBadInput = 2;  // the command line or an input file is wrong

// Where a command's results go: lines for people, or one JSON object with --json. Failures
// are one line on stderr ("orvale-ctl: ..."); with --json stdout carries them as
// {"error": {"message", "code"}} too, so that a script always has an object to parse.
class Output {
  public:
    Output(QTextStream& out, QTextStream& err, bool json);

    bool json() const { return json_; }
    // A line for people (dropped with --json).
    void line(const QString& text);
    // The JSON result (printed once by finish()).
    QJsonObject& data() { return data_; }

    // Reports a failure and returns `exit_code`. `code` is the result code behind it (0: none).
    int fail(const QString& message, int exit_code, int code = 0);
    // A monitor operation's failure: the string table's message for `code` (with the USB
    // hint when the monitor is not on USB) and the code.
    int monitor_failure(const QString& context, int code, bool monitor_is_usb);
    int finish();

    QTextStream& out() { return out_; }

  private:
    QTextStream& out_;
    QTextStream& err_;
    bool json_;
    bool failed_ = false;
    QJsonObject data_;
};

// The plain reason behind one of the access library's failures, empty for other codes.
QString access_reason(int code);

// A string-table text (rich text) as one plain line: tags dropped, line breaks as spaces.
QString plain_text(const QString& rich);

}  // namespace ctl
