#pragma once

#include <QString>

#include <stdexcept>

namespace korvane {

// A failure inside the channel engine (a step without an element, a bad
// parameter value, a jump to a missing step). The message is the program's
// own text, written to the daily log by whoever catches it.
class EngineError : public std::runtime_error {
public:
    explicit EngineError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message)
    {
    }
    const QString& message() const noexcept { return message_; }

private:
    QString message_;
};

// The message of any exception the engine catches, as text.
QString ExceptionMessage(const std::exception& e);
// The message of the exception being handled, whatever its type (call it
// only inside a handler): "Неизвестное исключение" for one that is not a
// std::exception.
QString CurrentExceptionMessage();

} // namespace korvane
