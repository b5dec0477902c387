#include "tests/support/formsession.h"

#include "device/d2xxunit.h"
#include "engine/qtuiexecutor.h"
#include "simulator/simprovider.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>

#include <cstdio>
#include <cstdlib>

namespace formtest {

std::unique_ptr<ft::Provider> simulator(double timeScale) {
    sim::ApparatusOptions options;
    options.timeScale = timeScale;
    return sim::makeSimProvider(options);
}

SimulatedWindows::SimulatedWindows(const sim::ApparatusOptions& options, bool showMain)
    : apparatus(std::make_shared<sim::Apparatus>(options)),
      session(std::make_unique<sim::SimProvider>(apparatus), 1.0 / options.timeScale) {
    if (showMain)
        session.form().show();
}

Session::Session(std::unique_ptr<ft::Provider> provider, double sleeperScale, const QString& settingsText)
    : sleeper_(sleeperScale) {
    QDir().mkpath(QFileInfo(settingsPath()).absolutePath());
    if (!settingsText.isEmpty()) {
        QFile file(settingsPath());
        if (file.open(QIODevice::WriteOnly))
            file.write(settingsText.toLatin1());
    }
    D2XXUnit::setProvider(std::move(provider));
    project1::Options options;
    options.settingsPath = settingsPath();
    options.safetyCopyDir = dir_.path();
    options.sleeper = &sleeper_;
    windows_ = std::make_unique<project1::Windows>(options);
}

Session::~Session() {
    end();
    D2XXUnit::setProvider(nullptr);
}

void Session::end() {
    windows_.reset();
}

bool Session::apparatusReady() const {
    const engine::TRS& thread = windows_->thread();
    const TForm1& main = windows_->main();
    return thread.controlsEnabled.load() && thread.linkReady.load() && thread.configSnapshot().isValid() &&
           thread.scanState.load() == engine::scanIdle && !main.CA->text().isEmpty() && thread.liveRecord &&
           main.displayedRecord() == thread.liveRecord.get();
}

bool Session::waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) const {
    return windows_->executor().waitUntil(done, timeout);
}

Watchdog::Watchdog(std::chrono::seconds limit)
    : thread_([this, limit] {
          std::unique_lock lock(mutex_);
          if (!cv_.wait_for(lock, limit, [this] { return done_; })) {
              std::fprintf(stderr, "watchdog: the test hung for %lld s\n",
                           static_cast<long long>(limit.count()));
              std::abort();
          }
      }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard lock(mutex_);
        done_ = true;
    }
    cv_.notify_all();
    thread_.join();
}

} // namespace formtest
