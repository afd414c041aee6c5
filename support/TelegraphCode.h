#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>

namespace korvane {

// The 5-bit telegraph code of the line: the Latin-letters and figures
// registers of the international alphabet, plus a Russian-letters register
// selected by code 0. Code values are numbered from the first element of a
// character as bit 0 ('E' is 1, 'A' is 3).
//
// Program side: telegraph text is a QString in which a few mark characters
// stand for control codes. Line side: a QByteArray of codes, one per byte,
// the code in bits 0-4 (decoding ignores bits 5-7).
//
// The conversions keep no state of their own: the register in force belongs
// to the caller and is handed in and out on every call. They may run on any
// thread at once; the only table entry that changes at run time (figures
// code 10) is read and written atomically.

// The shift state of a conversion; the values are the shift codes.
using TelegraphRegister = std::uint8_t;

inline constexpr TelegraphRegister RussianRegister = 0;
inline constexpr TelegraphRegister LatinRegister = 31;
inline constexpr TelegraphRegister FiguresRegister = 27;
// Any other value means no register is in force; this is the one used.
inline constexpr TelegraphRegister NoRegister = 255;

// Characters of telegraph text that stand for control codes.
namespace TelegraphTextMarks {
inline constexpr char16_t CarriageReturn = u'<';    // code 8
inline constexpr char16_t LineFeed = u'_';          // code 2
inline constexpr char16_t RussianShift = u'*';      // code 0
inline constexpr char16_t LatinShift = u'$';        // code 31
inline constexpr char16_t FiguresShift = u'^';      // code 27
inline constexpr char16_t AnswerbackRequest = u'@'; // codes 27, 9
inline constexpr char16_t Bell = u'\\';             // codes 31, 27, 11
} // namespace TelegraphTextMarks

// Decode tables, indexed by the code. Codes 0, 27 and 31 are the shifts and
// never index a table (their entries hold NUL). Figures code 10 is shown by
// figsCodeTableEntry10(); the entry here is its value at start.
using TelegraphDecodeTable = std::array<char16_t, 32>;

inline constexpr TelegraphDecodeTable LatCodeTable = {
    0,    u'E', u'\n', u'A', u' ', u'S', u'I', u'U',  // 0-7
    u'\r', u'D', u'R', u'J', u'N', u'F', u'C', u'K', // 8-15
    u'T', u'Z', u'L', u'W', u'H', u'Y', u'P', u'Q',  // 16-23
    u'O', u'B', u'G', 0,    u'M', u'X', u'V', 0,     // 24-31
};

inline constexpr TelegraphDecodeTable RusCodeTable = {
    0,    u'Е', u'\n', u'А', u' ', u'С', u'И', u'У',  // 0-7
    u'\r', u'Д', u'Р', u'Й', u'Н', u'Ф', u'Ц', u'К', // 8-15
    u'Т', u'З', u'Л', u'В', u'Х', u'Ы', u'П', u'Я',  // 16-23
    u'О', u'Б', u'Г', 0,    u'М', u'Ь', u'Ж', 0,     // 24-31
};

inline constexpr TelegraphDecodeTable FigsCodeTable = {
    0,    u'3', u'\n', u'-', u' ', u'\'', u'8', u'7', // 0-7
    u'\r', u'@', u'Ч', u'Ю', u',', u'Э', u':', u'(',  // 8-15
    u'5', u'+', u')', u'2', u'Щ', u'6', u'0', u'1',   // 16-23
    u'9', u'?', u'Ш', 0,    u'.', u'/', u'=', 0,      // 24-31
};

// How figures code 10 decodes: 'Ч' at start, '4' while the driver modes
// ask for it. Safe to call from any thread.
void setFigsCodeTableEntry10(QChar c);
QChar figsCodeTableEntry10();

// Encode tables: class in bits 6-7, code in bits 0-4.
// Class 0 = any register (no shift), 1 = Latin letters, 2 = Russian letters,
// 3 = figures.
enum class TelegraphClass : std::uint8_t { Any = 0, Latin = 1, Russian = 2, Figures = 3 };

constexpr std::uint8_t telegraphEntry(TelegraphClass cls, std::uint8_t code)
{
    return static_cast<std::uint8_t>((static_cast<std::uint8_t>(cls) << 6) | (code & 31));
}
constexpr TelegraphClass telegraphEntryClass(std::uint8_t entry)
{
    return static_cast<TelegraphClass>(entry >> 6);
}
constexpr std::uint8_t telegraphEntryCode(std::uint8_t entry) { return entry & 31; }

namespace detail {
constexpr std::uint8_t any(std::uint8_t code) { return telegraphEntry(TelegraphClass::Any, code); }
constexpr std::uint8_t lat(std::uint8_t code) { return telegraphEntry(TelegraphClass::Latin, code); }
constexpr std::uint8_t rus(std::uint8_t code) { return telegraphEntry(TelegraphClass::Russian, code); }
constexpr std::uint8_t fig(std::uint8_t code) { return telegraphEntry(TelegraphClass::Figures, code); }
} // namespace detail

// ' ' (32) to '?' (63). Characters without a telegraph sign are spaces (0/4).
inline constexpr std::array<std::uint8_t, 32> AsciiCodeTable = {
    detail::any(4),  detail::any(4),  detail::fig(5),  detail::lat(12), // space ! " #
    detail::any(4),  detail::any(4),  detail::any(4),  detail::fig(5),  // $ % & '
    detail::fig(15), detail::fig(18), detail::any(4),  detail::fig(17), // ( ) * +
    detail::fig(12), detail::fig(3),  detail::fig(28), detail::fig(29), // , - . /
    detail::fig(22), detail::fig(23), detail::fig(19), detail::fig(1),  // 0 1 2 3
    detail::fig(10), detail::fig(16), detail::fig(21), detail::fig(7),  // 4 5 6 7
    detail::fig(6),  detail::fig(24), detail::fig(14), detail::any(4),  // 8 9 : ;
    detail::any(4),  detail::fig(30), detail::any(4),  detail::fig(25), // < = > ?
};

// 'A' to 'Z', also used for 'a' to 'z'.
inline constexpr std::array<std::uint8_t, 26> LatinCodeTable = {
    detail::lat(3),  detail::lat(25), detail::lat(14), detail::lat(9),  // A B C D
    detail::lat(1),  detail::lat(13), detail::lat(26), detail::lat(20), // E F G H
    detail::lat(6),  detail::lat(11), detail::lat(15), detail::lat(18), // I J K L
    detail::lat(28), detail::lat(12), detail::lat(24), detail::lat(22), // M N O P
    detail::lat(23), detail::lat(10), detail::lat(5),  detail::lat(16), // Q R S T
    detail::lat(7),  detail::lat(30), detail::lat(19), detail::lat(29), // U V W X
    detail::lat(21), detail::lat(17),                                   // Y Z
};

// 'А' to 'Я', also used for 'а' to 'я'. Ч Ш Щ Э Ю live in the figures
// register; Ъ has no sign of its own and is sent as Ь.
inline constexpr std::array<std::uint8_t, 32> CyrCodeTable = {
    detail::rus(3),  detail::rus(25), detail::rus(19), detail::rus(26), // А Б В Г
    detail::rus(9),  detail::rus(1),  detail::rus(30), detail::rus(17), // Д Е Ж З
    detail::rus(6),  detail::rus(11), detail::rus(15), detail::rus(18), // И Й К Л
    detail::rus(28), detail::rus(12), detail::rus(24), detail::rus(22), // М Н О П
    detail::rus(10), detail::rus(5),  detail::rus(16), detail::rus(7),  // Р С Т У
    detail::rus(13), detail::rus(20), detail::rus(14), detail::fig(10), // Ф Х Ц Ч
    detail::fig(26), detail::fig(20), detail::rus(29), detail::rus(21), // Ш Щ Ъ Ы
    detail::rus(29), detail::fig(13), detail::fig(11), detail::rus(23), // Ь Э Ю Я
};

// Codes := the codes of Text, with the shift codes needed; Reg comes in as
// the register in force and goes out as the register after the last code.
// Codes keeps its capacity, so a caller that converts one character at a
// time into the same buffer does not allocate.
void EncodeTelegraph(QStringView text, QByteArray& codes, TelegraphRegister& reg);

// Text := the text of Codes; Reg as above. ShowShifts writes the shift marks
// '*', '$', '^' into Text. Text keeps its capacity.
void DecodeTelegraph(QByteArrayView codes, QString& text, TelegraphRegister& reg, bool showShifts);

// R := S without the marks '$', '*', '<', '^' and '_'.
void StripTextMarks(QStringView s, QString& r);

} // namespace korvane
