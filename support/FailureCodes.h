#pragma once

#include <QStringView>

#include <array>
#include <cstdint>

namespace korvane {

// The result of one call or connection. The short name serves as a
// telegram file extension and in the number lists; the text (always 24
// characters) fills the result column of the transmit journal.
using FailureCode = std::uint8_t;

namespace FailureCodes {
inline constexpr FailureCode Success = 0;
inline constexpr FailureCode Occ = 1;      // service signal OCC
inline constexpr FailureCode Nc = 2;       // service signal NC
inline constexpr FailureCode Der = 3;      // service signal DER
inline constexpr FailureCode Abs = 4;      // service signal ABS
inline constexpr FailureCode Ci = 5;       // service signal CI
inline constexpr FailureCode Na = 6;       // service signal NA
inline constexpr FailureCode Np = 7;       // service signal NP
inline constexpr FailureCode Unk = 8;      // unknown message
inline constexpr FailureCode Bp = 9;       // work from the other side
inline constexpr FailureCode Sta = 10;     // the station did not answer
inline constexpr FailureCode Num = 11;     // no invitation to dial
inline constexpr FailureCode OccPulse = 12; // busy pulse before the invitation to dial
inline constexpr FailureCode Aab = 13;     // no answerback
inline constexpr FailureCode Bab = 14;     // wrong answerback
inline constexpr FailureCode Dis = 15;     // the line was cleared
inline constexpr int Count = 16;
} // namespace FailureCodes

// Indexed by FailureCode. Codes 1 and 12 share the name "OCC"; code 0 has
// none.
inline constexpr std::array<QStringView, FailureCodes::Count> FailureCodeNames = {
    u"",    u"OCC", u"NC",  u"DER", u"ABS", u"CI",  u"NA",  u"NP",
    u"UNK", u"BP",  u"STA", u"NUM", u"OCC", u"AAB", u"BAB", u"DIS",
};

// Indexed by FailureCode; each text is padded with spaces to 24 characters.
inline constexpr int FailureCodeTextLength = 24;
inline constexpr std::array<QStringView, FailureCodes::Count> FailureCodeTexts = {
    u"         Успешно        ",
    u"      Абонент занят     ",
    u"         Нет цепи       ",
    u" Повреждение на АУчастке",
    u" АУ временно не работает",
    u"   Повреждение на сети  ",
    u" Связь с абон. запрещена",
    u"    Неправильный набор  ",
    u"  Неизвестное сообщение ",
    u"    Встречная работа    ",
    u"   Нет ответа станции   ",
    u"  Нет приглашения к НН  ",
    u"    Абонент занят (и)   ",
    u"     Нет автоответа     ",
    u"   Неверный автоответ   ",
    u"      Получен отбой     ",
};

} // namespace korvane
