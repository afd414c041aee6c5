#pragma once

// The subscriber import file: a text file in the OEM code page, lines
// ending in CR LF, every three lines one subscriber: the number (its first
// 32 characters), the name (the whole line), and a line that is read and
// ignored. At the end of the file a missing line reads as empty. Nothing is
// trimmed or upper-cased. A record whose number and name are both blank (a
// trailing blank line, blank lines at the end) holds no subscriber and is
// not handed on. A file written in the Windows code page (CP1251) instead
// is recognised by its letters and, when the operator agrees, read in it.

#include <QString>

#include <functional>

namespace korvane {

struct ImportedAbonent {
    QString Number;
    QString Name;
};

enum class ImportCodePage {
    Oem,  // CP866, the import file's own
    Ansi, // CP1251
};

class AbonentImportFile {
public:
    static constexpr int NumberChars = 32;

    // Reads Path and hands each record to Add, in file order. False with
    // Error set (in the operator's words, the file named) when the file
    // cannot be opened or read; the records before the failure were
    // handed on.
    static bool Read(const QString& path, const std::function<void(const ImportedAbonent&)>& add,
                     QString& error);
    static bool Read(const QString& path, ImportCodePage codePage,
                     const std::function<void(const ImportedAbonent&)>& add, QString& error);

    // Whether the file's letters read as Russian text in CP1251 far better
    // than in CP866, where they would come out as pseudo-graphics. A file
    // that cannot be read, or holds no Cyrillic letter, is no CP1251 file.
    static bool LooksLikeAnsi(const QString& path);
};

} // namespace korvane
