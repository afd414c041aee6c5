#include "directories/AbonentLookup.h"

namespace korvane {

SubscriberLookup::Result AbonentLookup::LocateSubscriber(const QString& number, SubscriberRecord& record,
                                                         QString& error)
{
    BrowseQuery& query = m_module.AbonentQuery;
    if (!query.Active()) {
        error = m_module.AbonentError().isEmpty() ? QStringLiteral("Таблица абонентов закрыта")
                                                  : m_module.AbonentError();
        return Result::Unavailable;
    }
    if (query.FieldIndex(u"ABONENT_No") < 0) {
        error = QStringLiteral("В таблице абонентов нет поля ABONENT_No");
        return Result::Unavailable;
    }
    if (!query.Locate(u"ABONENT_No", number))
        return Result::NotFound;
    record.Name = query.FieldAsText(u"ABONENT_Name");
    record.AnswerBack = query.FieldAsText(u"ABONENT_AnsBk");
    return Result::Found;
}

} // namespace korvane
