#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace korvane {

// An INI file with the semantics of the system's profile functions.
//
// - Sections ("[NAME]") and keys ("Key=Value") are found without regard to
//   letter case; the first match wins. Blanks around names and values are
//   not part of them; a value enclosed in a pair of double quotes reads
//   without them.
// - Every read reads the file afresh and every write rewrites it at once,
//   so several objects (and several parts of the program) on one file always
//   see each other's changes. Nothing is cached.
// - A write changes only the line of its key: other lines, sections, comments
//   (';'), blank lines and their line ends stay byte for byte. A new key goes
//   after the last entry of its section, a new section at the end of the file.
//   New and changed lines end in CR LF.
// - Text on disk is CP1251.
// - A missing file reads as empty; a write creates it. A write that cannot be
//   carried out returns false and leaves the file as it was.
//
// Reads and writes of all IniFile objects in the process are serialised, so
// a read-modify-write of one object never interleaves with another's.
class IniFile {
public:
    explicit IniFile(QString fileName);

    const QString& fileName() const { return m_fileName; }

    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // The value read by the profile integer rule (parseSystemInteger); the
    // default when the key is missing or its value is not an integer.
    qint32 ReadInteger(const QString& section, const QString& key, qint32 defaultValue) const;
    // ReadInteger with the default as 0/1; any value other than 0 is true.
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;

    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInteger(const QString& section, const QString& key, qint32 value);
    // Writes "1" or "0".
    bool WriteBool(const QString& section, const QString& key, bool value);

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    // The key names of a section, in file order (empty for a missing section).
    QStringList ReadSection(const QString& section) const;
    // The section names, in file order.
    QStringList ReadSections() const;
    // Removes the section's header and every line up to the next section.
    bool EraseSection(const QString& section);
    bool DeleteKey(const QString& section, const QString& key);

private:
    QString m_fileName;
};

} // namespace korvane
