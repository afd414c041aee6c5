#pragma once

#include <QObject>

#include <functional>
#include <memory>

namespace korvane {

// Runs calls on the thread that created the queue (the GUI thread): at once
// when made there, otherwise queued through that thread's event loop. Calls
// posted from one thread run in the order they were posted. Calls still
// queued when the queue is destroyed are dropped; nothing may post while it
// is being destroyed.
class GuiThreadQueue {
public:
    GuiThreadQueue();
    ~GuiThreadQueue();
    GuiThreadQueue(const GuiThreadQueue&) = delete;
    GuiThreadQueue& operator=(const GuiThreadQueue&) = delete;

    void Post(std::function<void()> call);
    bool OnOwnThread() const;

private:
    std::unique_ptr<QObject> receiver_;
};

} // namespace korvane
