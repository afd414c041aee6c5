#pragma once

// What the operator is told when a table refuses a change or cannot be
// opened: what happened, in his words, with the table's file named,
// instead of the database engine's own text ("attempt to write a readonly
// database", "CHECK constraint failed: ...").

#include <QSqlError>
#include <QString>

namespace korvane {

// The reason, as the end of a sentence ("таблица ... доступна только для
// чтения"). Fallback, when Error carries no database error, is the text
// that said what went wrong instead.
QString TableErrorReason(const QSqlError& error, const QString& fallback, const QString& tablePath);

} // namespace korvane
