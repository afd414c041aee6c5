#pragma once

// A hook that a dialog sets to follow a query's current record. The hook
// belongs to the dialog that set it: once that dialog is destroyed the
// hook is never called again, even when nothing set another one.

#include <QObject>
#include <QPointer>

#include <functional>

namespace korvane {

class ScrollHook {
public:
    using Handler = std::function<void(QObject* sender)>;

    void Set(QObject* owner, Handler handler)
    {
        m_owner = owner;
        m_handler = std::move(handler);
    }
    bool IsSet() const { return m_handler && !m_owner.isNull(); }
    void operator()(QObject* sender) const
    {
        if (IsSet())
            m_handler(sender);
    }

private:
    QPointer<QObject> m_owner;
    Handler m_handler;
};

} // namespace korvane
