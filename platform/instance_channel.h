#pragma once

#include <QObject>
#include <QString>

#include "platform/platform_timing.h"

class QLocalServer;

namespace platform {

// Lets a second start of the program ask the running one to bring its window forward, so the
// user sees that the program is already there instead of thinking the start failed. The
// socket lives in the user's runtime folder beside the single-instance lock and is reachable
// by the same user only.
class CInstanceChannel : public QObject {
    Q_OBJECT

  public:
    // Activation tokens (xdg-activation) are short printable ASCII.
    static constexpr int kLongestToken = 256;

    // `name` is the single-instance guard's name.
    explicit CInstanceChannel(const QString& name, QObject* parent = nullptr);
    ~CInstanceChannel() override;

    // For the instance that holds the guard: starts listening (a socket left by a crashed
    // instance is replaced). False when the socket cannot be made; the program runs anyway.
    bool listen();
    QString socket_path() const { return path_; }

    // For a second instance: asks the running one to activate its window, handing over the
    // activation token the desktop gave this start (on Wayland only the token lets the
    // compositor raise another client's window). True when the request was delivered within
    // `timeout_ms`.
    static bool ask_running_instance(const QString& name,
                                     int timeout_ms = platform_timing::kInstanceRequestTimeoutMs,
                                     const QString& token = QString());
    // True for a token that can travel in a request: printable ASCII without spaces, not empty,
    // at most kLongestToken characters.
    static bool usable_token(const QString& token);

  Q_SIGNALS:
    // `token`: the second start's activation token, or empty.
    void activation_requested(const QString& token);

  private:
    void accept_connections();

    QString path_;
    QLocalServer* server_ = nullptr;
};

}  // namespace platform
