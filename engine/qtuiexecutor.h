// Serves synchronised calls through a Qt event loop: a call from the worker queues a serve() on
// the thread this object lives in (the user-interface thread), so a GUI needs nothing else.
// waitUntil() keeps serving while the user-interface thread waits for the worker, the way a
// closing window keeps processing messages.
#pragma once

#include "engine/uiexecutor.h"

#include <QObject>

#include <chrono>
#include <functional>

namespace engine {

class QtUiExecutor : public QObject {
    Q_OBJECT
public:
    explicit QtUiExecutor(QObject* parent = nullptr);
    ~QtUiExecutor() override;

    UiExecutor& executor() { return executor_; }

    // Processes events and serves calls until `done` returns true or `timeout` passes; returns
    // the last value of `done`.
    bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

private:
    UiExecutor executor_;
};

} // namespace engine
