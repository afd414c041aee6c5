#include "engine/ElementCatalog.h"

#include "engine/TxElementPro.h"
#include "engine/elements/ClearDownElements.h"
#include "engine/elements/DiallingElements.h"
#include "engine/elements/IdleElement.h"
#include "engine/elements/LineControlElements.h"
#include "engine/elements/ReceptionElements.h"
#include "engine/elements/TextSendingElements.h"

namespace korvane {

namespace {

// The element classes the engine has, by class name: each family adds its own.
const ElementFactories& Factories()
{
    static const ElementFactories factories = [] {
        ElementFactories out;
        AddIdleElement(out);
        AddLineControlElements(out);
        AddDiallingElements(out);
        // text sending
        out.emplace(QStringLiteral("TTxSendAskAB"), FactoryOf<TTxSendAskAB>());
        out.emplace(QStringLiteral("TTxSendAnswerBack"), FactoryOf<TTxSendAnswerBack>());
        out.emplace(QStringLiteral("TTxSendString"), FactoryOf<TTxSendString>());
        out.emplace(QStringLiteral("TTxSendPreHeader"), FactoryOf<TTxSendPreHeader>());
        out.emplace(QStringLiteral("TTxSendHeaderAddrR"), FactoryOf<TTxSendHeaderAddrR>());
        out.emplace(QStringLiteral("TTxSendData"), FactoryOf<TTxSendData>());
        // clear-down
        out.emplace(QStringLiteral("TTxDisConnect"), FactoryOf<TTxDisConnect>());
        out.emplace(QStringLiteral("TTxWaitDisConnect"), FactoryOf<TTxWaitDisConnect>());
        // reception and service signals
        out.emplace(QStringLiteral("TTxWaitMessage"), FactoryOf<TTxWaitMessage>());
        out.emplace(QStringLiteral("TTxRecData"), FactoryOf<TTxRecData>());
        out.emplace(QStringLiteral("TTxWaitAskAuto"), FactoryOf<TTxWaitAskAuto>());
        out.emplace(QStringLiteral("TTxReceiveAuto"), FactoryOf<TTxReceiveAuto>());
        out.emplace(QStringLiteral("TTxWaitStatMessage"), FactoryOf<TTxWaitStatMessage>());
        out.emplace(QStringLiteral("TTxEmergency"), FactoryOf<TTxEmergency>());
        return out;
    }();
    return factories;
}

ElementFactory FactoryOf(const QString& className)
{
    const auto it = Factories().find(className);
    return it == Factories().end() ? ElementFactory() : it->second;
}

} // namespace

const ElementCatalog& DefaultElementCatalog()
{
    // An entry whose class the engine does not have yet makes no prototype.
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
            out.push_back({className, QString::fromUtf16(name), FactoryOf(className)});
        }
        return out;
    }();
    return catalog;
}

} // namespace korvane
