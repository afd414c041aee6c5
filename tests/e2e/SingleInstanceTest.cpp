// The program runs once per user: a second start, from the same folder or
// from a copy elsewhere, brings the first one forward and ends without
// touching its folder; a first instance killed outright never blocks the
// next start.

#include "ui/program/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <optional>
#include <vector>

using namespace korvane;

namespace {

// The lock and socket of one test, apart from any program really running.
QString testKey(const QString& name)
{
    return QStringLiteral("%1-test-%2-%3").arg(SingleInstance::DefaultKey(), name).arg(QCoreApplication::applicationPid());
}

TEST(SingleInstance, ALaterStartFindsTheFirstAndAsksItForward)
{
    SingleInstance first(testKey(QStringLiteral("raise")));
    ASSERT_TRUE(first.TryBecomeFirst());
    QSignalSpy raised(&first, &SingleInstance::RaiseRequested);

    SingleInstance second(testKey(QStringLiteral("raise")));
    EXPECT_FALSE(second.TryBecomeFirst());
    // The first answers from its event loop while the second waits.
    bool asked = false;
    const std::unique_ptr<QThread> asker(QThread::create([&] { asked = second.AskFirstToRaise(); }));
    asker->start();
    EXPECT_TRUE(raised.wait(5000));
    asker->wait();
    EXPECT_TRUE(asked);
    EXPECT_EQ(raised.count(), 1);

    SingleInstance other(testKey(QStringLiteral("other")));
    EXPECT_TRUE(other.TryBecomeFirst());
}

TEST(SingleInstance, NobodyListeningIsNoFirstInstance)
{
    SingleInstance lone(testKey(QStringLiteral("lone")));
    EXPECT_FALSE(lone.AskFirstToRaise(200));
}

// The runtime folder: XDG_RUNTIME_DIR when it names a folder, /tmp when it
// is unset, relative or names nothing.
TEST(SingleInstance, LockAndSocketLieInTheUsersRuntimeFolder)
{
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
    struct Case {
        const char* name;
        std::optional<QString> value; // unset when empty
        QString folder;
    };
    const Case cases[] = {
        {"set", runtime.path(), runtime.path()},
        {"unset", std::nullopt, QStringLiteral("/tmp")},
        {"relative", QStringLiteral("run/user"), QStringLiteral("/tmp")},
        {"missing", runtime.path() + QStringLiteral("/gone"), QStringLiteral("/tmp")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.value)
            qputenv("XDG_RUNTIME_DIR", c.value->toLocal8Bit());
        else
            qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", runtime.path().toLocal8Bit()); // never the way
        SingleInstance instance(QStringLiteral("k"));
        EXPECT_EQ(SingleInstance::RuntimeFolder(), c.folder);
        EXPECT_EQ(instance.LockPath(), c.folder + QStringLiteral("/k.lock"));
        EXPECT_EQ(instance.ServerName(), c.folder + QStringLiteral("/k"));
    }
    qunsetenv("TMPDIR");
    if (wasSet)
        qputenv("XDG_RUNTIME_DIR", saved);
    else
        qunsetenv("XDG_RUNTIME_DIR");
}

// The real program, copied into two folders; each start has a TMPDIR of its
// own, all share one runtime folder.
class SingleInstanceProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(runtime.isValid() && a.isValid() && b.isValid());
        for (QTemporaryDir* d : {&a, &b})
            ASSERT_TRUE(QFile::copy(QStringLiteral(KORVANE_PROGRAM_FILE), d->filePath(QStringLiteral("korvane2"))));
    }

    std::unique_ptr<QProcess> start(QTemporaryDir& folder)
    {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        auto& own = tmpDirs.emplace_back(std::make_unique<QTemporaryDir>());
        env.insert(QStringLiteral("TMPDIR"), own->path());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        for (int c = 1; c <= 8; ++c)
            env.insert(QStringLiteral("KORVANE_COM%1").arg(c), QStringLiteral("sim:e2e-nowhere"));
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(folder.path());
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p->start(folder.filePath(QStringLiteral("korvane2")), {});
        return p;
    }

    // The first instance has its lock and its socket.
    bool waitUntilListening(QProcess& p)
    {
        const QString socket = QDir(runtime.path()).filePath(SingleInstance::DefaultKey());
        QDeadlineTimer deadline(60000);
        p.waitForStarted(10000);
        while (!deadline.hasExpired() && p.state() == QProcess::Running) {
            if (QFileInfo::exists(socket))
                return true;
            p.waitForFinished(100);
        }
        return false;
    }

    static void kill9(QProcess& p)
    {
        ::kill(static_cast<pid_t>(p.processId()), SIGKILL);
        p.waitForFinished(10000);
    }

    QTemporaryDir runtime, a, b;
    std::vector<std::unique_ptr<QTemporaryDir>> tmpDirs;
};

TEST_F(SingleInstanceProgram, ASecondStartEndsAtOnceAndTouchesNoFile)
{
    auto first = start(a);
    ASSERT_TRUE(waitUntilListening(*first));

    for (QTemporaryDir* folder : {&a, &b}) {
        const QStringList before = QDir(folder->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        auto second = start(*folder);
        ASSERT_TRUE(second->waitForFinished(20000)) << "the second start kept running";
        EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(second->exitCode(), 0);
        if (folder == &b) {
            EXPECT_EQ(QDir(folder->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        }
    }
    EXPECT_EQ(first->state(), QProcess::Running);
    kill9(*first);
}

TEST_F(SingleInstanceProgram, AKilledFirstInstanceNeverBlocksTheNextStart)
{
    auto first = start(a);
    ASSERT_TRUE(waitUntilListening(*first));
    kill9(*first);

    auto next = start(b);
    ASSERT_TRUE(waitUntilListening(*next)) << "the start after a kill -9 did not run";
    EXPECT_FALSE(next->waitForFinished(2000));
    kill9(*next);
}

} // namespace
