#pragma once

// What the benchmark programs share: the application object their timers
// and queued signals need, settings from the environment, and a box and a
// beep that stay silent.

#include "platform/MessageBox.h"
#include "platform/SystemBeep.h"

#include <QCoreApplication>
#include <QFile>
#include <QtGlobal>

#include <unistd.h>

namespace korvane::bench {

// The program's one application object, made on first use.
inline QCoreApplication& App(const char* programName)
{
    static int argc = 1;
    static QByteArray name(programName);
    static char* argv[] = {name.data(), nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// A positive whole number from the environment, else Fallback.
inline int EnvInt(const char* name, int fallback)
{
    const int v = qEnvironmentVariableIntValue(name);
    return v > 0 ? v : fallback;
}

// The resident size of process Pid (0: this one) in MiB; 0 when it is gone.
inline double ResidentMiB(qint64 pid = 0)
{
    QFile statm(pid > 0 ? QStringLiteral("/proc/%1/statm").arg(pid) : QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

class QuietBox final : public MessageBox {
public:
    MessageResult show(const QString&, const QString&, MessageIcon, MessageButtons) override { return MessageResult::Ok; }
};

class QuietBeep final : public SystemBeep {
public:
    void beep() override {}
};

} // namespace korvane::bench
