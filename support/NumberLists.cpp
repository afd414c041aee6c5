#include "support/NumberLists.h"

#include <cassert>
#include <thread>

namespace korvane {

NumberList* UnsuccNumbers = nullptr;
NumberList* BadNumbers = nullptr;
std::atomic<bool> ListsBusy = false;

const QString& NumberList::Number(int index) const
{
    return m_entries.at(static_cast<std::size_t>(index)).number;
}

NumberListObject* NumberList::Object(int index) const
{
    return m_entries.at(static_cast<std::size_t>(index)).object.get();
}

int NumberList::IndexOf(const QString& number) const
{
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].number.compare(number, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

int NumberList::Add(const QString& number, std::unique_ptr<NumberListObject> object)
{
    if (Count() >= MaxCount)
        return -1;
    m_entries.push_back({number, std::move(object)});
    return Count() - 1;
}

void NumberList::Delete(int index)
{
    assert(index >= 0 && index < Count());
    if (index < 0 || index >= Count())
        return;
    m_entries.erase(m_entries.begin() + index);
}

void NumberList::Clear()
{
    m_entries.clear();
}

ListsBusyLock::ListsBusyLock()
{
    while (ListsBusy.exchange(true, std::memory_order_acquire))
        std::this_thread::yield();
}

ListsBusyLock::~ListsBusyLock()
{
    ListsBusy.store(false, std::memory_order_release);
}

ScopedNumberLists::ScopedNumberLists()
    : m_unsucc(std::make_unique<NumberList>()), m_bad(std::make_unique<NumberList>())
{
    assert(UnsuccNumbers == nullptr && BadNumbers == nullptr);
    UnsuccNumbers = m_unsucc.get();
    BadNumbers = m_bad.get();
}

ScopedNumberLists::~ScopedNumberLists()
{
    UnsuccNumbers = nullptr;
    BadNumbers = nullptr;
}

void RemoveNumberFromLists(const QString& number)
{
    const ListsBusyLock lock;
    for (NumberList* list : {UnsuccNumbers, BadNumbers}) {
        if (list == nullptr)
            continue;
        const int index = list->IndexOf(number);
        if (index >= 0)
            list->Delete(index);
    }
}

} // namespace korvane
