#include "app/project1.h"

#include "app/sessionend.h"
#include "app/tform14.h"
#include "app/tform15.h"
#include "app/tform5.h"
#include "connection/devicesetup.h"
#include "mainwindow/formupdates.h"
#include "mainwindow/tform11.h"
#include "mainwindow/tform6.h"
#include "scalar/tform13.h"
#include "setup/tform12.h"
#include "setup/tform4.h"

#include "engine/profilefile.h"
#include "engine/qtuiexecutor.h"
#include "engine/trs.h"

#include "version.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>
#include <QThread>

namespace project1 {

void titleApplication() {
    QCoreApplication::setApplicationName(QLatin1String(zavo::kApplicationTitle));
    QCoreApplication::setApplicationVersion(QLatin1String(zavo::kVersion));
}

Windows::Windows(const Options& options) : executor_(std::make_unique<engine::QtUiExecutor>()) {
    createWindows(options);
    wireWindows();
    startThread(options);
}

Windows::~Windows() {
    if (thread_) {
        // Closing the executor (part of terminate) releases a worker that waits in a synchronised
        // call, so waiting for the run to end cannot deadlock.
        thread_->terminate();
        thread_->waitFor();
    }
    form1_.reset();
    thread_.reset();
}

void Windows::createWindows(const Options& options) {
    Form1Options mainOptions;
    mainOptions.settingsPath = options.settingsPath;
    mainOptions.installKeyFilter = options.installKeyFilter;
    form1_ = std::make_unique<TForm1>(mainOptions);
    TForm1* main = form1_.get();
    form4_ = std::make_unique<TForm4>();
    form4_->setSettingsPath(options.settingsPath.isEmpty() ? engine::ProfileFile::defaultPath()
                                                           : options.settingsPath);
    form5_ = std::make_unique<TForm5>();
    form6_ = std::make_unique<TForm6>();
    form11_ = new TForm11(main);
    form12_ = new TForm12(main);
    form13_ = std::make_unique<TForm13>();
    form14_ = std::make_unique<TForm14>();
    form15_ = new TForm15(main);
}

void Windows::wireWindows() {
    TForm1* main = form1_.get();
    form4_->hooks.offsetApplied = [main](int offset) { main->applyRecordOffset(offset); };
    form4_->hooks.shownDetectorVolts = [main] { return main->shownDetectorVolts(); };
    form4_->hooks.showDetectorVolts = [main](int volts) { main->showLoweredDetectorVolts(volts); };
    form4_->hooks.applyHints = [main](bool shown) { main->applyHints(shown); };
    form4_->hooks.editEvaluation = [main] { main->editEvaluationSettings(); };

    PeerWindows peers;
    peers.setup = form4_.get();
    peers.print = form6_.get();
    peers.regions = form11_;
    peers.moveArm = form12_;
    peers.scalar = form13_.get();
    peers.waiting = form14_.get();
    peers.exportProgress = form5_.get();
    TForm15* support = form15_;
    peers.showSupport = [support] { support->exec(); };
    main->connectWindows(peers);
    DataWait* waiting = form14_.get();
    form13_->waitForData = [waiting](const QWidget* owner, int ticks) {
        return waiting->waitOver(owner, ticks);
    };
    form13_->detectorVoltsShown = [main](int volts) { main->showLoweredDetectorVolts(volts); };
    form13_->benchDeclared = [](const QString& radiator, const QString& filter, double thicknessMm) {
        devicesetup::declareOnSimulatedBench(radiator, filter, thicknessMm);
    };
    form13_->programFolder = QCoreApplication::applicationDirPath();
    form13_->anodeZ = [main] { return main->evaluationDefaults().anodeZ; };
}

void Windows::startThread(const Options& options) {
    updates_ = std::make_unique<FormUpdates>(*form1_);
    engine::TrsEnvironment environment;
    environment.executor = &executor_->executor();
    environment.windows = updates_.get();
    environment.clock = options.clock;
    environment.sleeper = options.sleeper;
    environment.settingsPath = options.settingsPath;
    environment.safetyCopyDir = options.safetyCopyDir;
    thread_ = std::make_unique<engine::TRS>(environment);
    engine::TRS* thread = thread_.get();
    form14_->onAbort = [thread] { thread->requestAbortAcquire(); };
    form1_->connectThread(*thread_, *executor_, *updates_);
    QThread::yieldCurrentThread();
}

int run(int argc, char** argv) {
    QApplication application(argc, argv);
    titleApplication();
    // The desktop entry and the icon as installed (share/applications, share/icons/hicolor).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.zavo.driver"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.zavo.driver")));

    QString error;
    if (!devicesetup::installProvider(QApplication::arguments(), &error)) {
        QTextStream(stderr) << "zavo-driver: " << error << '\n';
        return 2;
    }
    auto windows = std::make_unique<Windows>();
    SessionEnd sessionEnd(windows->thread(), [](int status) { QCoreApplication::exit(status); });
    windows->main().show();
    // The thread ends with the shutdown sequence while the signals are still caught and read: a
    // second one hurries it, but must not cut it short.
    const int status = sessionEnd.endThread(QApplication::exec());
    windows.reset();
    return status;
}

} // namespace project1
