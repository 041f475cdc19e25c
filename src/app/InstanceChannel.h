// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/startup/InstanceMessage.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;
class QLocalSocket;

namespace tolvane {

// The single-instance rule on Linux: the running instance listens on a local
// socket named after its class name, in a directory only this user can
// enter ($XDG_RUNTIME_DIR/tolvane, else /tmp/tolvane-<uid>, mode 0700 and
// owned by the user, or it is not used). A second start connects to it,
// sends one InstanceMessage and waits for the answer "DONE", sent once the
// running instance has acted (for CLOSE: once it has saved and closed).
//
// A socket file left by a crashed instance answers no connection: the client
// counts it as no instance and the next server removes it. The server reads
// without blocking; a connection that sends nothing, or half a message, or
// anything malformed is dropped after kReadTimeoutMs without any effect.
// A connection from another user (the peer's credentials, should the
// directory ever let one through) is dropped as it comes; past
// kMaxConnections waiting at once, the oldest is dropped for the newest, so
// idle connections never lock a real second start out.
class InstanceChannel : public QObject {
    Q_OBJECT

public:
    static constexpr int kReadTimeoutMs = 3000;
    static constexpr int kMaxConnections = 16;

    // The per-user directory, created when missing; empty when it cannot be
    // made private to this user.
    static QString privateDirectory();
    // The socket path for a class name (Windows-1252 text, only letters and
    // digits are kept); empty without a private directory.
    static QString socketPath(const std::string& className);

    enum class SendResult { NoInstance, Done, Failed };
    // Sends message to the instance listening at path and waits up to
    // answerTimeoutMs for its answer. For CLOSE it then also waits until the
    // instance has gone.
    static SendResult send(const QString& path, const InstanceMessage& message,
                           int answerTimeoutMs);

    // What the running instance does with a request; the answer is sent
    // when it returns.
    using Handler = std::function<void(const InstanceMessage&)>;

    explicit InstanceChannel(Handler handler, QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Listens at path, replacing a stale socket file; false when it cannot.
    bool listen(const QString& path);
    QString path() const { return m_path; }

private:
    void onNewConnection();
    void onReadyRead(QLocalSocket* socket);

    Handler m_handler;
    QLocalServer* m_server = nullptr;
    QString m_path;
    // The connections still waiting for their message, oldest first.
    QList<QLocalSocket*> m_waiting;
};

} // namespace tolvane
