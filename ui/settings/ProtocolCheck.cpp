// The check of a whole protocol set before it is written, and its messages.
#include "ui/settings/ProtocolCheck.h"

#include "platform/MessageBox.h"
#include "protocols/DecimalNumber.h"
#include "platform/MessageCaptions.h"

namespace korvane {

namespace {

QString Quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// "В протоколе "P" у элемента "C" <what> "E: N"".
void ShowValueError(MessageBox& box, const TProtocolRec& protocol, const TElementRec& element,
                    const TParamValue& value, const QString& what)
{
    const QString className = element.ClassDef ? element.ClassDef->Name : QString();
    const QString text = QStringLiteral("В протоколе ") + Quoted(protocol.Name)
                         + QStringLiteral(" у элемента ") + Quoted(className) + QLatin1Char(' ') + what
                         + QLatin1Char(' ') + Quoted(element.Name + QStringLiteral(": ") + value.Def->Name);
    ShowMessage(box, text, MessageIcon::Error, MessageButtons::Ok);
}

bool NamesStep(const TProtocolRec& protocol, const QString& name)
{
    for (const TElementRec& e : protocol.Elements)
        if (e.Name == name)
            return true;
    return false;
}

} // namespace

bool CheckElementValues(const TProtocolRec& protocol, const TElementRec& element, MessageBox& box)
{
    const QString wrongValue = QStringLiteral("неверное значение параметра");
    for (const TParamValue& v : element.Params) {
        if (!v.Def)
            continue;
        const TParamDef& def = *v.Def;
        if (!def.Values.isEmpty()) {
            // Only a damaged file can hold such a value: the engine would
            // use it by its position in the table, which it has none of.
            if (def.valueIndex(v.Value) < 0) {
                ShowValueError(box, protocol, element, v, wrongValue);
                return false;
            }
        } else if (def.Units) {
            if (!parseDecimal(v.Value)) {
                ShowValueError(box, protocol, element, v, wrongValue);
                return false;
            }
        } else if (def.Name.startsWith(QLatin1Char('*'))) {
            if (!NamesStep(protocol, v.Value)) {
                ShowValueError(box, protocol, element, v, QStringLiteral("отсутствует параметр"));
                return false;
            }
        }
    }
    return true;
}

bool CheckProtocolElements(const TProtocolRec& protocol, MessageBox& box)
{
    for (const TElementRec& e : protocol.Elements) {
        if (!e.ClassDef || e.ClassDef->Params.empty())
            continue;
        if (!CheckElementValues(protocol, e, box))
            return false;
    }
    return true;
}

bool CheckProtocolList(const std::vector<TProtocolRec>& list, MessageBox& box)
{
    for (const TProtocolRec& p : list)
        if (!CheckProtocolElements(p, box))
            return false;
    return true;
}

bool CheckProtocols(const TProtocolSet& Set, MessageBox& box)
{
    bool ok = true;
    for (const std::vector<TProtocolRec>& list : Set.Protocols)
        ok = CheckProtocolList(list, box) && ok;
    return ok;
}

} // namespace korvane
