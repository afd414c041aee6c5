#pragma once

// A protocol set for the options dialog's tests: the built-in set with a
// small protocol of kind 1 ("Тест") whose steps cover every kind of value
// the editor tells apart, and helpers to write a set with the protocol
// file writer and read it back.

#include "protocols/DefaultProtocols.h"
#include "protocols/ProtocolFile.h"

#include "tests/fakes/FakeMessageBox.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <memory>

namespace korvane::test {

inline TParamValue Value(const TProtocolSet& set, const QString& element, const QString& cls,
                         const QString& param, double min, double max, const QString& value)
{
    FakeMessageBox box;
    std::optional<TParamValue> v = NewParamValue(*set.Registry, box, element, cls, param, min, max, value);
    EXPECT_TRUE(v) << box.texts().join(u'\n').toStdString();
    return v ? *v : TParamValue{};
}

inline TElementRec Step(const TProtocolSet& set, const QString& name, const QString& cls,
                        std::vector<TParamValue> params)
{
    FakeMessageBox box;
    std::optional<TElementRec> e = NewElement(*set.Registry, box, name, cls, std::move(params));
    EXPECT_TRUE(e) << box.texts().join(u'\n').toStdString();
    return e ? std::move(*e) : TElementRec{};
}

// Steps of "Тест", in order:
//   "Пауза1"  (Пауза: Длительность, numeric 60..130, "100")
//   "Строка1" (Передача строки: Передача table, *Отбой jump to "Отбой1", Строка text of Max 5 "АБВГД")
//   "Набор1"  (Постоянный донабор: Набор table, Код выхода text of Max 12 "3")
//   "Режим1"  (Режим приема/передачи: Скорость table with unit "Бит/с", ...)
//   "Переход1" (Переход: *Элемент jump to "Пауза1")
//   "Отбой1"  (Отбой: no parameters)
inline std::vector<TElementRec> TestSteps(const TProtocolSet& set)
{
    const QString pause = QStringLiteral("Пауза1");
    const QString line = QStringLiteral("Строка1");
    const QString dial = QStringLiteral("Набор1");
    const QString mode = QStringLiteral("Режим1");
    const QString jump = QStringLiteral("Переход1");
    const QString modeClass = QStringLiteral("Режим приема/передачи");
    std::vector<TElementRec> steps;
    steps.push_back(Step(set, pause, QStringLiteral("Пауза"),
                         {Value(set, pause, QStringLiteral("Пауза"), QStringLiteral("Длительность"), 60, 130,
                                QStringLiteral("100"))}));
    steps.push_back(Step(set, line, QStringLiteral("Передача строки"),
                         {Value(set, line, QStringLiteral("Передача строки"), QStringLiteral("Передача"), 0, 0,
                                QStringLiteral("Включена")),
                          Value(set, line, QStringLiteral("Передача строки"), QStringLiteral("*Отбой"), 0, 0,
                                QStringLiteral("Отбой1")),
                          Value(set, line, QStringLiteral("Передача строки"), QStringLiteral("Строка"), 0, 5,
                                QStringLiteral("АБВГД"))}));
    steps.push_back(Step(set, dial, QStringLiteral("Постоянный донабор"),
                         {Value(set, dial, QStringLiteral("Постоянный донабор"), QStringLiteral("Набор"), 0, 0,
                                QStringLiteral("Выключен")),
                          Value(set, dial, QStringLiteral("Постоянный донабор"), QStringLiteral("Код выхода"), 0, 12,
                                QStringLiteral("3"))}));
    steps.push_back(Step(set, mode, modeClass,
                         {Value(set, mode, modeClass, QStringLiteral("Скорость"), 0, 0, QStringLiteral("50")),
                          Value(set, mode, modeClass, QStringLiteral("Число бит информации"), 0, 0, QStringLiteral("5")),
                          Value(set, mode, modeClass, QStringLiteral("Число стоп-бит"), 0, 0, QStringLiteral("1.5")),
                          Value(set, mode, modeClass, QStringLiteral("Контроль четности"), 0, 0,
                                QStringLiteral("Выключен")),
                          Value(set, mode, modeClass, QStringLiteral("Пауза между символами"), 0, 1000,
                                QStringLiteral("0")),
                          Value(set, mode, modeClass, QStringLiteral("*Передача данных"), 0, 0, pause)}));
    steps.push_back(Step(set, jump, QStringLiteral("Переход"),
                         {Value(set, jump, QStringLiteral("Переход"), QStringLiteral("*Элемент"), 0, 0, pause)}));
    steps.push_back(Step(set, QStringLiteral("Отбой1"), QStringLiteral("Отбой"), {}));
    return steps;
}

// The built-in set; kind 1 runs "Тест".
inline std::unique_ptr<TProtocolSet> TestSet()
{
    FakeMessageBox box;
    int err = 0;
    std::unique_ptr<TProtocolSet> set = BuildDefaultProtocolSet(err, box);
    TProtocolRec test = NewProtocol(QStringLiteral("Тест"), TestSteps(*set));
    set->Protocols[0].insert(set->Protocols[0].begin(), std::move(test));
    return set;
}

inline QByteArray WrittenSet(TProtocolSet& set)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    WriteProtocolSet(buf, set);
    return bytes;
}

inline std::unique_ptr<TProtocolSet> ReadBack(const QByteArray& bytes)
{
    QByteArray copy = bytes;
    QBuffer buf(&copy);
    buf.open(QIODevice::ReadOnly);
    FakeMessageBox box;
    std::unique_ptr<TProtocolSet> set;
    int err = -1;
    ReadProtocolSet(buf, set, err, box);
    EXPECT_EQ(err, 0);
    EXPECT_TRUE(box.shown.isEmpty()) << box.texts().join(u'\n').toStdString();
    return set;
}

inline TElementRec& StepNamed(TProtocolRec& p, const QString& name)
{
    for (TElementRec& e : p.Elements)
        if (e.Name == name)
            return e;
    ADD_FAILURE() << "no step " << name.toStdString();
    return p.Elements.front();
}

inline TParamValue& ValueNamed(TElementRec& e, const QString& param)
{
    for (TParamValue& v : e.Params)
        if (v.Def && v.Def->Name == param)
            return v;
    ADD_FAILURE() << "no value " << param.toStdString();
    return e.Params.front();
}

} // namespace korvane::test
