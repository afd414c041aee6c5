#pragma once

#include <QString>

#include <stdexcept>

namespace korvane {

// A file that could not be opened, created, read or written. The message is
// the program's own text for the operator and the log, with the file's name.
class FileError : public std::runtime_error {
public:
    enum class Kind { Open, Create, Read, Write };

    FileError(Kind kind, const QString& message)
        : std::runtime_error(message.toStdString()), kind_(kind), message_(message)
    {
    }

    Kind kind() const noexcept { return kind_; }
    const QString& message() const noexcept { return message_; }

    // "Ошибка открытия файла <name>" and its siblings.
    static FileError openFailed(const QString& fileName)
    {
        return FileError(Kind::Open, QStringLiteral("Ошибка открытия файла %1").arg(fileName));
    }
    static FileError createFailed(const QString& fileName)
    {
        return FileError(Kind::Create, QStringLiteral("Ошибка создания файла %1").arg(fileName));
    }
    static FileError readFailed(const QString& fileName)
    {
        return FileError(Kind::Read, QStringLiteral("Ошибка чтения файла %1").arg(fileName));
    }
    static FileError writeFailed(const QString& fileName)
    {
        return FileError(Kind::Write, QStringLiteral("Ошибка записи файла %1").arg(fileName));
    }

private:
    Kind kind_;
    QString message_;
};

} // namespace korvane
