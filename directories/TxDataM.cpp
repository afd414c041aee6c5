#include "directories/TxDataM.h"

#include "directories/DirectoryTables.h"
#include "directories/ParadoxTable.h"
#include "directories/SqliteTableFile.h"
#include "directories/TableErrorText.h"
#include "directories/TableFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace korvane {

namespace {

const QString Caption = QStringLiteral("Korvane 2");

QString Inaccessible(const QString& path, const QString& reason)
{
    return QStringLiteral("Таблица %1 недоступна: %2. Файл оставлен как есть.")
        .arg(QDir::toNativeSeparators(path), reason.isEmpty() ? QStringLiteral("файл не открывается") : reason);
}

} // namespace

TTxDataModule::TTxDataModule(const QString& dbPath, MessageBox& box, QObject* parent)
    : TTxDataModule(dbPath, box, std::nullopt, parent)
{
}

TTxDataModule::TTxDataModule(const QString& dbPath, MessageBox& box,
                             std::optional<std::chrono::milliseconds> paradoxDeadline, QObject* parent)
    : QObject(parent),
      m_connection(NewConnectionName(u"directories")),
      CountryQuery(m_connection),
      DynamicQuery(m_connection),
      AbonentQuery(m_connection),
      m_dbPath(dbPath),
      m_box(box),
      m_paradoxDeadline(paradoxDeadline),
      m_abonents{AbonentsFileName(), QStringLiteral("abonents")},
      m_country{CountryFileName(), QStringLiteral("country")}
{
    CountryQuery.SetAfterScroll([this] { CountryQueryAfterScroll(); });
    AbonentQuery.SetAfterScroll([this] { AbonentQueryAfterScroll(); });
    DataModuleCreate();
}

TTxDataModule::~TTxDataModule()
{
    CountryQuery.Close();
    AbonentQuery.Close();
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

void TTxDataModule::CountryQueryAfterScroll()
{
    OnCountryScroll(this);
}

void TTxDataModule::AbonentQueryAfterScroll()
{
    OnAbonentScroll(this);
}

void TTxDataModule::Report(const QString& text)
{
    m_box.show(text, Caption, MessageIcon::Error, MessageButtons::Ok);
}

void TTxDataModule::DataModuleCreate()
{
    {
        // The tables are attached to one connection as they are found, so
        // that a statement names a table by its file name alone.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (!db.open()) {
            Report(db.lastError().text());
            return;
        }
    }

    // The subscriber table: created when missing; an existing file is used
    // as it is, whatever its fields.
    bool abonentsReported = false;
    {
        bool missing = false;
        QString error;
        if (!PrepareTable(m_abonents, missing, error) && !missing) {
            Report(error);
            abonentsReported = true;
        } else if (missing) {
            if (!CreateAbonentsTable(AbonentsFileName(), error)) {
                Report(error);
                abonentsReported = true;
            }
        }
    }

    if (!OpenCountryQuery(QStringLiteral("COUNTRY_ID")))
        Report(m_countryError);
    if (!OpenAbonentQuery(QStringLiteral("ABONENT_ID")) && !abonentsReported)
        Report(m_abonentError);
}

QString TTxDataModule::TablePath(const Table& table) const
{
    if (!table.Path.isEmpty())
        return table.Path;
    const QString found = FindTableFile(m_dbPath, table.FileName);
    return found.isEmpty() ? QDir(m_dbPath).filePath(table.FileName) : found;
}

QString TTxDataModule::AbonentChangeError() const
{
    return TableErrorReason(DynamicQuery.LastSqlError(), DynamicQuery.LastError(), AbonentTablePath());
}

QString TTxDataModule::CountryChangeError() const
{
    return TableErrorReason(DynamicQuery.LastSqlError(), DynamicQuery.LastError(), CountryTablePath());
}

bool TTxDataModule::CreateAbonentsTable(const QString& name, QString& error)
{
    const QString fileName = QFileInfo(name).fileName();
    const QString path = QDir(m_dbPath).filePath(fileName);
    if (!QFileInfo(m_dbPath).isDir()) {
        error = QStringLiteral("Не найдена папка базы данных ") + QDir::toNativeSeparators(m_dbPath);
        return false;
    }
    if (WriteTableFile(path, fileName.toLower(), AbonentsTableColumns(), {}, error))
        return true;
    error = QStringLiteral("Таблица абонентов не создана: ") + error;
    return false;
}

void TTxDataModule::SetAside(const QString& path, const QString& reason)
{
    QString renameError;
    const QString aside = KeepAside(path, QStringLiteral(".unreadable"), renameError);
    if (aside.isEmpty())
        Report(QStringLiteral("Таблица %1 не читается: %2.\nПереименовать файл не удалось: %3")
                   .arg(QDir::toNativeSeparators(path), reason, renameError));
    else
        Report(QStringLiteral("Таблица %1 не читается: %2.\nФайл сохранён под именем %3")
                   .arg(QDir::toNativeSeparators(path), reason, QDir::toNativeSeparators(aside)));
}

bool TTxDataModule::ImportParadox(const QString& path, const Table& table, QString& error)
{
    ParadoxContents contents;
    const bool read = m_paradoxDeadline ? ReadParadoxTable(path, contents, error, *m_paradoxDeadline)
                                        : ReadParadoxTable(path, contents, error);
    if (!read)
        return false;
    // The Paradox file moves aside first, so that the new table takes its
    // name; should the new table fail, the Paradox file comes back.
    QString renameError;
    const QString aside = KeepAside(path, QStringLiteral(".paradox"), renameError);
    if (aside.isEmpty()) {
        error = QStringLiteral("Не могу переименовать файл ") + QDir::toNativeSeparators(path) + QStringLiteral(": ")
                + renameError;
        return false;
    }
    if (!WriteTableFile(path, table.FileName, contents.Columns, contents.Rows, error)) {
        QFile back(aside);
        back.rename(path);
        return false;
    }
    return true;
}

bool TTxDataModule::Attach(Table& table, const QString& path, QString& error, bool& damaged)
{
    damaged = false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    if (!db.isOpen()) {
        error = QStringLiteral("База данных не открыта");
        return false;
    }
    const auto fail = [&](const QSqlError& sqlError) {
        bool numeric = false;
        const int code = sqlError.nativeErrorCode().toInt(&numeric) & 0xFF;
        // Only a file that is not a database, or a damaged one, is moved
        // aside; one the program may not open stays as it is.
        damaged = numeric && (code == 11 || code == 26);
        error = TableErrorReason(sqlError, sqlError.text(), path);
    };
    QSqlQuery query(db);
    query.prepare(QStringLiteral("ATTACH DATABASE ? AS ") + table.Schema);
    query.bindValue(0, path);
    if (!query.exec()) {
        fail(query.lastError());
        return false;
    }
    table.Attached = true;
    table.Path = path;
    // Reading the schema finds a damaged database now, not at the first query.
    if (!query.exec(QStringLiteral("SELECT count(*) FROM ") + table.Schema + QStringLiteral(".sqlite_master"))) {
        fail(query.lastError());
        query.finish();
        Detach(table);
        return false;
    }
    return true;
}

void TTxDataModule::Detach(Table& table)
{
    if (!table.Attached)
        return;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.exec(QStringLiteral("DETACH DATABASE ") + table.Schema);
    table.Attached = false;
    table.Path.clear();
}

bool TTxDataModule::PrepareTable(Table& table, bool& missing, QString& error)
{
    missing = false;
    if (table.Attached)
        return true;
    QString path = FindTableFile(m_dbPath, table.FileName);
    if (path.isEmpty()) {
        missing = true;
        error = QStringLiteral("Не найдена таблица ") + QDir::toNativeSeparators(QDir(m_dbPath).filePath(table.FileName));
        return false;
    }
    switch (ClassifyTableFile(path)) {
    case TableFileKind::Sqlite:
        break;
    case TableFileKind::Paradox: {
        QString importError;
        if (!ImportParadox(path, table, importError)) {
            if (QFileInfo::exists(path))
                SetAside(path, importError);
            missing = !QFileInfo::exists(path);
            error = missing ? QStringLiteral("Не найдена таблица ") + QDir::toNativeSeparators(path) : importError;
            return false;
        }
        break;
    }
    case TableFileKind::Unknown:
        SetAside(path, QStringLiteral("это не таблица SQLite и не таблица Paradox"));
        missing = !QFileInfo::exists(path);
        error = QStringLiteral("Не найдена таблица ") + QDir::toNativeSeparators(path);
        return false;
    case TableFileKind::Inaccessible:
        // Not the program's to replace: the operator's table stays as it is.
        error = Inaccessible(path, TableFileAccessProblem(path));
        return false;
    }
    QString attachError;
    bool damaged = false;
    if (!Attach(table, path, attachError, damaged)) {
        if (!damaged) {
            error = Inaccessible(path, attachError);
            return false;
        }
        SetAside(path, attachError);
        missing = !QFileInfo::exists(path);
        error = missing ? QStringLiteral("Не найдена таблица ") + QDir::toNativeSeparators(path) : attachError;
        return false;
    }
    return true;
}

bool TTxDataModule::OpenQuery(BrowseQuery& query, Table& table, const QString& orderBy, QString& error)
{
    query.Close();
    error.clear();
    // The order is a field name, optionally descending: a name cannot be
    // a bound parameter, so nothing else may reach the statement.
    static const QRegularExpression order(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*( DESC)?$"));
    if (!order.match(orderBy).hasMatch()) {
        error = QStringLiteral("Неверный порядок записей: ") + orderBy;
        return false;
    }
    bool missing = false;
    if (!PrepareTable(table, missing, error))
        return false;
    query.SetSql({QStringLiteral("SELECT *"), QStringLiteral("FROM \"") + table.FileName + u'"',
                  QStringLiteral("ORDER BY ") + orderBy});
    if (!query.Open()) {
        error = query.LastError();
        return false;
    }
    return true;
}

bool TTxDataModule::OpenCountryQuery(const QString& orderBy)
{
    return OpenQuery(CountryQuery, m_country, orderBy, m_countryError);
}

bool TTxDataModule::OpenAbonentQuery(const QString& orderBy)
{
    return OpenQuery(AbonentQuery, m_abonents, orderBy, m_abonentError);
}

bool TTxDataModule::RefreshCountryQuery()
{
    m_countryError.clear();
    if (CountryQuery.Refresh())
        return true;
    m_countryError = CountryQuery.LastError();
    return false;
}

bool TTxDataModule::RefreshAbonentQuery()
{
    m_abonentError.clear();
    if (AbonentQuery.Refresh())
        return true;
    m_abonentError = AbonentQuery.LastError();
    return false;
}

bool TTxDataModule::RefreshCountryRecords(QStringView field, const QString& value)
{
    m_countryError.clear();
    if (CountryQuery.RefreshRecords(field, value))
        return true;
    m_countryError = CountryQuery.LastError();
    return false;
}

bool TTxDataModule::RefreshAbonentRecords(QStringView field, const QString& value)
{
    m_abonentError.clear();
    if (AbonentQuery.RefreshRecords(field, value))
        return true;
    m_abonentError = AbonentQuery.LastError();
    return false;
}

} // namespace korvane
