#pragma once

#include <QString>
#include <atomic>

namespace platform {

// Results of the instrument calls beside 0 (success).
namespace instrument_error {
constexpr int kNone = -1;        // no instrument is connected
constexpr int kBusy = -2;        // another program holds it
constexpr int kTimeout = -3;     // a reading did not come in time
constexpr int kCancelled = -4;   // the user cancelled
constexpr int kFailed = -5;      // the instrument or its driver reported an error
constexpr int kMissing = -6;     // the driver software is not installed
constexpr int kPermission = -7;  // the system does not let this user open the instrument
constexpr int kSettings = -8;    // the instrument's settings (a correction file) cannot be used
constexpr int kNoDisplay = -9;   // the instrument offers no way to measure a display
}  // namespace instrument_error

// One reading of what the instrument looks at, in cd/m².
struct CInstrumentSample {
    double X = 0.0;
    double Y = 0.0;
    double Z = 0.0;
};

// A measuring instrument placed on the screen. open() takes it for this program (it stays
// taken until close()), read() measures what is shown now. Every call may block while the
// instrument works, so callers run it off the GUI thread; cancel() may come from any thread and
// makes the call in progress, and every later read, end with kCancelled.
class CInstrument {
  public:
    virtual ~CInstrument() = default;
    virtual QString name() const = 0;
    // The name with what a report needs to tell this instrument's run apart (a seed, say).
    virtual QString description() const { return name(); }
    virtual int open() = 0;
    virtual int read(CInstrumentSample& sample) = 0;
    virtual void close() = 0;

    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }
    // What went wrong in the last failed call, in the user's words; empty after success.
    const QString& error_text() const { return error_; }

  protected:
    int fail(int code, const QString& text) {
        error_ = text;
        return code;
    }
    void clear_error() { error_.clear(); }

  private:
    std::atomic<bool> cancelled_{false};
    QString error_;
};

// The general text of an instrument result.
QString instrument_error_text(int code);

}  // namespace platform
