// A printout through the system's printer that could not be made.
#pragma once

#include <QString>

#include <stdexcept>

namespace korvane {

// A printout through the system's printer that could not be made.
class PrintError : public std::runtime_error {
public:
    explicit PrintError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message)
    {
    }
    const QString& message() const noexcept { return message_; }

private:
    QString message_;
};

} // namespace korvane
