#include "protocols/DefaultProtocols.h"

#include "protocols/DecimalNumber.h"
#include "protocols/ErrorBox.h"

namespace korvane {

std::optional<TParamValue> NewParamValue(const ElementClassRegistry& registry, MessageBox& box,
                                         const QString& elementName, const QString& className,
                                         const QString& paramName, double min, double max,
                                         const QString& value)
{
    const QString prefix = QStringLiteral("Ошибка: ") + elementName + u' ' + className;
    const TElementClassDef* cls = registry.find(className);
    if (!cls) {
        showErrorBox(box, prefix + QStringLiteral(" Задан отсутствующий класс элемента"));
        return std::nullopt;
    }
    if (cls->Params.empty())
        return std::nullopt;
    const TParamDef* def = cls->findParam(paramName);
    if (!def) {
        showErrorBox(box, prefix + u' ' + paramName + QStringLiteral(" Задан отсутствующий параметр элемента"));
        return std::nullopt;
    }
    if (def->kind() == ParamKind::Numeric) {
        const std::optional<double> number = parseDecimal(value);
        if (!number) {
            showErrorBox(box, prefix + u' ' + paramName
                                  + QStringLiteral(" Задано нечисловое значение стандартного параметра"));
            return std::nullopt;
        }
        if (*number < min || *number > max) {
            showErrorBox(box, prefix + u' ' + paramName
                                  + QStringLiteral(" Задано значение стандартного параметра за пределами"));
            return std::nullopt;
        }
    }
    TParamValue v;
    v.Value = value.left(kRegistryTextLimit);
    v.Value2 = v.Value;
    v.Value3 = v.Value;
    v.Def = def;
    v.Min = min;
    v.Max = max;
    return v;
}

std::optional<TElementRec> NewElement(const ElementClassRegistry& registry, MessageBox& box,
                                      const QString& elementName, const QString& className,
                                      std::vector<TParamValue> params)
{
    const TElementClassDef* cls = registry.find(className);
    if (!cls) {
        showErrorBox(box, QStringLiteral("Ошибка: ") + elementName + u' ' + className
                              + QStringLiteral(" Задан отсутствующий класс элемента"));
        return std::nullopt;
    }
    TElementRec e;
    e.Name = elementName.left(kRegistryTextLimit);
    e.ClassDef = cls;
    e.Flag = 0;
    e.Params = std::move(params);
    return e;
}

TProtocolRec NewProtocol(const QString& name, std::vector<TElementRec> elements)
{
    TProtocolRec p;
    p.Name = name.left(kRegistryTextLimit);
    p.Flag = 0;
    p.Elements = std::move(elements);
    return p;
}

namespace {

// One value of a built-in step. Jump and table values have the range 0..0;
// a text value has Min 0 and its length limit as Max.
struct ValueData {
    const char16_t* param;
    const char16_t* value;
    double min;
    double max;
};

struct StepData {
    const char16_t* name;
    quint8 code; // the class, by its registry code
    std::vector<ValueData> values;
};

ValueData num(const char16_t* param, const char16_t* value, double min, double max)
{
    return {param, value, min, max};
}

ValueData text(const char16_t* param, const char16_t* value, double maxLength)
{
    return {param, value, 0, maxLength};
}

ValueData jump(const char16_t* param, const char16_t* target)
{
    return {param, target, 0, 0};
}

ValueData pick(const char16_t* param, const char16_t* value)
{
    return {param, value, 0, 0};
}

// In the step names below, the 'p' of "Обpыв линии" and of "Встpечная pабота"
// is Latin, as in the class names; the letters A and B are Latin too.

// Kind 1, 42 steps.
std::vector<StepData> StandardASteps()
{
    return {
        {u"Отбой приема", 64,
         {num(u"Длительность-Д", u"350", 50, 3500),
          num(u"Длительность-О", u"100", 50, 350)}},
        {u"Занято", 65,
         {num(u"Длительность 1-Д", u"165", 165, 200),
          num(u"Длительность 2-Д", u"240", 200, 240),
          num(u"Длительность 1-О", u"60", 60, 130),
          num(u"Длительность 2-О", u"200", 130, 200)}},
        {u"Параметры передачи", 68,
         {pick(u"Скорость", u"50"),
          pick(u"Число бит информации", u"5"),
          pick(u"Число стоп-бит", u"1.5"),
          pick(u"Контроль четности", u"Выключен"),
          num(u"Пауза между символами", u"0", 0, 1000),
          jump(u"*Передача данных", u"Передача данных")}},
        {u"Обpыв линии", 66,
         {num(u"Длительность", u"300", 300, 3500)}},
        {u"Пауза на приеме", 70,
         {num(u"Длительность", u"120", 0, 320)}},
        {u"Встpечная pабота", 67,
         {num(u"Количество", u"3", 1, 50),
          num(u"Ожидание", u"120", 2, 900),
          num(u"Пауза", u"5", 1, 30),
          num(u"Счетчик", u"5", 1, 30),
          num(u"Откат", u"100", 30, 511),
          text(u"Строка", u"<_+ {время} CONTINUE +<_", 69)}},
        {u"Отбой", 27, {}},
        {u"Задержка 1", 12,
         {num(u"Длительность", u"0", 0, 5000)}},
        {u"Импульс", 7,
         {num(u"Длительность", u"0", 0, 300)}},
        {u"Ожидание подтверждения отбоя", 28,
         {num(u"Ожидание", u"10", 3, 120),
          num(u"Длительность", u"300", 300, 1500),
          jump(u"*Успех", u"Анализ состояния приема"),
          jump(u"*Неудача", u"Авария")}},
        {u"Анализ состояния приема", 29,
         {num(u"Ожидание", u"5", 2, 100),
          num(u"Длительность", u"100", 20, 150),
          jump(u"*Успех", u"Подключение"),
          jump(u"*Неудача", u"Вызов"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Вызов", 1, {}},
        {u"Постоянный донабор", 34,
         {pick(u"Набор", u"Выключен"),
          text(u"Код выхода", u"3", 12)}},
        {u"Декадный донабор", 16,
         {jump(u"*Донабор", u"Ожид. приглашения к набору номера"),
          jump(u"*Отсутствует", u"Ожидание подключения")}},
        {u"Ожид. приглашения к набору номера", 26,
         {num(u"Ожидание", u"20", 0, 20),
          num(u"Длительность 1", u"17.5", 10, 45),
          num(u"Длительность 2", u"45", 17.5, 45),
          jump(u"*Успех", u"Набор номера (B)"),
          jump(u"*Неудача", u"Отбой"),
          jump(u"*Занято", u"Отбой")}},
        {u"Задержка 2", 12,
         {num(u"Длительность", u"50", 0, 5000)}},
        {u"Набор номера (B)", 19,
         {num(u"Размыкание", u"60", 60, 60),
          num(u"Замыкание", u"40", 40, 40),
          num(u"Межсерийный интервал", u"500", 280, 1000),
          jump(u"*Донабор", u"Ожид. приглашения к набору номера"),
          jump(u"*Нет донабора", u"Ожидание подключения")}},
        {u"Ожидание подключения", 25,
         {num(u"Ожидание", u"20", 10, 60),
          num(u"Длительность", u"300", 300, 1500),
          jump(u"*Успех", u"Ожидание ответа станции 1"),
          jump(u"*Неудача", u"Отбой"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Ожидание ответа станции 1", 30,
         {num(u"Ожидание", u"4", 2, 10),
          num(u"Пауза", u"2", 0.5, 5),
          pick(u"Анализ GA", u"Выключен"),
          num(u"Входящий вызов", u"125", 50, 400),
          jump(u"*Входящий вызов", u"Прием данных"),
          jump(u"*Отбой", u"Отбой"),
          jump(u"*Автоответ", u"Вызов центральной"),
          jump(u"*Запрос автоответа", u"Вызов центральной"),
          jump(u"*Неудача", u"Вызов центральной")}},
        {u"Вызов центральной", 17,
         {jump(u"*Отсутствует", u"Набор номера (A)"),
          jump(u"*Отбой", u"Отбой"),
          text(u"Код центральной", u"411111", 23)}},
        {u"Ожидание ответа станции 2", 30,
         {num(u"Ожидание", u"20", 20, 120),
          num(u"Пауза", u"2", 0.5, 10),
          pick(u"Анализ GA", u"Выключен"),
          num(u"Входящий вызов", u"125", 50, 400),
          jump(u"*Входящий вызов", u"Прием данных"),
          jump(u"*Отбой", u"Отбой"),
          jump(u"*Автоответ", u"Набор номера (A)"),
          jump(u"*Запрос автоответа", u"Набор номера (A)"),
          jump(u"*Неудача", u"Отбой")}},
        {u"Набор номера (A)", 18,
         {jump(u"*Донабор", u"Ожидание ответа станции 2"),
          jump(u"*Нет донабора", u"Ожидание ответа станции 3"),
          jump(u"*Отбой", u"Отбой"),
          pick(u"Ожидание запроса АО", u"Выключен"),
          jump(u"*Нет донабора+ожидание запроса АО", u"Ожидание запроса автоответа 1")}},
        {u"Ожидание запроса автоответа 1", 31,
         {num(u"Ожидание", u"30", 0, 120),
          jump(u"*Успех", u"Ожидание ответа станции 3"),
          jump(u"*Неудача", u"Отбой"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Ожидание ответа станции 3", 30,
         {num(u"Ожидание", u"120", 0, 120),
          num(u"Пауза", u"2", 0.5, 10),
          pick(u"Анализ GA", u"Выключен"),
          num(u"Входящий вызов", u"125", 50, 400),
          jump(u"*Входящий вызов", u"Прием данных"),
          jump(u"*Отбой", u"Отбой"),
          jump(u"*Автоответ", u"Передача автоответа 1"),
          jump(u"*Запрос автоответа", u"Передача преамбулы"),
          jump(u"*Неудача", u"Отбой")}},
        {u"Задержка 3", 12,
         {num(u"Длительность", u"150", 0, 5000)}},
        {u"Передача ЗАО 1", 23, {}},
        {u"Прием автоответа 1", 24,
         {num(u"Ожидание", u"5", 3, 15),
          num(u"Число попыток", u"2", 2, 5),
          jump(u"*Успех", u"Передача автоответа 1"),
          jump(u"*Завершение ожидания", u"Передача ЗАО 1"),
          jump(u"*Неудача", u"Отбой"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Передача автоответа 1", 22,
         {jump(u"*Отбой", u"Отбой"),
          jump(u"*Составная телеграмма", u"Задержка 2")}},
        {u"Задержка 4", 12,
         {num(u"Длительность", u"50", 0, 5000)}},
        {u"Передача преамбулы", 10,
         {pick(u"Передача", u"Включена"),
          jump(u"*Отбой", u"Отбой"),
          text(u"Строка", u"<_ DO NOT INTERRUPT - KORVANE IS WORKING <_", 69)}},
        {u"Передача заголовка", 35,
         {pick(u"Заголовок", u"Включен"),
          pick(u"Адрес получателя", u"Включен"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Передача данных", 20,
         {num(u"Ожидание сообщения", u"10", 1, 120),
          jump(u"*Отбой", u"Отбой")}},
        {u"Передача подписи", 10,
         {pick(u"Передача", u"Выключена"),
          jump(u"*Отбой", u"Отбой"),
          text(u"Строка", u"<_{дата}, {время}<_", 69)}},
        {u"Передача ЗАО 2", 23, {}},
        {u"Прием автоответа 2", 24,
         {num(u"Ожидание", u"5", 3, 15),
          num(u"Число попыток", u"2", 2, 5),
          jump(u"*Успех", u"Передача автоответа 2"),
          jump(u"*Завершение ожидания", u"Передача ЗАО 2"),
          jump(u"*Неудача", u"Отбой"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Передача автоответа 2", 22,
         {jump(u"*Отбой", u"Отбой"),
          jump(u"*Составная телеграмма", u"Передача преамбулы")}},
        {u"Задержка 5", 12,
         {num(u"Длительность", u"150", 0, 5000)}},
        {u"Переход", 15,
         {jump(u"*Элемент", u"Отбой")}},
        {u"Подключение", 1, {}},
        {u"Ожидание запроса автоответа", 31,
         {num(u"Ожидание", u"30", 0, 120),
          jump(u"*Успех", u"Прием данных"),
          jump(u"*Неудача", u"Отбой"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Прием данных", 21,
         {pick(u"Автоответчик", u"Включен"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Авария", 48,
         {pick(u"Опрос канала", u"Включен"),
          num(u"Отключение", u"20", 0, 300)}},
    };
}

// Kind 2, 39 steps.
std::vector<StepData> StandardBSteps()
{
    return {
        {u"Отбой приема", 64,
         {num(u"Длительность-Д", u"350", 50, 3500),
          num(u"Длительность-О", u"100", 50, 350)}},
        {u"Занято", 65,
         {num(u"Длительность 1-Д", u"165", 165, 200),
          num(u"Длительность 2-Д", u"240", 200, 240),
          num(u"Длительность 1-О", u"60", 60, 130),
          num(u"Длительность 2-О", u"200", 130, 200)}},
        {u"Параметры передачи", 68,
         {pick(u"Скорость", u"50"),
          pick(u"Число бит информации", u"5"),
          pick(u"Число стоп-бит", u"1.5"),
          pick(u"Контроль четности", u"Выключен"),
          num(u"Пауза между символами", u"0", 0, 1000),
          jump(u"*Передача данных", u"Передача данных")}},
        {u"Обpыв линии", 66,
         {num(u"Длительность", u"300", 300, 3500)}},
        {u"Пауза на приеме", 70,
         {num(u"Длительность", u"120", 0, 320)}},
        {u"Встpечная pабота", 67,
         {num(u"Количество", u"3", 1, 50),
          num(u"Ожидание", u"120", 2, 900),
          num(u"Пауза", u"5", 1, 30),
          num(u"Счетчик", u"5", 1, 30),
          num(u"Откат", u"100", 30, 511),
          text(u"Строка", u"<_+ {время} ПРОДОЛЖЕНИЕ +<_", 69)}},
        {u"Выход на ЦКС", 33,
         {pick(u"Состояние", u"Выключен"),
          num(u"Количество попыток", u"3", 1, 12),
          text(u"Код ЦКС", u"143911", 23)}},
        {u"Отбой", 27, {}},
        {u"Задержка 1", 12,
         {num(u"Длительность", u"0", 0, 5000)}},
        {u"Импульс 1", 7,
         {num(u"Длительность", u"0", 0, 300)}},
        {u"Ожидание подтверждения отбоя", 28,
         {num(u"Ожидание", u"10", 3, 120),
          num(u"Длительность", u"300", 300, 1500),
          jump(u"*Успех", u"Анализ состояния приема"),
          jump(u"*Неудача", u"Авария")}},
        {u"Задержка 2", 12,
         {num(u"Длительность", u"0", 0, 5000)}},
        {u"Импульс 2", 7,
         {num(u"Длительность", u"0", 0, 300)}},
        {u"Анализ состояния приема", 29,
         {num(u"Ожидание", u"10", 2, 100),
          num(u"Длительность", u"100", 20, 150),
          jump(u"*Успех", u"Подключение"),
          jump(u"*Неудача", u"Вызов"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Вызов", 1, {}},
        {u"Постоянный донабор", 34,
         {pick(u"Набор", u"Выключен"),
          text(u"Код выхода", u"3", 12)}},
        {u"Ожид. приглашения к набору номера", 26,
         {num(u"Ожидание", u"20", 0, 20),
          num(u"Длительность 1", u"17.5", 10, 45),
          num(u"Длительность 2", u"45", 17.5, 45),
          jump(u"*Успех", u"Задержка 3"),
          jump(u"*Неудача", u"Отбой"),
          jump(u"*Занято", u"Отбой")}},
        {u"Задержка 3", 12,
         {num(u"Длительность", u"50", 0, 5000)}},
        {u"Набор номера (B)", 19,
         {num(u"Размыкание", u"60", 60, 60),
          num(u"Замыкание", u"40", 40, 40),
          num(u"Межсерийный интервал", u"500", 280, 1000),
          jump(u"*Донабор", u"Ожид. приглашения к набору номера"),
          jump(u"*Нет донабора", u"Ожидание подключения")}},
        {u"Ожидание подключения", 25,
         {num(u"Ожидание", u"60", 20, 120),
          num(u"Длительность", u"300", 300, 1500),
          jump(u"*Успех", u"Ожидание сообщения станции"),
          jump(u"*Неудача", u"Отбой"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Ожидание сообщения станции", 30,
         {num(u"Ожидание", u"5", 1, 15),
          num(u"Пауза", u"2", 0.5, 5),
          pick(u"Анализ GA", u"Выключен"),
          num(u"Входящий вызов", u"125", 50, 400),
          jump(u"*Входящий вызов", u"Прием данных"),
          jump(u"*Отбой", u"Отбой"),
          jump(u"*Автоответ", u"Передача автоответа 1"),
          jump(u"*Запрос автоответа", u"Передача преамбулы"),
          jump(u"*Неудача", u"Передача ЗАО 1")}},
        {u"Передача ЗАО 1", 23, {}},
        {u"Прием автоответа 1", 24,
         {num(u"Ожидание", u"5", 3, 15),
          num(u"Число попыток", u"2", 2, 5),
          jump(u"*Успех", u"Передача автоответа 1"),
          jump(u"*Завершение ожидания", u"Передача ЗАО 1"),
          jump(u"*Неудача", u"Отбой"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Передача автоответа 1", 22,
         {jump(u"*Отбой", u"Отбой"),
          jump(u"*Составная телеграмма", u"Задержка 4")}},
        {u"Задержка 4", 12,
         {num(u"Длительность", u"50", 0, 5000)}},
        {u"Предзаголовок", 32,
         {pick(u"Передача", u"Включена"),
          jump(u"*Отбой", u"Отбой"),
          text(u"Строка", u"<_ЗЦЗЦ П|2 {#абонента}<_<_", 69)}},
        {u"Передача преамбулы", 10,
         {pick(u"Передача", u"Включена"),
          jump(u"*Отбой", u"Отбой"),
          text(u"Строка", u"<_+ НЕ ПРЕРЫВАТЬ - РАБОТАЕТ СИСТЕМА KORVANE +<_", 69)}},
        {u"Передача заголовка", 35,
         {pick(u"Заголовок", u"Включен"),
          pick(u"Адрес получателя", u"Включен"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Передача данных", 20,
         {num(u"Ожидание сообщения", u"10", 1, 120),
          jump(u"*Отбой", u"Отбой")}},
        {u"Конец сообщения для ЦКС", 10,
         {pick(u"Передача", u"Включена"),
          jump(u"*Отбой", u"Отбой"),
          text(u"Строка", u"<_НННН {{время}<_", 69)}},
        {u"Передача ЗАО 2", 23, {}},
        {u"Прием автоответа 2", 24,
         {num(u"Ожидание", u"5", 3, 15),
          num(u"Число попыток", u"2", 2, 5),
          jump(u"*Успех", u"Передача автоответа 2"),
          jump(u"*Завершение ожидания", u"Передача ЗАО 2"),
          jump(u"*Неудача", u"Отбой"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Передача автоответа 2", 22,
         {jump(u"*Отбой", u"Отбой"),
          jump(u"*Составная телеграмма", u"Задержка 4")}},
        {u"Задержка 5", 12,
         {num(u"Длительность", u"150", 0, 5000)}},
        {u"Переход", 15,
         {jump(u"*Элемент", u"Отбой")}},
        {u"Подключение", 1, {}},
        {u"Ожидание запроса автоответа", 31,
         {num(u"Ожидание", u"30", 0, 120),
          jump(u"*Успех", u"Прием данных"),
          jump(u"*Неудача", u"Отбой"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Прием данных", 21,
         {pick(u"Автоответчик", u"Включен"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Авария", 48,
         {pick(u"Опрос канала", u"Включен"),
          num(u"Отключение", u"20", 0, 300)}},
    };
}

// Kind 3, 22 steps.
std::vector<StepData> PhysicalLineSteps()
{
    return {
        {u"Отбой приема", 64,
         {num(u"Длительность-Д", u"350", 350, 3500),
          num(u"Длительность-О", u"100", 50, 150)}},
        {u"Параметры передачи", 68,
         {pick(u"Скорость", u"50"),
          pick(u"Число бит информации", u"5"),
          pick(u"Число стоп-бит", u"1.5"),
          pick(u"Контроль четности", u"Выключен"),
          num(u"Пауза между символами", u"0", 0, 1000),
          jump(u"*Передача данных", u"Передача данных")}},
        {u"Обpыв линии", 66,
         {num(u"Длительность", u"300", 300, 3500)}},
        {u"Пауза на приеме", 70,
         {num(u"Длительность", u"120", 0, 320)}},
        {u"Встpечная pабота", 67,
         {num(u"Количество", u"3", 1, 50),
          num(u"Ожидание", u"120", 2, 900),
          num(u"Пауза", u"5", 1, 30),
          num(u"Счетчик", u"5", 1, 30),
          num(u"Откат", u"100", 30, 511),
          text(u"Строка", u"<_+ {время} CONTINUE +<_", 69)}},
        {u"Отбой", 27, {}},
        {u"Задержка 1", 12,
         {num(u"Длительность", u"0", 0, 5000)}},
        {u"Импульс", 7,
         {num(u"Длительность", u"0", 0, 300)}},
        {u"Ожидание подтверждения отбоя", 28,
         {num(u"Ожидание", u"10", 2, 30),
          num(u"Длительность", u"300", 300, 1500),
          jump(u"*Успех", u"Анализ состояния приема"),
          jump(u"*Неудача", u"Подключение")}},
        {u"Анализ состояния приема", 29,
         {num(u"Ожидание", u"5", 2, 100),
          num(u"Длительность", u"100", 20, 150),
          jump(u"*Успех", u"Подключение"),
          jump(u"*Неудача", u"Вызов"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Вызов", 1, {}},
        {u"Ожидание подключения", 25,
         {num(u"Ожидание", u"2", 2, 100),
          num(u"Длительность", u"300", 300, 1500),
          jump(u"*Успех", u"Ожидание сообщения станции"),
          jump(u"*Неудача", u"Отбой"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Ожидание сообщения станции", 30,
         {num(u"Ожидание", u"10", 1, 15),
          num(u"Пауза", u"2", 0.5, 5),
          pick(u"Анализ GA", u"Выключен"),
          num(u"Входящий вызов", u"125", 50, 400),
          jump(u"*Входящий вызов", u"Прием данных"),
          jump(u"*Отбой", u"Отбой"),
          jump(u"*Автоответ", u"Предзаголовок"),
          jump(u"*Запрос автоответа", u"Предзаголовок"),
          jump(u"*Неудача", u"Предзаголовок")}},
        {u"Предзаголовок", 32,
         {pick(u"Передача", u"Включена"),
          jump(u"*Отбой", u"Отбой"),
          text(u"Строка", u"<_ЗЦЗЦ П|2 {#абонента}<_<_", 69)}},
        {u"Передача заголовка", 35,
         {pick(u"Заголовок", u"Включен"),
          pick(u"Адрес получателя", u"Включен"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Передача данных", 20,
         {num(u"Ожидание сообщения", u"10", 1, 120),
          jump(u"*Отбой", u"Отбой")}},
        {u"Конец сообщения для ЦКС", 10,
         {pick(u"Передача", u"Включена"),
          jump(u"*Отбой", u"Отбой"),
          text(u"Строка", u"<_НННН {{время}<_", 69)}},
        {u"Задержка 2", 12,
         {num(u"Длительность", u"150", 0, 5000)}},
        {u"Переход", 15,
         {jump(u"*Элемент", u"Отбой")}},
        {u"Подключение", 1, {}},
        {u"Прием данных", 21,
         {pick(u"Автоответчик", u"Включен"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Авария", 48,
         {pick(u"Опрос канала", u"Включен"),
          num(u"Отключение", u"20", 0, 300)}},
    };
}

// Kind 4, 36 steps.
std::vector<StepData> RailwayComputerSteps()
{
    return {
        {u"Отбой приема", 64,
         {num(u"Длительность-Д", u"350", 50, 3500),
          num(u"Длительность-О", u"100", 50, 350)}},
        {u"Занято", 65,
         {num(u"Длительность 1-Д", u"165", 165, 200),
          num(u"Длительность 2-Д", u"240", 200, 240),
          num(u"Длительность 1-О", u"60", 60, 130),
          num(u"Длительность 2-О", u"200", 130, 200)}},
        {u"Параметры передачи", 68,
         {pick(u"Скорость", u"50"),
          pick(u"Число бит информации", u"5"),
          pick(u"Число стоп-бит", u"1.5"),
          pick(u"Контроль четности", u"Выключен"),
          num(u"Пауза между символами", u"0", 0, 1000),
          jump(u"*Передача данных", u"Передача данных")}},
        {u"Обpыв линии", 66,
         {num(u"Длительность", u"300", 300, 3500)}},
        {u"Пауза на приеме", 70,
         {num(u"Длительность", u"120", 0, 320)}},
        {u"Встpечная pабота", 67,
         {num(u"Количество", u"3", 1, 50),
          num(u"Ожидание", u"120", 2, 900),
          num(u"Пауза", u"5", 1, 30),
          num(u"Счетчик", u"5", 1, 30),
          num(u"Откат", u"100", 30, 511),
          text(u"Строка", u"<_+ {время} ПРОДОЛЖЕНИЕ +<_", 69)}},
        {u"Отбой", 27, {}},
        {u"Задержка 1", 12,
         {num(u"Длительность", u"0", 0, 5000)}},
        {u"Импульс 1", 7,
         {num(u"Длительность", u"0", 0, 300)}},
        {u"Ожидание подтверждения отбоя", 28,
         {num(u"Ожидание", u"10", 3, 120),
          num(u"Длительность", u"300", 300, 1500),
          jump(u"*Успех", u"Анализ состояния приема"),
          jump(u"*Неудача", u"Авария")}},
        {u"Задержка 2", 12,
         {num(u"Длительность", u"0", 0, 5000)}},
        {u"Импульс 2", 7,
         {num(u"Длительность", u"0", 0, 300)}},
        {u"Анализ состояния приема", 29,
         {num(u"Ожидание", u"10", 2, 100),
          num(u"Длительность", u"100", 20, 150),
          jump(u"*Успех", u"Подключение"),
          jump(u"*Неудача", u"Вызов"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Вызов", 1, {}},
        {u"Постоянный донабор", 34,
         {pick(u"Набор", u"Выключен"),
          text(u"Код выхода", u"3", 12)}},
        {u"Ожид. приглашения к набору номера", 26,
         {num(u"Ожидание", u"20", 0, 20),
          num(u"Длительность 1", u"17.5", 10, 45),
          num(u"Длительность 2", u"45", 17.5, 45),
          jump(u"*Успех", u"Задержка 3"),
          jump(u"*Неудача", u"Отбой"),
          jump(u"*Занято", u"Отбой")}},
        {u"Задержка 3", 12,
         {num(u"Длительность", u"50", 0, 5000)}},
        {u"Набор номера (B)", 19,
         {num(u"Размыкание", u"60", 60, 60),
          num(u"Замыкание", u"40", 40, 40),
          num(u"Межсерийный интервал", u"500", 280, 1000),
          jump(u"*Донабор", u"Ожид. приглашения к набору номера"),
          jump(u"*Нет донабора", u"Ожидание подключения")}},
        {u"Ожидание подключения", 25,
         {num(u"Ожидание", u"60", 20, 120),
          num(u"Длительность", u"300", 300, 1500),
          jump(u"*Успех", u"Ожидание сообщения станции"),
          jump(u"*Неудача", u"Отбой"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Ожидание сообщения станции", 30,
         {num(u"Ожидание", u"3", 1, 15),
          num(u"Пауза", u"2", 0.5, 5),
          pick(u"Анализ GA", u"Выключен"),
          num(u"Входящий вызов", u"125", 50, 400),
          jump(u"*Входящий вызов", u"Прием данных"),
          jump(u"*Отбой", u"Отбой"),
          jump(u"*Автоответ", u"Передача ЗАО 1"),
          jump(u"*Запрос автоответа", u"Передача преамбулы"),
          jump(u"*Неудача", u"Передача ЗАО 1")}},
        {u"Передача ЗАО 1", 23, {}},
        {u"Ожидание запроса автоответа 1", 31,
         {num(u"Ожидание", u"30", 0, 120),
          jump(u"*Успех", u"Ожидание сообщения от ЭВМ 1"),
          jump(u"*Неудача", u"Ожидание сообщения от ЭВМ 1"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Ожидание сообщения от ЭВМ 1", 11,
         {num(u"Ожидание", u"30", 1, 120),
          num(u"Пауза", u"1", 0.5, 5),
          jump(u"*Успех", u"Предзаголовок"),
          jump(u"*Неудача", u"Предзаголовок"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Предзаголовок", 32,
         {pick(u"Передача", u"Выключена"),
          jump(u"*Отбой", u"Отбой"),
          text(u"Строка", u"<_ЗЦЗЦ П|2 {#абонента}<_<_", 69)}},
        {u"Передача преамбулы", 10,
         {pick(u"Передача", u"Выключена"),
          jump(u"*Отбой", u"Отбой"),
          text(u"Строка", u"<_+ НЕ ПРЕРЫВАТЬ - РАБОТАЕТ СИСТЕМА KORVANE +<_", 69)}},
        {u"Передача заголовка", 35,
         {pick(u"Заголовок", u"Включен"),
          pick(u"Адрес получателя", u"Включен"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Передача данных", 20,
         {num(u"Ожидание сообщения", u"10", 1, 120),
          jump(u"*Отбой", u"Отбой")}},
        {u"Конец сообщения", 10,
         {pick(u"Передача", u"Включена"),
          jump(u"*Отбой", u"Отбой"),
          text(u"Строка", u"<_//", 69)}},
        {u"Ожидание запроса автоответа 2", 31,
         {num(u"Ожидание", u"30", 0, 120),
          jump(u"*Успех", u"Ожидание сообщения от ЭВМ 2"),
          jump(u"*Неудача", u"Ожидание сообщения от ЭВМ 2"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Ожидание сообщения от ЭВМ 2", 11,
         {num(u"Ожидание", u"30", 1, 120),
          num(u"Пауза", u"2", 0.5, 5),
          jump(u"*Успех", u"Задержка 5"),
          jump(u"*Неудача", u"Задержка 5"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Задержка 5", 12,
         {num(u"Длительность", u"2000", 0, 5000)}},
        {u"Переход", 15,
         {jump(u"*Элемент", u"Отбой")}},
        {u"Подключение", 1, {}},
        {u"Ожидание запроса автоответа 3", 31,
         {num(u"Ожидание", u"30", 0, 120),
          jump(u"*Успех", u"Прием данных"),
          jump(u"*Неудача", u"Отбой"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Прием данных", 21,
         {pick(u"Автоответчик", u"Включен"),
          jump(u"*Отбой", u"Отбой")}},
        {u"Авария", 48,
         {pick(u"Опрос канала", u"Включен"),
          num(u"Отключение", u"20", 0, 300)}},
    };
}

std::vector<TProtocolRec> buildOne(const ElementClassRegistry& registry, MessageBox& box,
                                   const QString& name, const std::vector<StepData>& steps)
{
    std::vector<TElementRec> elements = BuildChain<TElementRec>(steps.size(), [&](std::size_t i) {
        const StepData& s = steps[i];
        const QString stepName = QString::fromUtf16(s.name);
        const TElementClassDef* cls = registry.findByCode(s.code);
        const QString className = cls ? cls->Name : QString();
        std::vector<TParamValue> params = BuildChain<TParamValue>(s.values.size(), [&](std::size_t j) {
            const ValueData& v = s.values[j];
            return NewParamValue(registry, box, stepName, className, QString::fromUtf16(v.param), v.min,
                                 v.max, QString::fromUtf16(v.value));
        });
        return NewElement(registry, box, stepName, className, std::move(params));
    });
    std::vector<TProtocolRec> list;
    list.push_back(NewProtocol(name, std::move(elements)));
    return list;
}

} // namespace

std::vector<TProtocolRec> BuildStandardAProtocols(const ElementClassRegistry& registry, MessageBox& box)
{
    return buildOne(registry, box, QStringLiteral("Стандарт A"), StandardASteps());
}

std::vector<TProtocolRec> BuildStandardBProtocols(const ElementClassRegistry& registry, MessageBox& box)
{
    return buildOne(registry, box, QStringLiteral("Стандарт B"), StandardBSteps());
}

std::vector<TProtocolRec> BuildPhysicalLineProtocols(const ElementClassRegistry& registry, MessageBox& box)
{
    return buildOne(registry, box, QStringLiteral("Физическая линия"), PhysicalLineSteps());
}

std::vector<TProtocolRec> BuildRailwayComputerProtocols(const ElementClassRegistry& registry,
                                                        MessageBox& box)
{
    return buildOne(registry, box, QStringLiteral("Ж/Д-ЭВМ АСОУП"), RailwayComputerSteps());
}

std::vector<TProtocolRec> DefaultProtocolsOfKind(int kind, const ElementClassRegistry& registry,
                                                 MessageBox& box)
{
    switch (kind) {
    case 1:
        return BuildStandardAProtocols(registry, box);
    case 2:
        return BuildStandardBProtocols(registry, box);
    case 3:
        return BuildPhysicalLineProtocols(registry, box);
    case 4:
        return BuildRailwayComputerProtocols(registry, box);
    default:
        return {};
    }
}

std::unique_ptr<TProtocolSet> BuildDefaultProtocolSet(int& Err, MessageBox& box)
{
    auto set = std::make_unique<TProtocolSet>();
    set->Registry = BuildClassRegistry(Err);
    for (int kind = 1; kind <= kProtocolKindCount; ++kind)
        if (Err == 0)
            set->Protocols[size_t(kind - 1)] = DefaultProtocolsOfKind(kind, *set->Registry, box);
    for (int channel = 1; channel <= kChannelCount; ++channel) {
        TChannelOptions& o = set->Channels[size_t(channel - 1)];
        o = DefaultChannelOptions();
        SetChannelDigit(channel, o.ReceiveCommonFile);
        SetChannelDigit(channel, o.TransmCommonFile);
        SetChannelDigit(channel, o.ReceiveJrnFile);
        SetChannelDigit(channel, o.TransmJrnFile);
        SetChannelDigit(channel, o.ReceiveDir);
        SetChannelDigit(channel, o.TransmDir);
    }
    set->PortTables = {};
    return set;
}

} // namespace korvane
