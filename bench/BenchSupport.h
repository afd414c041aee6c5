#pragma once

// What the benchmark programs share: the application object their timers
// and queued signals need, settings from the environment, and a box and a
// beep that stay silent.

#include "platform/MessageBox.h"
#include "platform/SystemBeep.h"

#include <QCoreApplication>
#include <QtGlobal>

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

class QuietBox final : public MessageBox {
public:
    MessageResult show(const QString&, const QString&, MessageIcon, MessageButtons) override { return MessageResult::Ok; }
};

class QuietBeep final : public SystemBeep {
public:
    void beep() override {}
};

} // namespace korvane::bench
