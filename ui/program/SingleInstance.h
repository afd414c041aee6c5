#pragma once

// One running program per user and machine, wherever its file lies. The
// first start holds a lock file for its whole life and listens on a local
// socket; a later start finds the lock held, asks the first one through the
// socket to bring its main window forward, and ends. A lock left by a
// program that was killed is recognised as stale and taken over.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace korvane {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    // The lock and the socket are named after Key, in the user's runtime
    // folder (RuntimeFolder), whatever TMPDIR says.
    explicit SingleInstance(QString key, QObject* parent = nullptr);
    ~SingleInstance() override;

    // "korvane2-<user id>": one instance per user on this machine.
    static QString DefaultKey();
    // The user's runtime folder (XDG_RUNTIME_DIR) when it names an existing
    // folder by an absolute path; otherwise /tmp, where the key's user id
    // keeps users apart.
    static QString RuntimeFolder();

    // Takes the lock when no other living program holds it: this is the
    // first instance. It then listens for later starts.
    bool TryBecomeFirst();
    // A later start: asks the first instance to bring its window forward.
    // False when it cannot be reached (it is still starting or just ending).
    bool AskFirstToRaise(int timeoutMs = 2000) const;

    QString LockPath() const;
    // The local socket's full path.
    QString ServerName() const;

signals:
    // A later start asked for the main window.
    void RaiseRequested();

private:
    void AcceptPending();

    QString key_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace korvane
