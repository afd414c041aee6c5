#pragma once

#include <QString>

#include <atomic>
#include <memory>
#include <vector>

namespace korvane {

// The state the engine attaches to one entry of a number list (the retry
// state of an unsuccessful number, the reason a number was given up).
// Derive from it; the list owns the object and destroys it with its entry.
class NumberListObject {
public:
    virtual ~NumberListObject() = default;
};

// A list of telephone numbers, each with an owned object: unsorted,
// duplicates allowed, looked up without regard to letter case. Positions
// are 16-bit signed values for its users, so it holds at most MaxCount
// entries.
class NumberList {
public:
    static constexpr int MaxCount = 32767;

    int Count() const { return static_cast<int>(m_entries.size()); }
    bool IsEmpty() const { return m_entries.empty(); }

    // Index must be in 0..Count()-1.
    const QString& Number(int index) const;
    NumberListObject* Object(int index) const;
    template <class T>
    T* ObjectAs(int index) const
    {
        return dynamic_cast<T*>(Object(index));
    }

    // The first entry whose number equals Number ignoring letter case, or -1.
    int IndexOf(const QString& number) const;

    // Appends an entry; returns its index, or -1 when the list is full
    // (the object is then discarded).
    int Add(const QString& number, std::unique_ptr<NumberListObject> object);

    // Removes the entry and destroys its object.
    void Delete(int index);
    void Clear();

private:
    struct Entry {
        QString number;
        std::unique_ptr<NumberListObject> object;
    };
    std::vector<Entry> m_entries;
};

// Numbers whose calls failed and are being retried, and numbers given up.
// Both are null while no scanner exists: the scanner holds a
// ScopedNumberLists for its lifetime, so every restart of the channels
// begins with both lists empty.
extern NumberList* UnsuccNumbers;
extern NumberList* BadNumbers;

// The guard of both lists: a user waits while it is set, sets it, works on
// the lists and clears it. Take it through ListsBusyLock.
extern std::atomic<bool> ListsBusy;

// Holds ListsBusy for its lifetime; the constructor waits until the flag
// is free. All users run on one thread, so a holder must not run the
// message loop.
class ListsBusyLock {
public:
    ListsBusyLock();
    ~ListsBusyLock();
    ListsBusyLock(const ListsBusyLock&) = delete;
    ListsBusyLock& operator=(const ListsBusyLock&) = delete;
};

// Creates both lists empty and publishes them in UnsuccNumbers and
// BadNumbers; the destructor destroys them and resets both pointers to
// null. Only one may exist at a time.
class ScopedNumberLists {
public:
    ScopedNumberLists();
    ~ScopedNumberLists();
    ScopedNumberLists(const ScopedNumberLists&) = delete;
    ScopedNumberLists& operator=(const ScopedNumberLists&) = delete;

private:
    std::unique_ptr<NumberList> m_unsucc;
    std::unique_ptr<NumberList> m_bad;
};

// Takes Number off both lists, under ListsBusy: at most one entry from
// each. A list that does not exist is passed over.
void RemoveNumberFromLists(const QString& number);

} // namespace korvane
