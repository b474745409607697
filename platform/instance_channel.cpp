#include "platform/instance_channel.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <algorithm>

namespace platform {

namespace {
const QByteArray kActivate = QByteArrayLiteral("activate");
// Anything longer is not ours; the connection is dropped without reading on.
constexpr qint64 kLongestRequest = 64 + CInstanceChannel::kLongestToken;

QString socket_path_for(const QString& name) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return folder + QLatin1Char('/') + name + QStringLiteral(".sock");
}
}  // namespace

CInstanceChannel::CInstanceChannel(const QString& name, QObject* parent)
    : QObject(parent), path_(socket_path_for(name)) {}

CInstanceChannel::~CInstanceChannel() {
    if (server_) server_->close();
}

bool CInstanceChannel::listen() {
    if (server_ && server_->isListening()) return true;
    QDir().mkpath(QFileInfo(path_).absolutePath());
    delete server_;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Only the guard's holder gets here, so a socket file that exists is a crashed
    // instance's leftover.
    QLocalServer::removeServer(path_);
    if (!server_->listen(path_)) return false;
    connect(server_, &QLocalServer::newConnection, this, &CInstanceChannel::accept_connections);
    return true;
}

void CInstanceChannel::accept_connections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->bytesAvailable() > kLongestRequest) {
                socket->abort();
                return;
            }
            if (!socket->canReadLine()) return;
            const QByteArray line = socket->readLine(kLongestRequest + 1);
            socket->disconnectFromServer();
            if (!line.endsWith('\n')) return;
            const QByteArray request = line.chopped(1);
            if (request == kActivate) {
                Q_EMIT activation_requested(QString());
            } else if (request.startsWith(kActivate + ' ')) {
                const QString token = QString::fromLatin1(request.mid(kActivate.size() + 1));
                // A token that is not one is dropped; the window still comes forward as far
                // as the desktop allows without one.
                Q_EMIT activation_requested(usable_token(token) ? token : QString());
            }
        });
    }
}

bool CInstanceChannel::usable_token(const QString& token) {
    if (token.isEmpty() || token.size() > kLongestToken) return false;
    return std::all_of(token.begin(), token.end(),
                       [](QChar c) { return c.unicode() > 0x20 && c.unicode() < 0x7F; });
}

bool CInstanceChannel::ask_running_instance(const QString& name, int timeout_ms,
                                            const QString& token) {
    QLocalSocket socket;
    socket.connectToServer(socket_path_for(name));
    if (!socket.waitForConnected(timeout_ms)) return false;
    socket.write(usable_token(token) ? kActivate + ' ' + token.toLatin1() + '\n'
                                     : kActivate + '\n');
    const bool sent = socket.waitForBytesWritten(timeout_ms);
    socket.disconnectFromServer();
    return sent;
}

}  // namespace platform
