// Runs functions on the GUI thread, in the order they were posted, from any
// thread. Posting never waits for the GUI thread.
//
// The functions sit in this object's own queue behind its one mutex; Qt only
// carries a wake-up event, and at most one is pending at a time, so a burst of
// posts costs the event loop a single event. Create, use as a QObject and
// destroy it on the GUI thread; functions still queued when it is destroyed
// are dropped unrun.
#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

namespace lanyi {

class GuiQueue : public QObject {
public:
    explicit GuiQueue(QObject* parent = nullptr);

    void post(std::function<void()> function);
    bool on_gui_thread() const;

protected:
    bool event(QEvent* event) override;

private:
    void run_pending();

    std::mutex mutex_;
    std::deque<std::function<void()>> pending_;
    bool wake_posted_ = false;
};

}  // namespace lanyi
