// The toolkit's own Russian texts, loaded from the toolkit's translations.
#include "ui/program/ToolkitTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace korvane {

bool InstallToolkitTranslations(QTranslator& translator)
{
    if (!translator.load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&translator);
}

} // namespace korvane
