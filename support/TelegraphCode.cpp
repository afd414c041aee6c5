#include "support/TelegraphCode.h"

#include <atomic>

namespace korvane {
namespace {

// Figures code 10: written by the main thread when driver modes are applied,
// read by whichever thread decodes.
std::atomic<char16_t> figs10{FigsCodeTable[10]};

constexpr std::uint8_t kCodeLineFeed = 2;
constexpr std::uint8_t kCodeCarriageReturn = 8;
constexpr std::uint8_t kCodeAnswerbackRequest = 9;
constexpr std::uint8_t kCodeBell = 11;
constexpr std::uint8_t kNoSign = 0xFF; // not a table entry: the class bits would be 3 and code 31

// The class/code entry of one character, or kNoSign. Marks are handled by
// the caller before this.
std::uint8_t entryOf(char16_t c)
{
    if (c == u'\n')
        return telegraphEntry(TelegraphClass::Any, kCodeLineFeed);
    if (c == u'\r')
        return telegraphEntry(TelegraphClass::Any, kCodeCarriageReturn);
    if (c >= u' ' && c <= u'?')
        return AsciiCodeTable[c - u' '];
    if (c >= u'A' && c <= u'Z')
        return LatinCodeTable[c - u'A'];
    if (c >= u'a' && c <= u'z')
        return LatinCodeTable[c - u'a'];
    if (c >= u'А' && c <= u'Я')
        return CyrCodeTable[c - u'А'];
    if (c >= u'а' && c <= u'я')
        return CyrCodeTable[c - u'а'];
    switch (c) {
    case u'Ґ': case u'ґ':
        return CyrCodeTable[u'Г' - u'А'];
    case u'Ё': case u'ё': case u'Є': case u'є':
        return CyrCodeTable[u'Е' - u'А'];
    case u'І': case u'і': case u'Ї': case u'ї':
        return LatinCodeTable[u'I' - u'A'];
    default:
        return kNoSign;
    }
}

inline void shiftTo(QByteArray& codes, TelegraphRegister& reg, TelegraphRegister target)
{
    if (reg != target) {
        codes.append(static_cast<char>(target));
        reg = target;
    }
}

} // namespace

void setFigsCodeTableEntry10(QChar c)
{
    figs10.store(c.unicode(), std::memory_order_relaxed);
}

QChar figsCodeTableEntry10()
{
    return QChar(figs10.load(std::memory_order_relaxed));
}

void EncodeTelegraph(QStringView text, QByteArray& codes, TelegraphRegister& reg)
{
    namespace M = TelegraphTextMarks;
    codes.resize(0);
    // At most three codes per character (the bell).
    if (codes.capacity() < text.size() * 3)
        codes.reserve(text.size() * 3);

    for (const QChar qc : text) {
        char16_t c = qc.unicode();
        switch (c) {
        case M::CarriageReturn:
            codes.append(static_cast<char>(kCodeCarriageReturn));
            continue;
        case M::LineFeed:
            codes.append(static_cast<char>(kCodeLineFeed));
            continue;
        case M::RussianShift:
            codes.append(static_cast<char>(RussianRegister));
            reg = RussianRegister;
            continue;
        case M::LatinShift:
            codes.append(static_cast<char>(LatinRegister));
            reg = LatinRegister;
            continue;
        case M::FiguresShift:
            codes.append(static_cast<char>(FiguresRegister));
            reg = FiguresRegister;
            continue;
        default:
            break;
        }

        if (c == u'№')
            c = u'N';
        else if (c == u'`')
            c = u'"';

        std::uint8_t entry;
        if (c == M::AnswerbackRequest) {
            codes.append(static_cast<char>(FiguresRegister));
            reg = FiguresRegister;
            entry = telegraphEntry(TelegraphClass::Any, kCodeAnswerbackRequest);
        } else if (c == M::Bell) {
            codes.append(static_cast<char>(LatinRegister));
            codes.append(static_cast<char>(FiguresRegister));
            reg = FiguresRegister;
            entry = telegraphEntry(TelegraphClass::Any, kCodeBell);
        } else {
            entry = entryOf(c);
            if (entry == kNoSign)
                continue;
        }

        switch (telegraphEntryClass(entry)) {
        case TelegraphClass::Latin:
            shiftTo(codes, reg, LatinRegister);
            break;
        case TelegraphClass::Russian:
            shiftTo(codes, reg, RussianRegister);
            break;
        case TelegraphClass::Figures:
            shiftTo(codes, reg, FiguresRegister);
            break;
        case TelegraphClass::Any:
            break;
        }
        codes.append(static_cast<char>(telegraphEntryCode(entry)));
    }
}

void DecodeTelegraph(QByteArrayView codes, QString& text, TelegraphRegister& reg, bool showShifts)
{
    namespace M = TelegraphTextMarks;
    text.resize(0);
    if (text.capacity() < codes.size())
        text.reserve(codes.size());

    for (const char byte : codes) {
        const auto c = static_cast<std::uint8_t>(static_cast<std::uint8_t>(byte) & 31);
        switch (c) {
        case RussianRegister:
            reg = RussianRegister;
            if (showShifts)
                text.append(QChar(M::RussianShift));
            continue;
        case FiguresRegister:
            reg = FiguresRegister;
            if (showShifts)
                text.append(QChar(M::FiguresShift));
            continue;
        case LatinRegister:
            reg = LatinRegister;
            if (showShifts)
                text.append(QChar(M::LatinShift));
            continue;
        default:
            break;
        }
        char16_t ch;
        if (reg == RussianRegister)
            ch = RusCodeTable[c];
        else if (reg == LatinRegister)
            ch = LatCodeTable[c];
        else if (c == 10)
            ch = figs10.load(std::memory_order_relaxed);
        else
            ch = FigsCodeTable[c];
        text.append(QChar(ch));
    }
}

void StripTextMarks(QStringView s, QString& r)
{
    namespace M = TelegraphTextMarks;
    r.resize(0);
    r.reserve(s.size());
    for (const QChar qc : s) {
        switch (qc.unicode()) {
        case M::LatinShift:
        case M::RussianShift:
        case M::CarriageReturn:
        case M::FiguresShift:
        case M::LineFeed:
            break;
        default:
            r.append(qc);
        }
    }
}

} // namespace korvane
