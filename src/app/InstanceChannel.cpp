// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/InstanceChannel.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvane {

namespace {

// The connection's bytes so far, kept on the socket itself.
constexpr const char* kBufferProperty = "tolvaneBuffer";

bool isPrivateDirectory(const QByteArray& path) {
    struct stat st {};
    if (lstat(path.constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == getuid() && (st.st_mode & 077) == 0;
}

bool fromThisUser(const QLocalSocket& socket) {
    struct ucred peer {};
    socklen_t size = sizeof peer;
    const auto fd = static_cast<int>(socket.socketDescriptor());
    return fd >= 0 && getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           size == sizeof peer && peer.uid == getuid();
}

} // namespace

QString InstanceChannel::privateDirectory() {
    QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString dir;
    if (!base.isEmpty() && QFileInfo(base).isDir())
        dir = base + QStringLiteral("/tolvane");
    else
        dir = QStringLiteral("/tmp/tolvane-%1").arg(getuid());
    const QByteArray native = QFile::encodeName(dir);
    if (mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return isPrivateDirectory(native) ? dir : QString();
}

QString InstanceChannel::socketPath(const std::string& className) {
    const QString dir = privateDirectory();
    if (dir.isEmpty())
        return {};
    QString name;
    for (char c : className) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            name += QLatin1Char(c);
    }
    if (name.isEmpty())
        name = QStringLiteral("default");
    return dir + QLatin1Char('/') + name;
}

InstanceChannel::SendResult
InstanceChannel::send(const QString& path, const InstanceMessage& message, int answerTimeoutMs) {
    if (path.isEmpty())
        return SendResult::NoInstance;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(1000))
        return SendResult::NoInstance;
    const std::string bytes = message.encode();
    socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (!socket.waitForBytesWritten(1000))
        return SendResult::Failed;
    QByteArray answer;
    while (!answer.contains('\n') && answer.size() <= int(InstanceMessage::kMaxSize)) {
        if (!socket.waitForReadyRead(answerTimeoutMs))
            break;
        answer += socket.read(InstanceMessage::kMaxSize + 1 - answer.size());
    }
    const auto parsed =
        InstanceMessage::parse(std::string_view(answer.constData(), size_t(answer.size())));
    if (!parsed || parsed->command != InstanceMessage::Command::Done)
        return SendResult::Failed;
    if (message.command == InstanceMessage::Command::Close &&
        socket.state() == QLocalSocket::ConnectedState)
        socket.waitForDisconnected(answerTimeoutMs);
    return SendResult::Done;
}

InstanceChannel::InstanceChannel(Handler handler, QObject* parent)
    : QObject(parent), m_handler(std::move(handler)) {}

InstanceChannel::~InstanceChannel() {
    // Deleted here, while the list its connections leave still exists.
    if (m_server != nullptr)
        m_server->close();
    delete m_server;
}

bool InstanceChannel::listen(const QString& path) {
    if (path.isEmpty())
        return false;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(path)) {
        // No instance answered there, so the file is a crashed instance's.
        QLocalServer::removeServer(path);
        if (!m_server->listen(path))
            return false;
    }
    m_path = path;
    connect(m_server, &QLocalServer::newConnection, this, &InstanceChannel::onNewConnection);
    return true;
}

void InstanceChannel::onNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        if (!fromThisUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (m_waiting.size() >= kMaxConnections)
            m_waiting.takeFirst()->abort();
        m_waiting.append(socket);
        connect(socket, &QObject::destroyed, this, [this, socket] { m_waiting.removeOne(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        auto* timeout = new QTimer(socket);
        timeout->setSingleShot(true);
        connect(timeout, &QTimer::timeout, socket, &QLocalSocket::abort);
        timeout->start(kReadTimeoutMs);
        // Bytes that came with the connection are not announced again.
        if (socket->bytesAvailable() > 0)
            onReadyRead(socket);
    }
}

void InstanceChannel::onReadyRead(QLocalSocket* socket) {
    QByteArray buffer = socket->property(kBufferProperty).toByteArray();
    buffer += socket->read(InstanceMessage::kMaxSize + 1 - buffer.size());
    socket->setProperty(kBufferProperty, buffer);
    const int end = buffer.indexOf('\n');
    if (end < 0 && buffer.size() <= int(InstanceMessage::kMaxSize))
        return; // half a message: wait for the rest or the timeout
    // One message and nothing else: bytes after the line make it malformed.
    if (end >= 0 && socket->bytesAvailable() > 0)
        buffer += socket->read(1);
    const auto message =
        InstanceMessage::parse(std::string_view(buffer.constData(), size_t(buffer.size())));
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    m_waiting.removeOne(socket);
    if (!message || message->command == InstanceMessage::Command::Done) {
        socket->abort();
        return;
    }
    // The request may open a message box whose event loop must not let the
    // timeout drop, and delete, the socket under this frame.
    if (auto* timeout = socket->findChild<QTimer*>())
        timeout->stop();
    QPointer<QLocalSocket> guard(socket);
    m_handler(*message);
    if (guard.isNull())
        return;
    const std::string answer = InstanceMessage{InstanceMessage::Command::Done, 0}.encode();
    if (socket->state() == QLocalSocket::ConnectedState) {
        socket->write(answer.data(), static_cast<qint64>(answer.size()));
        socket->flush();
        socket->disconnectFromServer();
    }
}

} // namespace tolvane
