#include "directories/DirectoryStatements.h"

namespace korvane {

void PrepareAbonentEdit(StatementQuery& query, const QString& number, const QString& name, const QString& answerBack)
{
    query.Clear();
    query.Add(QStringLiteral("UPDATE"));
    query.Add(QStringLiteral("\"ABONENTS.DB\""));
    query.Add(QStringLiteral("SET Abonent_NAME = :curName, Abonent_AnsBk = :curAB"));
    query.Add(QStringLiteral("WHERE Abonent_No = :curNo"));
    query.SetParam(QStringLiteral("curName"), name);
    query.SetParam(QStringLiteral("curAB"), answerBack);
    query.SetParam(QStringLiteral("curNo"), number);
}

void PrepareAbonentAdd(StatementQuery& query, const QString& number, const QString& name, const QString& answerBack)
{
    query.Clear();
    query.Add(QStringLiteral("INSERT INTO"));
    query.Add(QStringLiteral("\"ABONENTS.DB\" (ABONENT_No, ABONENT_Name, Abonent_AnsBk)"));
    query.Add(QStringLiteral("VALUES (:curNo, :curName, :curAB)"));
    query.SetParam(QStringLiteral("curNo"), number);
    query.SetParam(QStringLiteral("curName"), name);
    query.SetParam(QStringLiteral("curAB"), answerBack);
}

void PrepareAbonentDelete(StatementQuery& query, const QString& number)
{
    query.Clear();
    query.Add(QStringLiteral("DELETE"));
    query.Add(QStringLiteral("FROM \"ABONENTS.DB\""));
    query.Add(QStringLiteral("WHERE Abonent_No = :curNo"));
    query.SetParam(QStringLiteral("curNo"), number);
}

void PrepareCountryEdit(StatementQuery& query, const QString& id, const QString& name, const QString& letters)
{
    query.Clear();
    query.Add(QStringLiteral("UPDATE"));
    query.Add(QStringLiteral("\"COUNTRY.DB\""));
    query.Add(QStringLiteral("SET COUNTRY_NAME = :curName, COUNTRY_LETT = :curLett"));
    query.Add(QStringLiteral("WHERE COUNTRY_ID = :curId"));
    query.SetParam(QStringLiteral("curName"), name);
    query.SetParam(QStringLiteral("curLett"), letters);
    query.SetParam(QStringLiteral("curId"), id);
}

void PrepareCountryAdd(StatementQuery& query, const QString& code, const QString& name, const QString& letters)
{
    query.Clear();
    query.Add(QStringLiteral("INSERT INTO"));
    query.Add(QStringLiteral("\"COUNTRY.DB\" (COUNTRY_NAME, COUNTRY_CODE, COUNTRY_LETT)"));
    query.Add(QStringLiteral("VALUES (:curName, :CurCode, :curLett)"));
    query.SetParam(QStringLiteral("curName"), name);
    query.SetParam(QStringLiteral("curCode"), code);
    query.SetParam(QStringLiteral("curLett"), letters);
}

void PrepareCountryDelete(StatementQuery& query, const QString& id)
{
    query.Clear();
    query.Add(QStringLiteral("DELETE"));
    query.Add(QStringLiteral("FROM \"COUNTRY.DB\""));
    query.Add(QStringLiteral("WHERE COUNTRY_ID = :curId"));
    query.SetParam(QStringLiteral("curId"), id);
}

} // namespace korvane
