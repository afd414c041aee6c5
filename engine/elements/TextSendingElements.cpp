#include "engine/elements/TextSendingElements.h"

#include "engine/TxDriver.h"
#include "engine/elements/ElementHelpers.h"
#include "support/TelegraphCode.h"

#include <algorithm>
#include <limits>

namespace korvane {

using elements::CharactersArrived;

namespace {
const QString kCrLf = QStringLiteral("\r\n");
// The line end in the program's telegraph text: carriage return and line feed marks.
const QString kLineEndMarks = QStringLiteral("<_");
const QString kCannotSend = QStringLiteral("Текст не помещается в буфер передачи");
} // namespace

// --- TTxSendAskAB ---

TTxSendAskAB::TTxSendAskAB(TTxChannelDriver& owner)
    : TTxElementPro(owner, 23, QStringLiteral("Передача ЗАО"), QStringLiteral("TTxSendAskAB"))
{
}

void TTxSendAskAB::Start()
{
    TTxElementPro::Start();
    Driver().SendChar(QChar(TelegraphTextMarks::AnswerbackRequest));
}

void TTxSendAskAB::DoIt()
{
    if (Driver().TxIdle)
        GoNext();
}

// --- the text elements ---

void TTxTextElement::DoIt()
{
    TTxChannelDriver& d = Driver();
    // 1. The distant side cleared: nothing more is sent.
    if (Disconnected()) {
        JumpWithResult(OnClear, FailureCodes::Dis);
        return;
    }
    // What waits for room goes in as the ring drains.
    if (!Feed.Feed(d)) {
        d.NoteStepLine(kCannotSend);
        JumpWithResult(OnClear, FailureCodes::Unk);
        return;
    }
    // 2. The ring has drained: the text has gone out.
    if (d.TxIdle && Feed.IsEmpty())
        GoNext();
}

void TTxTextElement::Queue(const QString& text)
{
    Feed.Append(text);
    Feed.Feed(Driver()); // what cannot go in at all is found by DoIt
}

TTxSendAnswerBack::TTxSendAnswerBack(TTxChannelDriver& owner)
    : TTxTextElement(owner, 22, QStringLiteral("Передача автоответа"), QStringLiteral("TTxSendAnswerBack"))
{
}

void TTxSendAnswerBack::Start()
{
    TTxElementPro::Start();
    OnClear = ParamText(0);
    // "*Составная телеграмма" (1) is part of the step but plays no part here.
    Driver().SendAnswerBack();
}

TTxSendString::TTxSendString(TTxChannelDriver& owner)
    : TTxSendString(owner, 10, QStringLiteral("Передача строки"), QStringLiteral("TTxSendString"))
{
}

TTxSendString::TTxSendString(TTxChannelDriver& owner, std::uint16_t code, const QString& elementName,
                             const QString& className)
    : TTxTextElement(owner, code, elementName, className)
{
}

void TTxSendString::Start()
{
    TTxElementPro::Start();
    Feed.Clear();
    Enabled = ParamValue(0);
    OnClear = ParamText(1);
    Text = ParamText(2);
    if (!Enabled) {
        GoNext();
        return;
    }
    QString s = Template();
    ExpandMacros(s);
    Queue(s);
}

TTxSendPreHeader::TTxSendPreHeader(TTxChannelDriver& owner)
    : TTxSendString(owner, 32, QStringLiteral("Передача предзаголовка"), QStringLiteral("TTxSendPreHeader"))
{
}

QString TTxSendPreHeader::Template() const
{
    return Text + kLineEndMarks;
}

TTxSendHeaderAddrR::TTxSendHeaderAddrR(TTxChannelDriver& owner)
    : TTxTextElement(owner, 35, QStringLiteral("Передача заголовка"), QStringLiteral("TTxSendHeaderAddrR"))
{
}

void TTxSendHeaderAddrR::Start()
{
    TTxElementPro::Start();
    Feed.Clear();
    HeaderOn = ParamValue(0);
    AddressOn = ParamValue(1);
    OnClear = ParamText(2);
    // Without the header nothing is sent; the addressee line follows the
    // header only when it is switched on too.
    if (!HeaderOn) {
        GoNext();
        return;
    }
    TTxChannelDriver& d = Driver();
    QString header = d.TlgHeader;
    ExpandMacros(header);
    Queue(header);
    if (AddressOn) {
        QString address = d.Address + kLineEndMarks;
        ExpandMacros(address);
        Queue(address);
    }
}

// --- TTxSendData ---

TTxSendData::TTxSendData(TTxChannelDriver& owner)
    : TTxElementPro(owner, 20, QStringLiteral("Передача данных"), QStringLiteral("TTxSendData"))
{
}

int TTxSendData::TextStart() const
{
    const QStringList& lines = Driver().TlgLines;
    int i = 0;
    while (i < lines.size() && lines[i].startsWith(u'|'))
        ++i;
    return i;
}

void TTxSendData::Start()
{
    TTxElementPro::Start();
    MsgWait = ParamValue(0);
    OnClear = ParamText(1);
    Paused = 0; // no pause nor text is left over from an earlier transmission
    Feed.Clear();
    EchoLeft = EchoTimeout;
    LineIndex = -1;
    TTxChannelDriver& d = Driver();
    d.AbTriesLeft = 0;
    if (ChannelWindow* w = d.Window) {
        // The lines DoIt will send: the text after the destination block,
        // and the last line whatever it holds.
        const QStringList& lines = d.TlgLines;
        qint64 total = 0;
        for (int i = std::min<int>(TextStart(), int(lines.size()) - 1); i >= 0 && i < lines.size(); ++i)
            total += lines[i].size() + 2;
        w->SetProgressMax(static_cast<std::int16_t>(std::min<qint64>(total, std::numeric_limits<std::int16_t>::max())));
        w->SetProgressPosition(0);
        w->SetProgressActive(true);
    }
}

void TTxSendData::ShowProgress(bool active)
{
    if (ChannelWindow* w = Driver().Window)
        w->SetProgressActive(active);
}

void TTxSendData::DoIt()
{
    Guarded(QStringLiteral("TTxSendData.DoIt"), [this] { Work(); });
}

void TTxSendData::Work()
{
    TTxChannelDriver& d = Driver();
    // 1. The distant side cleared.
    if (Disconnected()) {
        ShowProgress(false);
        JumpWithResult(OnClear, FailureCodes::Dis);
        return;
    }
    // What waits for room goes in as the ring drains.
    if (!Feed.Feed(d)) {
        CannotSend();
        return;
    }
    if (d.TxIdle && Feed.IsEmpty()) {
        // 2a. A '&' pause: the rest of the line waits for the line to fall silent.
        if (Paused) {
            if (CharactersArrived(d, LastRxPos)) {
                PauseLeft = MsgWait;
            } else if (CountDown(PauseLeft)) {
                Paused = 0;
                if (!SendPart(RestText))
                    CannotSend();
            }
            return;
        }
        // 2b. Every line has gone out.
        if (LineIndex >= d.TlgLines.size() - 1) {
            ShowProgress(false);
            GoNext();
            d.TxDone = 1;
            return;
        }
        // 2c. The next line.
        SendNextLine();
        return;
    }
    // 3. The ring is sending: its echo shows that the line takes it.
    if (CharactersArrived(d, LastRxPos)) {
        EchoLeft = EchoTimeout;
    } else if (CountDown(EchoLeft)) {
        EchoLeft = EchoTimeout;
        d.NoteStepLine(QStringLiteral("Тайм-аут на передаче \"%1\"").arg(Line));
        d.SendNext();
    }
}

void TTxSendData::CannotSend()
{
    ShowProgress(false);
    Driver().NoteStepLine(kCannotSend + QStringLiteral(": строка №%1").arg(LineIndex));
    JumpWithResult(OnClear, FailureCodes::Unk);
}

bool TTxSendData::SendPart(QString text)
{
    TTxChannelDriver& d = Driver();
    if (const qsizetype amp = text.indexOf(u'&'); amp >= 0) {
        RestText = text.mid(amp + 1);
        Line = text.left(amp);
        Paused = 1;
        PauseLeft = MsgWait;
    } else {
        RestText.clear();
        Line = text + kCrLf;
    }
    LastRxPos = d.Rx.Total();
    EchoLeft = EchoTimeout;
    Feed.Append(Line);
    return Feed.Feed(d);
}

void TTxSendData::SendNextLine()
{
    TTxChannelDriver& d = Driver();
    const QStringList& lines = d.TlgLines;
    // Only the leading block of destination lines is skipped (the last line
    // is taken whatever it holds); a text line that begins with '|' is text.
    ++LineIndex;
    const int textStart = TextStart();
    if (LineIndex < textStart)
        LineIndex = std::min<int>(textStart, int(lines.size()) - 1);
    const QString& line = lines[LineIndex];
    if (line.contains(u'&'))
        d.NoteStepLine(QStringLiteral("Обнаружен символ паузы на передаче в строке:\"%1\"").arg(line));
    else
        d.NoteStepLine(QStringLiteral("Передаем строку №%1 \"%2\"").arg(LineIndex).arg(line + kCrLf));
    if (!SendPart(line))
        CannotSend();
}

} // namespace korvane
