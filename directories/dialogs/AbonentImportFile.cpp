#include "directories/dialogs/AbonentImportFile.h"

#include "platform/CodePages.h"
#include "support/OemText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

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

// Why Path cannot be read as an import file; empty when it can.
QString OpenProblem(const QString& path)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("Импорт невозможен: %1 — это папка, а не файл").arg(shown);
    if (!info.exists())
        return QStringLiteral("Импорт невозможен: файл %1 не найден").arg(shown);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        ::close(fd);
        return {};
    }
    if (errno == EACCES || errno == EPERM)
        return QStringLiteral("Импорт невозможен: нет прав на чтение файла %1").arg(shown);
    return QStringLiteral("Импорт невозможен: файл %1 не открывается").arg(shown);
}

// How often each Russian letter occurs in text, per thousand letters.
int LetterWeight(QChar c)
{
    static const int weights[33] = {
        // а   б   в   г   д   е  ж   з   и   й   к   л   м   н   о    п   р   с   т   у   ф  х   ц  ч   ш  щ  ъ  ы   ь   э  ю  я
        80, 16, 45, 17, 30, 85, 9, 16, 74, 12, 35, 44, 32, 67, 110, 28, 47, 55, 63, 26, 3, 10, 5, 15, 7, 3, 1, 19, 17, 3, 6, 20, 1};
    const char16_t l = c.toLower().unicode();
    if (l >= u'а' && l <= u'я')
        return weights[l - u'а'];
    return l == u'ё' ? weights[32] : 0;
}

int RussianScore(const QString& text)
{
    int score = 0;
    for (const QChar c : text)
        score += LetterWeight(c);
    return score;
}

} // namespace

bool AbonentImportFile::Read(const QString& path, const std::function<void(const ImportedAbonent&)>& add,
                             QString& error)
{
    return Read(path, ImportCodePage::Oem, add, error);
}

bool AbonentImportFile::LooksLikeAnsi(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // The first megabyte tells.
    const QByteArray bytes = file.read(1024 * 1024);
    const int asOem = RussianScore(OemToAnsi(bytes));
    const int asAnsi = RussianScore(codepage::fromCp1251(bytes));
    return asAnsi > 0 && 2 * asAnsi > 3 * asOem;
}

bool AbonentImportFile::Read(const QString& path, ImportCodePage codePage,
                             const std::function<void(const ImportedAbonent&)>& add, QString& error)
{
    if (const QString problem = OpenProblem(path); !problem.isEmpty()) {
        error = problem;
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Импорт невозможен: файл %1 не открывается").arg(QDir::toNativeSeparators(path));
        return false;
    }
    const auto decode = [codePage](const QByteArray& bytes) {
        return codePage == ImportCodePage::Ansi ? codepage::fromCp1251(bytes) : OemToAnsi(bytes);
    };
    QByteArray number;
    QByteArray name;
    QByteArray ignored;
    while (ReadLine(file, number)) {
        ReadLine(file, name);
        ReadLine(file, ignored);
        if (file.error() != QFileDevice::NoError)
            break;
        ImportedAbonent record{decode(number.left(NumberChars)), decode(name)};
        if (Blank(record.Number) && Blank(record.Name))
            continue;
        add(record);
    }
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("Импорт прерван: ошибка чтения файла %1").arg(QDir::toNativeSeparators(path));
        return false;
    }
    return true;
}

} // namespace korvane
