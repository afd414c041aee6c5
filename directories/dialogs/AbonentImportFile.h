#pragma once

// The subscriber import file: a text file in the OEM code page, lines
// ending in CR LF, every three lines one subscriber: the number (its first
// 32 characters), the name (the whole line), and a line that is read and
// ignored. At the end of the file a missing line reads as empty. Nothing is
// trimmed or upper-cased. A record whose number and name are both blank (a
// trailing blank line, blank lines at the end) holds no subscriber and is
// not handed on.

#include <QString>

#include <functional>

namespace korvane {

struct ImportedAbonent {
    QString Number;
    QString Name;
};

class AbonentImportFile {
public:
    static constexpr int NumberChars = 32;

    // Reads Path and hands each record to Add, in file order. False with
    // Error set when the file cannot be opened or read; the records before
    // the failure were handed on.
    static bool Read(const QString& path, const std::function<void(const ImportedAbonent&)>& add,
                     QString& error);
};

} // namespace korvane
