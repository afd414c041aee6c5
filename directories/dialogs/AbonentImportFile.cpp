#include "directories/dialogs/AbonentImportFile.h"

#include "support/OemText.h"

#include <QFile>

namespace korvane {

namespace {

// One line without its end; false at the end of the file or on an error.
bool ReadLine(QFile& file, QByteArray& line)
{
    line.clear();
    if (file.atEnd())
        return false;
    line = file.readLine();
    if (line.isEmpty() && file.error() != QFileDevice::NoError)
        return false;
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return true;
}

bool Blank(const QString& s)
{
    return s.trimmed().isEmpty();
}

} // namespace

bool AbonentImportFile::Read(const QString& path, const std::function<void(const ImportedAbonent&)>& add,
                             QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Ошибка открытия файла %1: %2").arg(path, file.errorString());
        return false;
    }
    QByteArray number;
    QByteArray name;
    QByteArray ignored;
    while (ReadLine(file, number)) {
        ReadLine(file, name);
        ReadLine(file, ignored);
        if (file.error() != QFileDevice::NoError)
            break;
        ImportedAbonent record{OemToAnsi(number.left(NumberChars)), OemToAnsi(name)};
        if (Blank(record.Number) && Blank(record.Name))
            continue;
        add(record);
    }
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("Ошибка чтения файла %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace korvane
