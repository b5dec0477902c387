#include "app/project1.h"

#include "app/devicesetup.h"
#include "app/tform14.h"
#include "app/tform15.h"
#include "app/tform5.h"
#include "mainwindow/appwindows.h"
#include "scalar/tform13.h"
#include "setup/tform12.h"
#include "setup/tform4.h"

#include "engine/profilefile.h"

#include <QApplication>
#include <QTextStream>

namespace project1 {

Windows::Windows(const Form1Options& options) {
    AppWindows& windows = appWindows();
    form1_ = std::make_unique<TForm1>(options);
    windows.form1 = form1_.get();

    form4_ = std::make_unique<TForm4>();
    form4_->setSettingsPath(options.settingsPath.isEmpty() ? engine::ProfileFile::defaultPath()
                                                           : options.settingsPath);
    TForm1* main = form1_.get();
    form4_->hooks.offsetApplied = [main](int offset) { main->applyRecordOffset(offset); };
    form4_->hooks.shownDetectorVolts = [main] { return main->shownDetectorVolts(); };
    form4_->hooks.showDetectorVolts = [main](int volts) { main->showLoweredDetectorVolts(volts); };
    form4_->hooks.applyHints = [main](bool shown) { main->applyHints(shown); };
    windows.form4 = form4_.get();

    form5_ = std::make_unique<TForm5>();
    windows.form5 = form5_.get();
    form6_ = std::make_unique<TForm6>();
    windows.form6 = form6_.get();
    windows.form11 = new TForm11(main);
    windows.form12 = new TForm12(main);
    form13_ = std::make_unique<TForm13>();
    windows.form13 = form13_.get();
    form14_ = std::make_unique<TForm14>();
    windows.form14 = form14_.get();
    windows.form15 = new TForm15(main);
}

Windows::~Windows() {
    form1_.reset();
}

int run(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zavo-driver"));

    QString error;
    if (!devicesetup::installProvider(QApplication::arguments(), &error)) {
        QTextStream(stderr) << "zavo-driver: " << error << '\n';
        return 2;
    }
    Windows windows;
    windows.main().show();
    return QApplication::exec();
}

} // namespace project1
