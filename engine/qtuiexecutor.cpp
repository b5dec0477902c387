#include "engine/qtuiexecutor.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMetaObject>

namespace engine {

QtUiExecutor::QtUiExecutor(QObject* parent) : QObject(parent) {
    executor_.bindToCurrentThread();
    // The waker runs on the worker thread; the queued invocation lands on this object's thread.
    // The destructor removes the waker before the object goes, and Qt drops events still posted
    // to a destroyed receiver.
    executor_.setWaker([this] {
        QMetaObject::invokeMethod(
            this, [this] { executor_.serve(); }, Qt::QueuedConnection);
    });
}

QtUiExecutor::~QtUiExecutor() {
    executor_.setWaker({});
    executor_.close();
}

bool QtUiExecutor::waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    QDeadlineTimer deadline(timeout);
    while (!done()) {
        if (deadline.hasExpired())
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        executor_.serveFor(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace engine
