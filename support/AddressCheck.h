#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <string_view>

namespace korvane {

class MessageBox;

// The telegram editor's check of the address lines at the top of a
// telegram, stricter than the engine's own reading of them.
//
// Grammar of one address line (positions count from 1):
// - the line begins with '|' (or a space, for ParseHeaderLine on its own);
// - the first mark ('#' to send, '*' done, '~' blocked) stands at position 8
//   or later; the text before it is not examined further;
// - from the first mark on, items joined by '/': a mark, a number and,
//   optionally as the item's last part, "(" answerback ")"; the last item
//   may be followed by spaces only;
// - a number: groups of decimal digits separated by '+', '-' or '.', each
//   group a valid 32-bit integer (see HeaderNumberGroupValid); one '?'
//   anywhere in the number is ignored;
// - an answerback: at most 20 characters, all in AnswerbackCharSet. It may
//   hold spaces and '/': an item never ends inside an open '('.

// The result of the check; ShowHeaderError has a message for each.
enum class HeaderErrorCode : int {
    Correct = 0,
    NoNumberToSend = 1,      // only '*' numbers
    BadNumber = 2,           // a '#' number that is not valid
    TooFewSpaces = 3,        // first mark before position 8
    NoHeader = 4,            // the text does not begin with an address line
    StrayCharacters = 5,     // bad line start, items not joined by '/', ')' not last
    NoNumber = 6,            // no mark, nothing after the last mark, '#' alone
    NoClosingParenthesis = 7,
    AnswerbackTooLong = 8,
    AnswerbackBadCharacter = 9,
    NoNumberAfterSlash = 10, // an item without a mark, or '/' ending the line
};

// The 144 characters allowed in an answerback: space, the punctuation
// " # $ ' ( ) * + , - . / : < = ? ^ _ |, the digits, the Latin letters and
// the Cyrillic letters А-Я and а-я without Ъ and ъ.
inline constexpr std::u16string_view AnswerbackCharSet =
    u" \"#$'()*+,-./0123456789:<=?"
    u"ABCDEFGHIJKLMNOPQRSTUVWXYZ^_abcdefghijklmnopqrstuvwxyz|"
    u"АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЫЬЭЮЯ"
    u"абвгдежзийклмнопрстуфхцчшщыьэюя";

bool IsAnswerbackChar(QChar c);

// One number without its mark and answerback: Correct, BadNumber or
// NoNumber (empty, or beginning with a separator).
HeaderErrorCode CheckHeaderNumber(QString s);

// One address line. Line comes back with every blocked mark '~' of an item
// turned into '#'. A blocked mark counts as a send mark throughout, so a
// line that checks correct checks correct again once fixed.
HeaderErrorCode ParseHeaderLine(QString& line);

// The address block of a text: the lines from the first while they begin
// with '|', up to the first faulty one. ErrPos is set to the character
// offset, counting two characters per line break, of the end of the last
// line examined. With fix, each correct line is replaced by its copy with
// '~' marks turned into '#'. A text that does not begin with an address
// line gives NoHeader (an empty list gives Correct); a block whose lines
// hold only '*' numbers passes as Correct.
HeaderErrorCode CheckHeader(QStringList& lines, int& errPos, bool fix);

// The operator's message for a code; empty for Correct. fileName is cut to
// 79 characters.
QString HeaderErrorText(HeaderErrorCode code, const QString& fileName);

// The caption of the box ShowHeaderError shows.
inline constexpr std::u16string_view HeaderErrorCaption = u"Ошибка";

// Shows HeaderErrorText in an error box with one OK button; nothing for
// Correct.
void ShowHeaderError(HeaderErrorCode code, const QString& fileName, MessageBox& box);

} // namespace korvane
