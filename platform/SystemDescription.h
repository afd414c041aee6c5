#pragma once

#include <QByteArrayView>
#include <QString>

namespace korvane {

// The operating system's description written to the log at start-up: the
// distribution's name and the kernel, e.g.
// "Debian GNU/Linux 12 (bookworm), Linux 6.1.0-18-amd64 x86_64".

struct KernelIdentity {
    QString sysname; // "Linux"
    QString release; // "6.1.0-18-amd64"
    QString machine; // "x86_64"
};

// uname() of the running kernel; empty fields when it fails.
KernelIdentity kernelIdentity();

// PRETTY_NAME of /etc/os-release (else /usr/lib/os-release); empty when
// neither can be read or neither has it.
QString osPrettyName();

// PRETTY_NAME from the text of an os-release file: the value unquoted
// ('...' taken literally, "..." with \", \\, \$ and \` unescaped).
QString osPrettyNameFrom(QByteArrayView osRelease);

// PrettyName + ", " + the kernel's fields joined by blanks; either half
// alone when the other is empty; empty when both are.
QString systemDescriptionText(const QString& prettyName, const KernelIdentity& kernel);

// systemDescriptionText of the running system.
QString systemDescription();

} // namespace korvane
