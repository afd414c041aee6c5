#include "directories/TableErrorText.h"

#include <QDir>
#include <QRegularExpression>

namespace korvane {

namespace {

// SQLite's primary result codes.
enum : int {
    Perm = 3,
    Busy = 5,
    Locked = 6,
    ReadOnly = 8,
    IoErr = 10,
    Corrupt = 11,
    Full = 13,
    CantOpen = 14,
    TooBig = 18,
    Constraint = 19,
    Auth = 23,
    NotADb = 26,
};

// The field as the record forms label it.
QString FieldLabel(const QString& field)
{
    static const struct {
        const char* field;
        const char* label;
    } labels[] = {
        {"ABONENT_No", "Номер абонента"},  {"ABONENT_Name", "Адрес"},         {"ABONENT_AnsBk", "Автоответ"},
        {"COUNTRY_NAME", "Название страны"}, {"COUNTRY_CODE", "Код страны"}, {"COUNTRY_LETT", "Символьный код"},
    };
    for (const auto& l : labels)
        if (field.compare(QLatin1String(l.field), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(l.label);
    return field;
}

} // namespace

QString TableErrorReason(const QSqlError& error, const QString& fallback, const QString& tablePath)
{
    if (error.type() == QSqlError::NoError)
        return fallback;
    const QString table = QDir::toNativeSeparators(tablePath);
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric) & 0xFF;
    switch (numeric ? code : -1) {
    case ReadOnly:
        return QStringLiteral("таблица %1 доступна только для чтения (нет права записи в файл или в его папку)")
            .arg(table);
    case CantOpen:
        return QStringLiteral("таблица %1 не открывается (нет доступа к файлу или к его папке)").arg(table);
    case Perm:
    case Auth:
        return QStringLiteral("нет прав на изменение таблицы %1").arg(table);
    case Full:
        return QStringLiteral("на диске не хватает места для таблицы %1").arg(table);
    case Busy:
    case Locked:
        return QStringLiteral("таблица %1 занята другой программой").arg(table);
    case IoErr:
        return QStringLiteral("ошибка чтения или записи файла таблицы %1").arg(table);
    case Corrupt:
    case NotADb:
        return QStringLiteral("файл таблицы %1 повреждён").arg(table);
    case TooBig:
        return QStringLiteral("значение слишком велико для таблицы %1").arg(table);
    case Constraint: {
        // The tables bound their text fields by "length(field) <= n".
        static const QRegularExpression length(QStringLiteral("length\\(\\s*\"?([^\")]+)\"?\\s*\\)\\s*<=\\s*(\\d+)"));
        const QRegularExpressionMatch m = length.match(error.databaseText());
        if (m.hasMatch())
            return QStringLiteral("поле «%1» таблицы %2 вмещает не более %3 знаков")
                .arg(FieldLabel(m.captured(1)), table, m.captured(2));
        return QStringLiteral("таблица %1 не принимает такое значение").arg(table);
    }
    default:
        return QStringLiteral("ошибка таблицы %1 (%2)").arg(table, error.databaseText());
    }
}

} // namespace korvane
