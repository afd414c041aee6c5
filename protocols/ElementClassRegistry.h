#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace korvane {

// How a step's value of a parameter is read, decided by the definition alone.
enum class ParamKind {
    Table,   // one of the value table's texts; used by its 0-based position
    Numeric, // a decimal number with '.'; the unit gives its scale
    Jump,    // the name of a step of the same protocol
    Text,    // free text
};

// Names and texts of the registry are cut to this many characters.
inline constexpr qsizetype kRegistryTextLimit = 68;

// One parameter definition of an element class.
struct TParamDef {
    // A name beginning with '*' makes a jump parameter.
    QString Name;
    // No value: the parameter has no unit. A unit may be a single blank.
    std::optional<QString> Units;
    // The value table, in its order; empty: the parameter has none.
    QStringList Values;

    ParamKind kind() const;
    // Position of Text in the value table (exact comparison), or -1.
    qsizetype valueIndex(const QString& text) const;
};

// One entry of the element-class registry.
struct TElementClassDef {
    quint8 Code = 0;
    QString Name;
    std::vector<TParamDef> Params; // in definition order; empty: no parameters

    // First definition whose name equals Name exactly (letter case counts).
    const TParamDef* findParam(const QString& name) const;
    // Its position in Params, or -1.
    qsizetype paramIndex(const QString& name) const;
};

// The catalogue of element classes, in list order. Built once, never changed:
// steps and values keep pointers to its entries and definitions.
class ElementClassRegistry {
public:
    explicit ElementClassRegistry(std::vector<TElementClassDef> entries);
    ElementClassRegistry(const ElementClassRegistry&) = delete;
    ElementClassRegistry& operator=(const ElementClassRegistry&) = delete;

    const std::vector<TElementClassDef>& entries() const { return m_entries; }
    qsizetype size() const { return qsizetype(m_entries.size()); }

    // First entry whose display name equals Name exactly (letter case counts).
    const TElementClassDef* find(const QString& name) const;
    // First entry of that code.
    const TElementClassDef* findByCode(quint8 code) const;

private:
    std::vector<TElementClassDef> m_entries;
};

// Constructors of registry nodes; each cuts its name or text to the first
// 68 characters (units are not cut). An empty Units gives no unit.
QString NewValue(const QString& text);
TParamDef NewParamDef(const QString& name, const QString& units, const QStringList& values = {});
TElementClassDef NewClassDef(quint8 code, const QString& name, std::vector<TParamDef> params = {});

// A new registry with the 45 built-in entries. Err is set to 0.
std::unique_ptr<const ElementClassRegistry> BuildClassRegistry(int& Err);

} // namespace korvane
