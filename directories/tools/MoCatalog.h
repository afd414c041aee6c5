#pragma once

// A GNU gettext message catalogue (.mo file): original texts and their
// translations, both UTF-8.

#include <QByteArray>
#include <QHash>
#include <QString>

namespace korvane::tools {

class MoCatalog {
public:
    // False with Error set when the file cannot be read or is no catalogue.
    bool Load(const QString& path, QString& error);
    // The translation of Original, or an empty text when there is none.
    QString Translate(const QString& original) const;

private:
    QHash<QByteArray, QByteArray> m_messages;
};

} // namespace korvane::tools
