// Comparing records in the main window, zooming its plot with the mouse and typing the settings,
// through the window's own widgets.
#include "tests/support/formsession.h"
#include "tests/support/plotfixtures.h"
#include "tests/support/trsaccess.h"

#include "mainwindow/plot/plotaxes.h"
#include "mainwindow/plot/scanplot.h"
#include "widgets/controls.h"
#include "widgets/spinbutton.h"
#include "widgets/typedentry.h"

#include "records/trecdata.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

class CompareWindow : public ::testing::Test {
protected:
    CompareWindow() : session({}, 0.02, QStringLiteral("[scan]\ntime=5\nres=3\n")) {}

    void SetUp() override {
        ASSERT_TRUE(session.waitUntil([this] { return thread().status().passes > 0; }));
        TForm1& f = form();
        f.resize(1000, 760);
        f.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
        auto a = plotfixtures::spectrumRecord();
        a->comment = QStringLiteral("Cu, Ni filter\nsecond line");
        first = a.get();
        auto b = plotfixtures::spectrumRecord();
        for (int i = 0; i < trecdata::kCellCount; ++i)
            b->SetPoint(i, 2 * b->CellValue(i) + 10); // brighter: its curve lies apart from the first
        b->comment = QStringLiteral("without filter");
        a->modified = false;
        b->modified = false;
        second = b.get();
        firstEntry = f.addLoadedRecord(std::move(a), QStringLiteral("ni.RTG: 0.05/1.0  [deg/sec]"));
        secondEntry = f.addLoadedRecord(std::move(b), QStringLiteral("cu.RTG: 0.05/1.0  [deg/sec]"));
        f.lista->setCurrentIndex(firstEntry);
        f.listaChange();
        QCoreApplication::processEvents();
    }

    TForm1& form() { return session.form(); }
    engine::TRS& thread() { return session.thread(); }
    QWidget* canvas() { return form().plot->PaintBox1(); }

    // Picks the entry's action of a compare button's menu, as the user does.
    static QAction* menuAction(QToolButton* button, int entry) {
        Q_EMIT button->menu()->aboutToShow();
        return button->menu()->actions().value(entry);
    }
    int countPixels(const QImage& image, const QColor& colour) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == colour;
        return n;
    }
    // The angle (angle units) the cursor read-out shows at a visible-area x, snapped to the step.
    QString readoutAt(int x) {
        const QPoint at(x, 40);
        QMouseEvent move(QEvent::MouseMove, at, canvas()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(canvas(), &move);
        return form().plot->coords()->text().section(QLatin1Char(','), 0, 0);
    }
    int xOfAngle(int angle) {
        ScanPlot& p = *form().plot;
        return p.horizontalScale().toPixels(angle - p.record()->ViewFirstCell()) - p.scrollPosX();
    }

    formtest::Session session;
    trecdata* first = nullptr;
    trecdata* second = nullptr;
    int firstEntry = 0;
    int secondEntry = 0;
};

TEST_F(CompareWindow, OverlaidRecordsPaintTwoColoursAndTheLegendNamesBoth) {
    TForm1& f = form();
    const double before = first->CellValue(600);
    const QImage alone = canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(countPixels(alone, plot::overlayColour(0, false)), 0);

    // The displayed entry itself cannot be unchecked away.
    EXPECT_FALSE(menuAction(f.overlays, firstEntry)->isEnabled());
    QAction* action = menuAction(f.overlays, secondEntry);
    ASSERT_TRUE(action && action->isEnabled());
    action->trigger();
    EXPECT_TRUE(f.overlayShown(secondEntry));
    const QImage both = canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(countPixels(both, plot::kLime), 100);
    EXPECT_GT(countPixels(both, plot::overlayColour(0, false)), 100);
    const std::vector<plot::LegendLine> legend = f.plot->legend();
    ASSERT_EQ(legend.size(), 2u);
    EXPECT_EQ(legend[0].text, QStringLiteral("ni.RTG: 0.05/1.0  [deg/sec]  Cu, Ni filter"));
    EXPECT_EQ(legend[1].text, QStringLiteral("cu.RTG: 0.05/1.0  [deg/sec]  without filter"));
    // Being shown together changes neither record.
    EXPECT_EQ(first->comment, QStringLiteral("Cu, Ni filter\nsecond line"));
    EXPECT_EQ(first->CellValue(600), before);
    EXPECT_FALSE(first->modified.load());
    // The printed page gets the overlay too.
    EXPECT_EQ(f.plot->printView().overlays.size(), 1u);

    // Closing the overlaid entry takes it off the plot before the record goes.
    f.lista->setCurrentIndex(secondEntry);
    f.listaChange();
    second->modified = false;
    f.BitBtn2Click();
    f.lista->setCurrentIndex(firstEntry);
    f.listaChange();
    EXPECT_TRUE(f.plot->overlays().empty());
}

TEST_F(CompareWindow, TransmissionEntryIsTheCellByCellRatio) {
    TForm1& f = form();
    QAction* action = menuAction(f.ratio, secondEntry);
    ASSERT_TRUE(action && action->isEnabled());
    action->trigger();
    const int entry = f.lista->count() - 1;
    EXPECT_EQ(f.lista->itemText(entry), QStringLiteral("transmission"));
    EXPECT_EQ(f.displayedEntry, entry);
    const trecdata* ratio = f.displayedRecord();
    ASSERT_TRUE(ratio);
    int compared = 0;
    for (int i = 0; i <= first->LastCell(); i += 37, ++compared) {
        EXPECT_NEAR(ratio->CellValue(i), 100 * first->CellValue(i) / second->CellValue(i), 1e-6) << i;
    }
    EXPECT_GT(compared, 50);
    EXPECT_TRUE(f.SpeedButton2->isEnabled()); // printed and saved like any record
    EXPECT_TRUE(f.BitBtn4->isEnabled());
}

TEST_F(CompareWindow, WheelAndRectangleZoomAboutTheMouseAndADoubleClickUnzooms) {
    TForm1& f = form();
    ScanPlot& p = *f.plot;
    const QPoint centre(p.clientWidth() / 2, 40);
    for (int i = 0; i < 6; ++i) {
        QWheelEvent wheel(centre, canvas()->mapToGlobal(centre), QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas(), &wheel);
    }
    ASSERT_TRUE(p.freeZoomX());
    // 31.7 degrees is 634 angle units.
    const int x = xOfAngle(634);
    ASSERT_EQ(readoutAt(x), QStringLiteral("31.70 deg"));
    const QPoint at(x, 40);
    QWheelEvent wheel(at, canvas()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(canvas(), &wheel);
    EXPECT_EQ(readoutAt(x), QStringLiteral("31.70 deg"));

    // Back to the fitted view, then a rectangle dragged from 30 to 33 degrees.
    QTest::mouseDClick(canvas(), Qt::LeftButton, {}, centre);
    EXPECT_FALSE(p.freeZoomX());
    const double pixel = 1 / p.horizontalScale().value();
    const int x30 = xOfAngle(600);
    const int x33 = xOfAngle(660);
    QTest::mousePress(canvas(), Qt::LeftButton, {}, QPoint(x30, 50));
    QTest::mouseMove(canvas(), QPoint(x33, 53));
    QTest::mouseRelease(canvas(), Qt::LeftButton, {}, QPoint(x33, 53));
    const auto [left, right] = p.visibleAngles();
    EXPECT_NEAR(left, 600, pixel);
    EXPECT_NEAR(right, 660, pixel);
    EXPECT_EQ(p.scrollRangeY(), 0); // a flat rectangle leaves the rates alone
    EXPECT_TRUE(p.unzoomx()->isEnabled());
    p.unzoomx()->click();
    EXPECT_FALSE(p.freeZoomX());
}

TEST_F(CompareWindow, TypedDetectorVoltageSnapsClampsOrIsRefused) {
    TForm1& f = form();
    f.lista->setCurrentIndex(0);
    f.listaChange();
    f.SpinButton4->setEnabled(true); // no link in this test: the arrows' state is the typing's
    f.HVctrl->setText(QStringLiteral("800 "));
    thread().pendingRequests.take();
    auto type = [&](const QString& text) {
        QTest::mouseClick(f.HVctrl, Qt::LeftButton);
        QLineEdit* editor = ui::typedEditor(f.HVctrl);
        EXPECT_TRUE(editor);
        if (!editor)
            return;
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
    };
    struct Case {
        const char* typed;
        const char* shown;
        bool posted;
    };
    for (const Case& c : std::vector<Case>{{"503", "505 ", true},
                                           {"abc", "505 ", false},
                                           {"2000", "1275 ", true},
                                           {"-7", "0 ", true},
                                           {"", "0 ", false}}) {
        type(QString::fromLatin1(c.typed));
        EXPECT_EQ(f.HVctrl->text(), QString::fromLatin1(c.shown)) << c.typed;
        const engine::RequestSet posted = thread().pendingRequests.take();
        EXPECT_EQ(posted.size(), c.posted ? 1 : 0) << c.typed;
        if (c.posted) {
            EXPECT_TRUE(posted.contains(engine::setDetectorHv));
            EXPECT_EQ(engine::TrsTestAccess::values(thread()).hv,
                      QString::fromLatin1(c.shown).trimmed().toInt() / 5);
        }
    }
    // Counting time: to the 0.1 s step.
    f.SpinButton1->setEnabled(true);
    QTest::mouseClick(f.sfrq, Qt::LeftButton);
    QLineEdit* editor = ui::typedEditor(f.sfrq);
    ASSERT_TRUE(editor);
    editor->setText(QStringLiteral("2,34"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(f.sfrq->text(), QStringLiteral("2.3 "));
    EXPECT_EQ(engine::TrsTestAccess::values(thread()).countingTime, 23);
}

} // namespace
