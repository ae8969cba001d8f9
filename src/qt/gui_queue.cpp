#include "qt/gui_queue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

namespace lanyi {

namespace {

const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

}  // namespace

GuiQueue::GuiQueue(QObject* parent) : QObject(parent) {}

bool GuiQueue::on_gui_thread() const { return QThread::currentThread() == thread(); }

void GuiQueue::post(std::function<void()> function) {
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(std::move(function));
        wake = !wake_posted_;
        wake_posted_ = true;
    }
    if (wake) QCoreApplication::postEvent(this, new QEvent(kWakeEvent));
}

bool GuiQueue::event(QEvent* event) {
    if (event->type() != kWakeEvent) return QObject::event(event);
    run_pending();
    return true;
}

// One function at a time, and a new wake-up allowed before each runs: a
// function may open a dialog whose own event loop must go on running what is
// posted meanwhile; popping singly keeps the order intact across that.
void GuiQueue::run_pending() {
    for (;;) {
        std::function<void()> next;
        {
            std::lock_guard lock(mutex_);
            wake_posted_ = false;
            if (pending_.empty()) return;
            next = std::move(pending_.front());
            pending_.pop_front();
        }
        next();
    }
}

}  // namespace lanyi
