#pragma once

// The change statements of the subscriber directory and the country code
// dialog, prepared on the data module's DynamicQuery with their values as
// bound parameters. The deletions name their key as a parameter too, so a
// number or a name holding a quote character is deleted like any other.
// Values are passed as they are to be stored (upper-casing is the
// dialogs').

#include "directories/StatementQuery.h"

namespace korvane {

// UPDATE "ABONENTS.DB" SET Abonent_NAME = :curName, Abonent_AnsBk = :curAB WHERE Abonent_No = :curNo
void PrepareAbonentEdit(StatementQuery& query, const QString& number, const QString& name, const QString& answerBack);
// INSERT INTO "ABONENTS.DB" (ABONENT_No, ABONENT_Name, Abonent_AnsBk) VALUES (:curNo, :curName, :curAB);
// also the import's statement.
void PrepareAbonentAdd(StatementQuery& query, const QString& number, const QString& name, const QString& answerBack);
// DELETE FROM "ABONENTS.DB" WHERE Abonent_No = :curNo
void PrepareAbonentDelete(StatementQuery& query, const QString& number);

// Several countries share a dial code (1, 7, 44, ...) and a name can occur
// twice, so the country edits and deletions name the one record by its
// COUNTRY_ID.
// UPDATE "COUNTRY.DB" SET COUNTRY_NAME = :curName, COUNTRY_LETT = :curLett WHERE COUNTRY_ID = :curId
void PrepareCountryEdit(StatementQuery& query, const QString& id, const QString& name, const QString& letters);
// INSERT INTO "COUNTRY.DB" (COUNTRY_NAME, COUNTRY_CODE, COUNTRY_LETT) VALUES (:curName, :CurCode, :curLett)
void PrepareCountryAdd(StatementQuery& query, const QString& code, const QString& name, const QString& letters);
// DELETE FROM "COUNTRY.DB" WHERE COUNTRY_ID = :curId
void PrepareCountryDelete(StatementQuery& query, const QString& id);

} // namespace korvane
