// One running program per user: the lock file, the local socket and the request to the first.
#include "ui/program/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>

#include <unistd.h>

namespace korvane {

namespace {

constexpr char RaiseRequest[] = "RESTOREAPP\n";

} // namespace

SingleInstance::SingleInstance(QString key, QObject* parent) : QObject(parent), key_(std::move(key)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultKey()
{
    return QStringLiteral("korvane2-%1").arg(::getuid());
}

QString SingleInstance::RuntimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        return QDir::cleanPath(runtime);
    return QStringLiteral("/tmp");
}

QString SingleInstance::LockPath() const
{
    return QDir(RuntimeFolder()).filePath(key_ + QStringLiteral(".lock"));
}

QString SingleInstance::ServerName() const
{
    return QDir(RuntimeFolder()).filePath(key_);
}

bool SingleInstance::TryBecomeFirst()
{
    if (lock_)
        return true;
    auto lock = std::make_unique<QLockFile>(LockPath());
    // Held for the program's whole life: only a dead owner makes it stale.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return false;
    lock_ = std::move(lock);

    // A socket left by a killed first instance is ours to replace now.
    QLocalServer::removeServer(ServerName());
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::AcceptPending);
    server_->listen(ServerName());
    return true;
}

void SingleInstance::AcceptPending()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->canReadLine() && socket->readLine() == RaiseRequest)
                emit RaiseRequested();
            socket->disconnectFromServer();
        });
    }
}

bool SingleInstance::AskFirstToRaise(int timeoutMs) const
{
    QLocalSocket socket;
    socket.connectToServer(ServerName());
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(RaiseRequest);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return sent;
}

} // namespace korvane
