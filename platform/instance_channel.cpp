#include "platform/instance_channel.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace platform {

namespace {
const QByteArray kActivate = QByteArrayLiteral("activate\n");
// Anything longer is not ours; the connection is dropped without reading on.
constexpr qint64 kLongestRequest = 64;

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
            const QByteArray line = socket->readLine(kLongestRequest);
            socket->disconnectFromServer();
            if (line == kActivate) Q_EMIT activation_requested();
        });
    }
}

bool CInstanceChannel::ask_running_instance(const QString& name, int timeout_ms) {
    QLocalSocket socket;
    socket.connectToServer(socket_path_for(name));
    if (!socket.waitForConnected(timeout_ms)) return false;
    socket.write(kActivate);
    const bool sent = socket.waitForBytesWritten(timeout_ms);
    socket.disconnectFromServer();
    return sent;
}

}  // namespace platform
