#include "protocols/ElementClassRegistry.h"

namespace korvane {

ParamKind TParamDef::kind() const
{
    if (!Values.isEmpty())
        return ParamKind::Table;
    if (Units)
        return ParamKind::Numeric;
    return Name.startsWith(u'*') ? ParamKind::Jump : ParamKind::Text;
}

qsizetype TParamDef::valueIndex(const QString& text) const
{
    for (qsizetype i = 0; i < Values.size(); ++i)
        if (Values[i] == text)
            return i;
    return -1;
}

const TParamDef* TElementClassDef::findParam(const QString& name) const
{
    const qsizetype i = paramIndex(name);
    return i < 0 ? nullptr : &Params[size_t(i)];
}

qsizetype TElementClassDef::paramIndex(const QString& name) const
{
    for (size_t i = 0; i < Params.size(); ++i)
        if (Params[i].Name == name)
            return qsizetype(i);
    return -1;
}

ElementClassRegistry::ElementClassRegistry(std::vector<TElementClassDef> entries)
    : m_entries(std::move(entries))
{
}

const TElementClassDef* ElementClassRegistry::find(const QString& name) const
{
    for (const TElementClassDef& e : m_entries)
        if (e.Name == name)
            return &e;
    return nullptr;
}

const TElementClassDef* ElementClassRegistry::findByCode(quint8 code) const
{
    for (const TElementClassDef& e : m_entries)
        if (e.Code == code)
            return &e;
    return nullptr;
}

QString NewValue(const QString& text)
{
    return text.left(kRegistryTextLimit);
}

TParamDef NewParamDef(const QString& name, const QString& units, const QStringList& values)
{
    TParamDef d;
    d.Name = name.left(kRegistryTextLimit);
    if (!units.isEmpty())
        d.Units = units;
    for (const QString& v : values)
        d.Values << NewValue(v);
    return d;
}

TElementClassDef NewClassDef(quint8 code, const QString& name, std::vector<TParamDef> params)
{
    TElementClassDef c;
    c.Code = code;
    c.Name = name.left(kRegistryTextLimit);
    c.Params = std::move(params);
    return c;
}

namespace {

QString t(const char16_t* text)
{
    return QString::fromUtf16(text);
}

// A parameter with a unit and no table (numeric).
TParamDef num(const char16_t* name, const char16_t* units)
{
    return NewParamDef(t(name), t(units));
}

// A parameter without unit or table: a jump parameter when its name
// begins with '*', free text otherwise.
TParamDef plain(const char16_t* name)
{
    return NewParamDef(t(name), QString());
}

TParamDef table(const char16_t* name, std::initializer_list<const char16_t*> values,
                const char16_t* units = u"")
{
    QStringList list;
    for (const char16_t* v : values)
        list << t(v);
    return NewParamDef(t(name), t(units), list);
}

TParamDef offOn(const char16_t* name)
{
    return table(name, {u"Выключен", u"Включен"});
}

TParamDef offOnFeminine(const char16_t* name)
{
    return table(name, {u"Выключена", u"Включена"});
}

std::vector<TParamDef> preHeaderParams()
{
    return {offOnFeminine(u"Передача"), plain(u"*Отбой"), plain(u"Строка")};
}

std::vector<TParamDef> emergencyParams()
{
    return {offOn(u"Опрос канала"), num(u"Отключение", u"мин")};
}

} // namespace

std::unique_ptr<const ElementClassRegistry> BuildClassRegistry(int& Err)
{
    Err = 0;
    std::vector<TElementClassDef> e;
    e.reserve(45);
    auto add = [&e](quint8 code, const QString& name, std::vector<TParamDef> params) {
        e.push_back(NewClassDef(code, name, std::move(params)));
    };

    // Letters A, B, AB and GA below are Latin; so is the 'p' in the names of
    // codes 66 and 67, written apart to keep it visible. All other letters
    // are Cyrillic.
    add(64, t(u"Отбой приема"), {num(u"Длительность-Д", u"мс"), num(u"Длительность-О", u"мс")});
    add(27, t(u"Отбой"), {});
    add(12, t(u"Пауза"), {num(u"Длительность", u"мс")});
    add(7, t(u"Импульс"), {num(u"Длительность", u"мс")});
    add(34, t(u"Постоянный донабор"), {offOn(u"Набор"), plain(u"Код выхода")});
    add(28, t(u"Ожидание подтверждения отбоя"),
        {num(u"Ожидание", u"с"), num(u"Длительность", u"мс"), plain(u"*Успех"), plain(u"*Неудача")});
    add(29, t(u"Анализ состояния приема"),
        {num(u"Ожидание", u"с"), num(u"Длительность", u"мс"), plain(u"*Успех"), plain(u"*Неудача"),
         plain(u"*Отбой")});
    add(43, t(u"Входящий вызов"), {num(u"Длительность", u"мс")});
    add(42, t(u"Анализ состояния передачи"), {plain(u"*Успех"), plain(u"*Автоответ"), plain(u"*Отбой")});
    add(1, t(u"Установить полярность \"+\""), {});
    add(2, t(u"Установить полярность \"-\""), {});
    add(16, t(u"Декадный донабор"), {plain(u"*Донабор"), plain(u"*Отсутствует")});
    add(26, t(u"Ожид. приглашения к набору номера"),
        {num(u"Ожидание", u"с"), num(u"Длительность 1", u"мс"), num(u"Длительность 2", u"мс"),
         plain(u"*Успех"), plain(u"*Неудача"), plain(u"*Занято")});
    add(19, t(u"Набор номера (B)"),
        {num(u"Размыкание", u"мс"), num(u"Замыкание", u"мс"), num(u"Межсерийный интервал", u"мс"),
         plain(u"*Донабор"), plain(u"*Нет донабора")});
    add(25, t(u"Ожидание подключения"),
        {num(u"Ожидание", u"с"), num(u"Длительность", u"мс"), plain(u"*Успех"), plain(u"*Неудача"),
         plain(u"*Отбой")});
    add(18, t(u"Набор номера (A)"),
        {plain(u"*Донабор"), plain(u"*Нет донабора"), plain(u"*Отбой"), offOn(u"Ожидание запроса АО"),
         plain(u"*Нет донабора+ожидание запроса АО")});
    add(11, t(u"Ожидание символа"),
        {num(u"Ожидание", u"с"), num(u"Пауза", u"с"), plain(u"*Успех"), plain(u"*Неудача"),
         plain(u"*Отбой")});
    add(30, t(u"Ожидание служебных сигналов"),
        {num(u"Ожидание", u"с"), num(u"Пауза", u"с"), offOn(u"Анализ GA"),
         num(u"Входящий вызов", u"символов"), plain(u"*Входящий вызов"), plain(u"*Отбой"),
         plain(u"*Автоответ"), plain(u"*Запрос автоответа"), plain(u"*Неудача")});
    add(17, t(u"Вызов центральной"), {plain(u"*Отсутствует"), plain(u"*Отбой"), plain(u"Код центральной")});
    add(31, t(u"Ожидание запроса автоответа"),
        {num(u"Ожидание", u"с"), plain(u"*Успех"), plain(u"*Неудача"), plain(u"*Отбой")});
    add(23, t(u"Передача ЗАО"), {});
    add(24, t(u"Прием автоответа"),
        {num(u"Ожидание", u"с"), num(u"Число попыток", u" "), plain(u"*Успех"),
         plain(u"*Завершение ожидания"), plain(u"*Неудача"), plain(u"*Отбой")});
    add(22, t(u"Передача автоответа"), {plain(u"*Отбой"), plain(u"*Составная телеграмма")});
    add(10, t(u"Передача строки"), {offOnFeminine(u"Передача"), plain(u"*Отбой"), plain(u"Строка")});
    add(35, t(u"Передача заголовка"), {offOn(u"Заголовок"), offOn(u"Адрес получателя"), plain(u"*Отбой")});
    add(20, t(u"Передача данных"), {num(u"Ожидание сообщения", u"с"), plain(u"*Отбой")});
    add(15, t(u"Переход"), {plain(u"*Элемент")});
    add(21, t(u"Прием данных"), {offOn(u"Автоответчик"), plain(u"*Отбой")});
    add(48, t(u"Авария"), emergencyParams());
    add(47, t(u"Авария прямого соединения"), emergencyParams());
    add(33, t(u"Выход на ЦКС"),
        {offOn(u"Состояние"), num(u"Количество попыток", u" "), plain(u"Код ЦКС")});
    add(32, t(u"Передача предзаголовка"), preHeaderParams());
    add(39, t(u"Исходное состояние"), {});
    add(40, t(u"Ожидание сообщения"),
        {plain(u"Адресная информация"), offOn(u"Контроль адресной информации"), plain(u"*Отбой")});
    add(41, t(u"Прием сообщения"), {offOn(u"Автоответчик"), plain(u"*Конец сообщения"), plain(u"*Отбой")});
    add(38, t(u"Формирование номера"),
        {offOn(u"Постоянный донабор"), plain(u"Код выхода"), plain(u"Код центральной"),
         offOn(u"Выход на ЦКС"), num(u"Количество попыток", u" "), plain(u"Код ЦКС")});
    add(36, t(u"Набор номера AB"),
        {num(u"Размыкание", u"мс"), num(u"Замыкание", u"мс"), num(u"Межсерийный интервал", u"мс"),
         plain(u"*Донабор"), plain(u"*Нет донабора"), plain(u"*Отбой")});
    add(37, t(u"Ож. приглашения к набору номера AB"),
        {num(u"Ожидание", u"с"), num(u"Длительность 1", u"мс"), num(u"Длительность 2", u"мс"),
         num(u"Длительность уровня", u"мс"), plain(u"*Успех B"), plain(u"*Успех A"), plain(u"*Неудача")});
    add(65, t(u"Занято"),
        {num(u"Длительность 1-Д", u"мс"), num(u"Длительность 2-Д", u"мс"), num(u"Длительность 1-О", u"мс"),
         num(u"Длительность 2-О", u"мс")});
    add(66, t(u"Об" u"p" u"ыв линии"), {num(u"Длительность", u"мс")});
    add(67, t(u"Вст" u"p" u"ечная " u"p" u"абота"),
        {num(u"Количество", u"попыток"), num(u"Ожидание", u"с"), num(u"Пауза", u"с"),
         num(u"Счетчик", u"символов"), num(u"Откат", u"символов"), plain(u"Строка")});
    add(68, t(u"Режим приема/передачи"),
        {table(u"Скорость", {u"50", u"75", u"100", u"110", u"150", u"200", u"300", u"600", u"1200"},
               u"Бит/с"),
         table(u"Число бит информации", {u"4", u"5", u"6", u"7", u"8"}, u"Бит"),
         table(u"Число стоп-бит", {u"1", u"1.5", u"2"}, u"Бит"),
         table(u"Контроль четности", {u"Выключен", u"Нечетность", u"Четность"}),
         num(u"Пауза между символами", u"мс"), plain(u"*Передача данных")});
    add(69, t(u"Параметры сообщения"),
        {plain(u"Признак начала сообщения"), plain(u"Признак конца сообщения A"),
         plain(u"Признак конца сообщения B")});
    add(70, t(u"Пауза при приеме данных"), {num(u"Длительность", u"с")});
    add(32, t(u"Передача предзаголовка"), preHeaderParams());

    return std::make_unique<const ElementClassRegistry>(std::move(e));
}

} // namespace korvane
