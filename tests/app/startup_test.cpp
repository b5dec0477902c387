// Start-up: the application's title, the windows created once each, and the wiring through which a
// window changes another: the dialogs that need the apparatus close with the cancel result when the
// link is lost.
#include "simulator/apparatus.h"
#include "simulator/simprovider.h"

#include "tests/support/formsession.h"

#include "app/tform14.h"
#include "app/tform15.h"
#include "app/tform5.h"
#include "mainwindow/tform11.h"
#include "mainwindow/tform6.h"
#include "scalar/tform13.h"
#include "setup/tform12.h"
#include "setup/tform4.h"
#include "widgets/controls.h"

#include "version.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

TEST(StartUp, TheApplicationIsTitledAndTheWindowsCarryTheTitleAndVersion) {
    project1::titleApplication();
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("ZAVO DRIVER USB"));
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\d+\\.\\d\\d$")).match(QLatin1String(zavo::kVersion)).hasMatch())
        << zavo::kVersion;
    EXPECT_EQ(QCoreApplication::applicationVersion(), QLatin1String(zavo::kVersion));

    formtest::Session session;
    const project1::Windows& windows = session.windows();
    EXPECT_EQ(windows.main().windowTitle(),
              QStringLiteral("ZAVO DRIVER USB v") + QLatin1String(zavo::kVersion));
    EXPECT_EQ(windows.support().windowTitle(), QGuiApplication::applicationDisplayName());
    EXPECT_EQ(windows.exportProgress().windowTitle(), QStringLiteral("Exporting data to Excel"));
    EXPECT_EQ(windows.print().windowTitle(), QStringLiteral("Print"));
    EXPECT_EQ(windows.regions().windowTitle(), QStringLiteral("Regions of interest"));
    EXPECT_EQ(windows.moveArm().windowTitle(), QStringLiteral("Move arm"));
    EXPECT_EQ(windows.scalar().windowTitle(), QStringLiteral("ZAVO DRIVER SCALAR MODE"));
    // Only the main window shows at start; the dialogs it centres itself over are its own.
    for (const QWidget* window : std::initializer_list<const QWidget*>{
             &windows.setup(), &windows.exportProgress(), &windows.print(), &windows.regions(),
             &windows.moveArm(), &windows.scalar(), &windows.waiting(), &windows.support()})
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
    EXPECT_EQ(windows.moveArm().parent(), &windows.main());
    EXPECT_EQ(&windows.thread(), windows.main().thread());
    EXPECT_EQ(acquisitionThread, &windows.thread());
}

// The windows on the simulated apparatus, which can be unplugged while a dialog is open.
class LinkLoss : public ::testing::Test, protected formtest::SimulatedWindows {
protected:
    LinkLoss() : SimulatedWindows(options()) {}

    static sim::ApparatusOptions options() {
        sim::ApparatusOptions o;
        o.timeScale = 5;
        return o;
    }

    // Connected again after a replug, so every dialog that needs the apparatus may open.
    void connect() {
        ASSERT_TRUE(session.waitUntil(
            [this] { return session.apparatusReady() && session.form().setup->isEnabled(); }));
    }

    // Opens a modal window with `open`, unplugs the apparatus while it is open and returns the
    // result it ended with; the apparatus is plugged in again afterwards.
    int resultOnLinkLoss(QDialog& window, const std::function<void()>& open) {
        int result = -1;
        const QMetaObject::Connection finished =
            QObject::connect(&window, &QDialog::finished, [&result](int r) { result = r; });
        QTimer::singleShot(0, &window, [&] {
            QTimer::singleShot(20, &window, [&] {
                EXPECT_TRUE(window.isVisible());
                apparatus->unplug();
            });
            open();
        });
        EXPECT_TRUE(session.waitUntil([&result] { return result != -1; }));
        QObject::disconnect(finished);
        EXPECT_FALSE(window.isVisible());
        apparatus->replug();
        return result;
    }
};

TEST_F(LinkLoss, TheDialogsThatNeedTheApparatusCloseWithTheCancelResult) {
    TForm1& main = session.form();
    project1::Windows& windows = session.windows();
    connect();
    EXPECT_EQ(resultOnLinkLoss(windows.setup(), [&] { main.setup->click(); }), ui::mrCancel);
    EXPECT_FALSE(main.setup->isEnabled());
    connect();
    EXPECT_EQ(resultOnLinkLoss(windows.moveArm(), [&] { EXPECT_TRUE(main.openMoveArm()); }), ui::mrCancel);
    connect();
    ASSERT_TRUE(session.waitUntil([&] { return main.smode->isEnabled(); }));
    EXPECT_EQ(resultOnLinkLoss(windows.scalar(), [&] { main.smode->click(); }), ui::mrCancel);
    connect();
    EXPECT_EQ(resultOnLinkLoss(windows.waiting(), [&] { windows.waiting().waitOver(&windows.scalar(), 10); }),
              ui::mrCancel);
}

} // namespace
