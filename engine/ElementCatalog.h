#pragma once

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace korvane {

class TTxChannelDriver;
class TTxElementPro;

// The element classes a driver makes its prototypes of, in the order of
// creation: one prototype per entry, found by its display name. An entry
// without a factory is a class the engine does not have yet; the driver
// makes no prototype for it, so a step of that class fails as a step of an
// unknown class does.
using ElementFactory = std::function<std::unique_ptr<TTxElementPro>(TTxChannelDriver&)>;
// The factories of one family of element classes, by class name.
using ElementFactories = std::map<QString, ElementFactory>;

// The factory of element class T (constructed from its driver alone).
template <typename T>
ElementFactory FactoryOf()
{
    return [](TTxChannelDriver& d) -> std::unique_ptr<TTxElementPro> { return std::make_unique<T>(d); };
}

struct ElementCatalogEntry {
    QString ClassName;   // "TTxPause"
    QString DisplayName; // "Пауза"
    ElementFactory Create;
};

using ElementCatalog = std::vector<ElementCatalogEntry>;

// The program's catalogue: the 36 entries of the element classes in the
// driver's order of creation ("Вызов центральной" twice).
const ElementCatalog& DefaultElementCatalog();

} // namespace korvane
