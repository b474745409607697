#pragma once

#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstring>

namespace testing_support {

// Collects the messages of one logging category while it lives (they are not printed).
class LogCapture {
  public:
    explicit LogCapture(const char* category) : category_(category) {
        current() = this;
        previous_ = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture() {
        qInstallMessageHandler(previous_);
        current() = nullptr;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList lines() const {
        QMutexLocker lock(&mutex_);
        return lines_;
    }
    QString text() const { return lines().join(QLatin1Char('\n')); }

  private:
    static LogCapture*& current() {
        static LogCapture* capture = nullptr;
        return capture;
    }
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        LogCapture* self = current();
        if (self && context.category && std::strcmp(context.category, self->category_) == 0) {
            QMutexLocker lock(&self->mutex_);
            self->lines_ << text;
            return;
        }
        if (self && self->previous_) self->previous_(type, context, text);
    }

    const char* category_;
    QtMessageHandler previous_ = nullptr;
    mutable QMutex mutex_;
    QStringList lines_;
};

}  // namespace testing_support
