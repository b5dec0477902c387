// The main window and the scalar-mode window on the screens of school laptops and desktops, at the
// display scalings the desktop offers: each fits the available area (a title bar included), at its
// smallest allowed size too, with every button inside the window and none over another.
#include "tests/support/formsession.h"

#include "scalar/scalarchart.h"
#include "scalar/scalarevaluation.h"
#include "scalar/tform13.h"
#include "widgets/controls.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

// The area a window may take on a screen of `width` x `height` pixels at `scale`, in the logical
// pixels Qt lays windows out in, less a task bar of 40 pixels.
QRect logicalArea(int width, int height, double scale) {
    return {0, 0, static_cast<int>(width / scale), static_cast<int>((height - 40) / scale)};
}

// What is wrong with the controls' places: one outside the window, or two overlapping.
QString misplaced(QWidget* window, const std::vector<QWidget*>& controls) {
    const QRect inside = window->rect();
    std::vector<QRect> places;
    for (QWidget* control : controls) {
        const QRect place(control->mapTo(window, QPoint(0, 0)), control->size());
        if (!inside.contains(place))
            return control->objectName() + QStringLiteral(" lies outside the window");
        places.push_back(place);
    }
    for (std::size_t i = 0; i < places.size(); ++i) {
        for (std::size_t j = i + 1; j < places.size(); ++j) {
            if (places[i].intersects(places[j]))
                return controls[i]->objectName() + QStringLiteral(" covers ") + controls[j]->objectName();
        }
    }
    return {};
}

} // namespace

TEST(ScreenFit, BothWindowsFitEveryScreenAndScalingWithEveryButtonVisible) {
    formtest::Session session;
    TForm1& main = session.form();
    TForm13& scalar = session.windows().scalar();
    main.show();
    scalar.show();
    const std::vector<QWidget*> mainButtons = {
        main.rec,     main._pause,       main._stop,        main.ssleft,  main.sleft,   main.sright,
        main.ssright, main.HV,           main.speaker,      main.BitBtn3, main.smode,   main.BitBtn4,
        main.BitBtn5, main.BitBtn2,      main.SpeedButton2, main.setup,   main.BitBtn7, main.rngbutton,
        main.aranges, main.SpeedButton3, main.lista};
    const std::vector<QWidget*> scalarButtons = {
        scalar.Button1, scalar.BitBtn1, scalar.BitBtn3, scalar.BitBtn4, scalar.SpeedButton2, scalar.BitBtn7,
        scalar.res,     scalar.mode,    scalar.ft,      scalar.wykr,    scalar.evaluation};
    struct Screen {
        int width, height;
        double scale;
    };
    const Screen screens[] = {{1366, 768, 1.0},  {1366, 768, 1.25}, {1366, 768, 1.5},  {1920, 1080, 1.0},
                              {1920, 1080, 1.5}, {1920, 1080, 2.0}, {2560, 1440, 2.0}, {3840, 2160, 2.0}};
    constexpr int kTitleBar = 40;
    for (const Screen& screen : screens) {
        const QString name =
            QStringLiteral("%1x%2 at %3 %").arg(screen.width).arg(screen.height).arg(screen.scale * 100);
        const QRect area = logicalArea(screen.width, screen.height, screen.scale);
        // The windows as start-up and the first show fit them: room for a title bar they do not
        // have yet.
        main.resize(1024, 720);
        main.fitToScreen(area.adjusted(0, 0, 0, -kTitleBar));
        scalar.resize(TForm13::kDesignSize);
        scalar.fitToScreen(area);
        QCoreApplication::processEvents();
        EXPECT_LE(main.height() + kTitleBar, area.height()) << name.toStdString();
        EXPECT_LE(main.width(), area.width()) << name.toStdString();
        // Shown, the scalar window knows its frame.
        EXPECT_LE(scalar.frameGeometry().height(), area.height()) << name.toStdString();
        EXPECT_LE(scalar.frameGeometry().width(), area.width() + 4) << name.toStdString();
        EXPECT_LE(scalar.width(), area.width()) << name.toStdString();
        EXPECT_EQ(misplaced(&main, mainButtons), QString()) << name.toStdString();
        EXPECT_EQ(misplaced(&scalar, scalarButtons), QString()) << name.toStdString();
    }
    // At their smallest, and at every width of the main window's bar between 800 and 900 pixels.
    for (int width = 800; width <= 900; width += 10) {
        main.resize(width, 0);
        QCoreApplication::processEvents();
        EXPECT_EQ(misplaced(&main, mainButtons), QString()) << main.width();
    }
    EXPECT_EQ(main.height(), main.smallestSize().height());
    EXPECT_GE(main.smallestSize().width(), 850);
    scalar.fitToScreen(QRect(0, 0, 400, 300)); // a screen too small: the smallest size
    QCoreApplication::processEvents();
    EXPECT_EQ(scalar.size(), TForm13::kSmallestSize);
    EXPECT_EQ(misplaced(&scalar, scalarButtons), QString());
    // A large screen at 100 % keeps the design sizes.
    main.resize(1024, 720);
    main.fitToScreen(logicalArea(1920, 1080, 1.0));
    scalar.fitToScreen(logicalArea(1920, 1080, 1.0));
    EXPECT_EQ(main.size(), QSize(1024, 720));
    EXPECT_EQ(scalar.size(), TForm13::kDesignSize);
}
