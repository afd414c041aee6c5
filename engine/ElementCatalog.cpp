#include "engine/ElementCatalog.h"

#include "engine/TxElementPro.h"
#include "engine/elements/ClearDownElements.h"
#include "engine/elements/ReceptionElements.h"
#include "engine/elements/TextSendingElements.h"

#include <map>

namespace korvane {

namespace {

using Factory = std::function<std::unique_ptr<TTxElementPro>(TTxChannelDriver&)>;

template <class Element>
std::unique_ptr<TTxElementPro> Make(TTxChannelDriver& d)
{
    return std::make_unique<Element>(d);
}

// The element classes the engine has, by class name.
const std::map<QString, Factory>& Factories()
{
    static const std::map<QString, Factory> factories = {
        // text sending
        {QStringLiteral("TTxSendAskAB"), Make<TTxSendAskAB>},
        {QStringLiteral("TTxSendAnswerBack"), Make<TTxSendAnswerBack>},
        {QStringLiteral("TTxSendString"), Make<TTxSendString>},
        {QStringLiteral("TTxSendPreHeader"), Make<TTxSendPreHeader>},
        {QStringLiteral("TTxSendHeaderAddrR"), Make<TTxSendHeaderAddrR>},
        {QStringLiteral("TTxSendData"), Make<TTxSendData>},
        // clear-down
        {QStringLiteral("TTxDisConnect"), Make<TTxDisConnect>},
        {QStringLiteral("TTxWaitDisConnect"), Make<TTxWaitDisConnect>},
        // reception and service signals
        {QStringLiteral("TTxWaitMessage"), Make<TTxWaitMessage>},
        {QStringLiteral("TTxRecData"), Make<TTxRecData>},
        {QStringLiteral("TTxWaitAskAuto"), Make<TTxWaitAskAuto>},
        {QStringLiteral("TTxReceiveAuto"), Make<TTxReceiveAuto>},
        {QStringLiteral("TTxWaitStatMessage"), Make<TTxWaitStatMessage>},
        {QStringLiteral("TTxEmergency"), Make<TTxEmergency>},
    };
    return factories;
}

} // namespace

const ElementCatalog& DefaultElementCatalog()
{
    // A class without a factory in Factories() makes no prototype yet.
    static const ElementCatalog catalog = [] {
        const std::vector<std::pair<const char16_t*, const char16_t*>> classes = {
            {u"TTxPause", u"Пауза"},
            {u"TTxImpulse", u"Импульс"},
            {u"TTxJumpTo", u"Переход"},
            {u"TTxDisconReceive", u"Отбой приема"},
            {u"TTxBusyLine", u"Занято"},
            {u"TTxBreakLine", u"Обpыв линии"},
            {u"TTxContraryWork", u"Встpечная pабота"},
            {u"TTxPortSettings", u"Режим приема/передачи"},
            {u"TTxMessageParam", u"Параметры сообщения"},
            {u"TTxReceivePause", u"Пауза при приеме данных"},
            {u"TTxDisConnect", u"Отбой"},
            {u"TTxWaitDisConnect", u"Ожидание подтверждения отбоя"},
            {u"TTxCheckInputLine", u"Анализ состояния приема"},
            {u"TTxSetOutPlus", u"Установить полярность \"+\""},
            {u"TTxSetOutMinus", u"Установить полярность \"-\""},
            {u"TTxWaitAnswerStat", u"Ожидание подключения"},
            {u"TTxWInvaitSendNum", u"Ожид. приглашения к набору номера"},
            {u"TTxSendNumB", u"Набор номера (B)"},
            {u"TTxSendAskAB", u"Передача ЗАО"},
            {u"TTxSendAnswerBack", u"Передача автоответа"},
            {u"TTxSendString", u"Передача строки"},
            {u"TTxSendHeaderAddrR", u"Передача заголовка"},
            {u"TTxSendPreHeader", u"Передача предзаголовка"},
            {u"TTxSendData", u"Передача данных"},
            {u"TTxRecData", u"Прием данных"},
            {u"TTxWaitAskAuto", u"Ожидание запроса автоответа"},
            {u"TTxReceiveAuto", u"Прием автоответа"},
            {u"TTxEmergency", u"Авария"},
            {u"TTxWaitStatMessage", u"Ожидание служебных сигналов"},
            {u"TTxWaitMessage", u"Ожидание символа"},
            {u"TTxConstPulse", u"Постоянный донабор"},
            {u"TTxAnalizeNumB_A", u"Декадный донабор"},
            {u"TTxAnalizeCenterA", u"Вызов центральной"},
            {u"TTxAnalizeCenterA", u"Вызов центральной"},
            {u"TTxAnalizeGoToCKS", u"Выход на ЦКС"},
            {u"TTxSendNumA", u"Набор номера (A)"},
        };
        ElementCatalog out;
        for (const auto& [cls, name] : classes) {
            const QString className = QString::fromUtf16(cls);
            const auto factory = Factories().find(className);
            out.push_back({className, QString::fromUtf16(name),
                           factory != Factories().end() ? factory->second : Factory()});
        }
        return out;
    }();
    return catalog;
}

} // namespace korvane
