// The toolkit's own Russian texts.
#pragma once

class QTranslator;

namespace korvane {

// The toolkit's own Russian texts (qtbase_ru.qm from the toolkit's
// translations folder), so that its standard buttons and dialogs speak the
// program's language: "Да", "Нет", "Отмена". Translator is loaded and
// installed in the application; it must outlive every window. False (and
// nothing installed) when the file is not there: the toolkit then keeps
// its English texts.
bool InstallToolkitTranslations(QTranslator& translator);

} // namespace korvane
