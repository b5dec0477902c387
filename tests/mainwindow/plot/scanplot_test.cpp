// The scan plot as widgets: what it paints where, its tools, zoom by mouse, the strips it repaints
// and the cursor read-out. Runs on the offscreen platform, whose screen grab is the window's
// backing store, so the tests see what the opaque canvas really keeps on screen.
#include "mainwindow/plot/plotaxes.h"
#include "mainwindow/plot/scanplot.h"
#include "tests/support/plotfixtures.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

using namespace plot;

namespace {

// Records the regions the curve canvas is asked to paint.
class PaintSpy : public QObject {
public:
    QRegion painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

class ScanPlotTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<QWidget>();
        window_->resize(840, 560);
        panel_ = new QWidget(window_.get());
        panel_->setGeometry(16, 8, 800, 500);
        tools_ = new QWidget(window_.get());
        tools_->setGeometry(0, 510, 840, 50);
        plot_ = new ScanPlot(panel_, tools_);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        settle();
    }

    void show(trecdata* record) {
        plot_->setRecord(record);
        settle();
    }

    static void settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
        }
    }

    QWidget* canvas() const { return plot_->PaintBox1(); }

    // What the window shows of the canvas now.
    QImage canvasOnScreen() const {
        const QImage screen = window_->screen()->grabWindow(window_->winId()).toImage();
        return screen.copy(QRect(canvas()->mapTo(window_.get(), QPoint(0, 0)), canvas()->size()));
    }
    // The canvas painted afresh from the record.
    QImage canvasFresh() const { return canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    void moveMouse(QWidget* widget, QPoint pos) {
        QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }

    void click(Qt::MouseButton button, QPoint pos) {
        QTest::mouseClick(canvas(), button, Qt::NoModifier, pos);
        settle();
    }

    void chooseTool(QToolButton* tool) {
        QTest::mouseClick(tool, Qt::LeftButton);
        settle();
    }

    std::unique_ptr<QWidget> window_;
    QWidget* panel_ = nullptr;
    QWidget* tools_ = nullptr;
    ScanPlot* plot_ = nullptr;
};

template <class Match>
int countMatching(const QImage& image, Match match, QRect area = QRect()) {
    if (area.isNull()) {
        area = image.rect();
    }
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += match(image.pixelColor(x, y));
        }
    }
    return count;
}

int countColour(const QImage& image, const QColor& colour) {
    return countMatching(image, [&colour](const QColor& pixel) { return pixel == colour; });
}

// Text is antialiased: its yellow mixes with the green background.
bool isYellowish(const QColor& pixel) {
    return pixel.red() > 100 && pixel.green() > 100 && pixel.blue() < 60;
}

// A record of `degrees` whole degrees from 10 degrees on.
std::unique_ptr<trecdata> spanRecord(int degrees) {
    return plotfixtures::flatRecord(30, 1, 200, 200 + 20 * degrees);
}

} // namespace

TEST_F(ScanPlotTest, ComponentsCaptionsAndHints) {
    EXPECT_EQ(plot_->PaintBox2()->objectName(), "PaintBox2");
    EXPECT_EQ(plot_->ScrollBox1()->objectName(), "ScrollBox1");
    EXPECT_EQ(plot_->PaintBox1()->objectName(), "PaintBox1");
    EXPECT_TRUE(plot_->PaintBox1()->testAttribute(Qt::WA_OpaquePaintEvent));
    EXPECT_EQ(plot_->ScrollBox1()->geometry(), QRect(50, 20, 720, 406));
    EXPECT_EQ(plot_->Panel4()->geometry(), QRect(0, 443, 800, 57));
    EXPECT_EQ(plot_->pointto()->text(), "?");
    EXPECT_EQ(plot_->pointto()->toolTip(), "Show data under cursor");
    EXPECT_EQ(plot_->zoomx()->text(), "X");
    EXPECT_EQ(plot_->zoomx()->toolTip(), "Zoom X scale at cursor position");
    EXPECT_EQ(plot_->zoomy()->text(), "Y");
    EXPECT_EQ(plot_->zoomy()->toolTip(), "Zoom Y scale at cursor position");
    EXPECT_EQ(plot_->unzoomx()->text(), "X");
    EXPECT_EQ(plot_->unzoomx()->toolTip(), "Unyoom X scale");
    EXPECT_EQ(plot_->unzoomy()->text(), "Y");
    EXPECT_EQ(plot_->unzoomy()->toolTip(), "Unzoom Z scale");
    EXPECT_TRUE(plot_->linebtn()->isChecked());
    EXPECT_EQ(plot_->coords()->parentWidget(), tools_);
    const auto* area = static_cast<QAbstractScrollArea*>(plot_->ScrollBox1());
    EXPECT_EQ(area->horizontalScrollBar()->singleStep(), 1);
    EXPECT_EQ(area->verticalScrollBar()->singleStep(), 1);

    // Resizing the panel lays the plot out again.
    panel_->resize(700, 400);
    settle();
    EXPECT_EQ(plot_->ScrollBox1()->geometry(), QRect(50, 20, 620, 306));
    EXPECT_EQ(plot_->PaintBox2()->geometry(), QRect(0, 0, 700, 343));
}

TEST_F(ScanPlotTest, WithoutARecordOnlyTheBackground) {
    EXPECT_TRUE(plot_->pointto()->isChecked());
    for (QToolButton* tool :
         {plot_->zoomx(), plot_->unzoomx(), plot_->zoomy(), plot_->unzoomy(), plot_->pointto()}) {
        EXPECT_FALSE(tool->isEnabled()) << tool->objectName().toStdString();
    }
    EXPECT_FALSE(plot_->Panel4()->isEnabled());
    const QImage axes = plot_->PaintBox2()->grab().toImage();
    EXPECT_EQ(countColour(axes, kLime), 0);
    EXPECT_EQ(countColour(axes, kYellow), 0);
    const QImage curve = canvasOnScreen();
    EXPECT_EQ(countColour(curve, kBackground), curve.width() * curve.height());
}

TEST_F(ScanPlotTest, CurveAxesAndHeaderOfARecord) {
    const auto record = plotfixtures::spectrumRecord();
    show(record.get());
    ASSERT_EQ(plot_->clientWidth(), 718);
    ASSERT_EQ(plot_->clientHeight(), 404);
    ASSERT_EQ(record->rangeIndex, 6); // 5000 cps
    EXPECT_TRUE(plot_->Panel4()->isEnabled());
    EXPECT_TRUE(plot_->pointto()->isEnabled());

    // The top of the copper K-alpha line at 22.60 degrees.
    const QImage curve = canvasOnScreen();
    const int x = roundHalfEven((452 - 100) * 718.0 / 2601);
    const int y = yOfValue(record->ValueAtAngle(452), 5000, 404);
    EXPECT_EQ(curve.pixelColor(x, y), kLime);
    EXPECT_EQ(curve.pixelColor(x, y - 3), kBackground);
    EXPECT_EQ(curve.pixelColor(x, 403), kBackground);
    EXPECT_GT(y, 100);
    EXPECT_LT(y, 200);

    const QImage axes = plot_->PaintBox2()->grab().toImage();
    // The tick of 0 cps under the curve area's bottom-left corner, and of 5000 cps at its top.
    EXPECT_EQ(axes.pixelColor(46, 20 + 404 + 1), kLime);
    EXPECT_EQ(axes.pixelColor(46, 20 + 1), kLime);
    EXPECT_EQ(axes.pixelColor(46, 20 + 3), kBackground);
    // Angle ticks below the area, values of the header in yellow.
    EXPECT_EQ(axes.pixelColor(50, 406 + 21), kLime);
    EXPECT_GT(countMatching(axes, isYellowish, QRect(50, 0, 750, 20)), 20);
    EXPECT_EQ(countMatching(axes, isYellowish, QRect(0, 21, 800, 400)), 0);
}

TEST_F(ScanPlotTest, HeaderTexts) {
    const auto record = plotfixtures::spectrumRecord();
    record->tubeCurrent = 80.5;
    const std::vector<HeaderItem> items = headerItems(*record, QFontMetrics(plot_->PaintBox2()->font()));
    ASSERT_EQ(items.size(), 6u);
    const char* texts[] = {"RANGE", "5.00 deg to 134.95 deg", "DHV", "800 V", "XRTC", "80.5 \u00b5A"};
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].text, QString::fromUtf8(texts[i]));
        EXPECT_EQ(items[i].isValue, i % 2 == 1);
        if (i > 0) {
            EXPECT_GT(items[i].x, items[i - 1].x);
        }
    }
    EXPECT_EQ(items[0].x, 50);
}

TEST_F(ScanPlotTest, HorizontalZoomLevelsFollowTheSpan) {
    struct Case {
        int degrees;
        int levels;
        int lastRange;
    };
    for (const Case c : {Case{29, 0, 0}, Case{30, 1, 601}, Case{59, 1, 1181}, Case{60, 2, 1201}}) {
        const auto record = spanRecord(c.degrees);
        show(record.get());
        EXPECT_EQ(plot_->zoomx()->isEnabled(), c.levels > 0) << c.degrees;
        EXPECT_FALSE(plot_->unzoomx()->isEnabled());
        int steps = 0;
        while (plot_->zoomx()->isEnabled() && steps < 5) {
            plot_->zoomHorizontal(0, 1);
            ++steps;
        }
        EXPECT_EQ(steps, c.levels) << c.degrees;
        EXPECT_EQ(plot_->zoomXLevel(), c.levels);
        EXPECT_EQ(plot_->scrollRangeX(), c.lastRange);
        EXPECT_EQ(plot_->unzoomx()->isEnabled(), c.levels > 0);
        EXPECT_TRUE(plot_->pointto()->isChecked());
    }
}

TEST_F(ScanPlotTest, ZoomByMouseAtBothEdges) {
    panel_->resize(580, 500); // a curve area of 498 pixels
    settle();
    const auto record = spanRecord(60);
    show(record.get());
    ASSERT_EQ(plot_->clientWidth(), 498);
    chooseTool(plot_->zoomx());
    EXPECT_TRUE(plot_->zoomx()->isChecked());
    EXPECT_EQ(canvas()->cursor().shape(), Qt::BitmapCursor);

    click(Qt::LeftButton, QPoint(0, 100));
    EXPECT_EQ(plot_->zoomXLevel(), 1);
    EXPECT_EQ(plot_->scrollRangeX(), 600);
    EXPECT_EQ(plot_->scrollPosX(), 0);
    EXPECT_TRUE(plot_->unzoomx()->isEnabled());

    click(Qt::RightButton, QPoint(10, 100));
    EXPECT_EQ(plot_->zoomXLevel(), 0);
    EXPECT_EQ(plot_->scrollRangeX(), 0);
    EXPECT_FALSE(plot_->unzoomx()->isEnabled());

    click(Qt::LeftButton, QPoint(497, 100));
    EXPECT_EQ(plot_->zoomXLevel(), 1);
    EXPECT_EQ(plot_->scrollPosX(), 600 - 498);
    // The deepest level hands the mouse back to the read-out.
    click(Qt::LeftButton, QPoint(497, 100));
    EXPECT_EQ(plot_->zoomXLevel(), 2);
    EXPECT_EQ(plot_->scrollRangeX(), 1201);
    EXPECT_EQ(plot_->scrollPosX(), 1201 - 498);
    EXPECT_TRUE(plot_->pointto()->isChecked());
    EXPECT_FALSE(plot_->zoomx()->isEnabled());
    EXPECT_EQ(canvas()->cursor().shape(), Qt::ArrowCursor);

    QTest::mouseClick(plot_->unzoomx(), Qt::LeftButton);
    settle();
    EXPECT_EQ(plot_->zoomXLevel(), 1);
    EXPECT_TRUE(plot_->zoomx()->isEnabled());
}

TEST_F(ScanPlotTest, VerticalZoomLimits) {
    // 50 cps full scale: no vertical zoom at all.
    const auto low = plotfixtures::flatRecord(30, 1, 200, 800);
    show(low.get());
    EXPECT_EQ(low->rangeIndex, 0);
    EXPECT_FALSE(plot_->zoomy()->isEnabled());
    plot_->zoomVertical(100, 1, false);
    EXPECT_EQ(plot_->zoomYLevel(), 0);

    // 20000 cps: seven levels, then the tool is done.
    const auto high = plotfixtures::flatRecord(15000, 1, 200, 800);
    show(high.get());
    ASSERT_EQ(high->rangeIndex, 8);
    ASSERT_TRUE(plot_->zoomy()->isEnabled());
    chooseTool(plot_->zoomy());
    for (int i = 0; i < 7; ++i) {
        click(Qt::LeftButton, QPoint(100, 200));
    }
    EXPECT_EQ(plot_->zoomYLevel(), 7);
    EXPECT_EQ(plot_->scrollRangeY(), 32762);
    EXPECT_GT(plot_->scrollPosY(), 0);
    EXPECT_LE(plot_->scrollPosY(), 32762 - plot_->clientHeight());
    EXPECT_FALSE(plot_->zoomy()->isEnabled());
    EXPECT_TRUE(plot_->pointto()->isChecked());
    EXPECT_TRUE(plot_->unzoomy()->isEnabled());

    // One level out makes zooming in possible again.
    QTest::mouseClick(plot_->unzoomy(), Qt::LeftButton);
    settle();
    EXPECT_EQ(plot_->zoomYLevel(), 6);
    EXPECT_EQ(plot_->scrollRangeY(), 25001);
    EXPECT_TRUE(plot_->zoomy()->isEnabled());

    // A change of range resets the zoom.
    plot_->resetVerticalZoom();
    EXPECT_EQ(plot_->zoomYLevel(), 0);
    EXPECT_EQ(plot_->scrollRangeY(), 0);
    EXPECT_EQ(plot_->scrollPosY(), 0);
    EXPECT_FALSE(plot_->unzoomy()->isEnabled());
    EXPECT_TRUE(plot_->zoomy()->isEnabled());
}

TEST_F(ScanPlotTest, ResetToALowRangeReleasesTheZoomTool) {
    const auto record = plotfixtures::flatRecord(300, 1, 200, 800);
    show(record.get());
    chooseTool(plot_->zoomy());
    record->SetRangeMode(1); // 50 cps
    plot_->resetVerticalZoom();
    EXPECT_FALSE(plot_->zoomy()->isEnabled());
    EXPECT_TRUE(plot_->pointto()->isChecked());
}

TEST_F(ScanPlotTest, ANewPointRepaintsOnlyItsStrip) {
    // A scan from 10 to 40 degrees in steps of 0.1 degree, measured up to 19.90 degrees.
    auto record = trecdata::Create(2, 200, 800, 0, 10);
    record->offsetEnabled = false;
    for (int i = 0; i < 200; i += 2) {
        record->SetPoint(i, 30);
    }
    show(record.get());
    const QImage before = canvasOnScreen();

    PaintSpy spy;
    canvas()->installEventFilter(&spy);
    record->SetPoint(200, 45);
    settle();
    // Not drawn yet: the opaque canvas keeps what it has.
    EXPECT_TRUE(spy.painted.isEmpty());
    EXPECT_EQ(canvasOnScreen(), before);

    // Positions count from the region start (10.00 degrees).
    plot_->drawCurveStrip(200, 200);
    settle();
    canvas()->removeEventFilter(&spy);
    const Scale s = plot_->horizontalScale();
    const QRect strip = spy.painted.boundingRect();
    EXPECT_EQ(strip.left(), s.toPixels(198));
    EXPECT_EQ(strip.right(), s.toPixels(202));
    EXPECT_EQ(strip.height(), plot_->clientHeight());

    const QImage after = canvasOnScreen();
    const int x = s.toPixels(200);
    EXPECT_EQ(after.pixelColor(x, yOfValue(45, 50, plot_->clientHeight())), kLime);
    // Outside the strip nothing changed, and the screen now matches a fresh paint.
    for (int column : {strip.left() - 1, strip.right() + 1, 0, 600}) {
        EXPECT_EQ(after.copy(column, 0, 1, after.height()), before.copy(column, 0, 1, before.height()))
            << column;
    }
    EXPECT_EQ(after, canvasFresh());
}

TEST_F(ScanPlotTest, ScrollingKeepsScreenAndRecordInStep) {
    const auto record = plotfixtures::spectrumRecord();
    show(record.get());
    plot_->zoomHorizontal(0, 1);
    plot_->zoomHorizontal(0, 1);
    plot_->zoomVertical(200, 1, false);
    settle();
    auto* area = static_cast<QAbstractScrollArea*>(plot_->ScrollBox1());
    for (int pos : {37, 400, 399, 1200}) {
        area->horizontalScrollBar()->setValue(pos);
        settle();
        ASSERT_EQ(canvasOnScreen(), canvasFresh()) << pos;
    }
    area->verticalScrollBar()->setValue(123);
    settle();
    EXPECT_EQ(canvasOnScreen(), canvasFresh());
}

TEST_F(ScanPlotTest, LineButtonSwitchesBetweenPointsAndLines) {
    const auto record = plotfixtures::spectrumRecord(10);
    show(record.get());
    const int points = countColour(canvasOnScreen(), kLime);
    QTest::mouseClick(plot_->linebtn(), Qt::LeftButton);
    settle();
    EXPECT_FALSE(plot_->linebtn()->isChecked());
    const int lines = countColour(canvasOnScreen(), kLime);
    EXPECT_GT(lines, points + 500);
    EXPECT_GT(points, 200);
}

TEST_F(ScanPlotTest, CursorReadout) {
    // 10 to 30 degrees on 718 pixels, 400 cps everywhere but 16.00 degrees.
    auto record = trecdata::Create(1, 200, 600, 0, 10);
    record->offsetEnabled = false;
    for (int i = 0; i <= 400; ++i) {
        if (i != 120) {
            record->SetPoint(i, 400);
        }
    }
    record->SetRangeMode(0);
    show(record.get());
    ASSERT_EQ(plot_->clientWidth(), 718);
    moveMouse(canvas(), QPoint(179, 50)); // round(179 x 401 / 718) = 100 units
    EXPECT_EQ(plot_->coords()->text(), "15.00 deg, 400.00 cps");
    moveMouse(canvas(), QPoint(215, 50)); // 120 units: no data
    EXPECT_EQ(plot_->coords()->text(), "16.00 deg, ----");
    moveMouse(plot_->PaintBox2(), QPoint(10, 10));
    EXPECT_EQ(plot_->coords()->text(), "");

    // Only while the read-out tool is chosen.
    chooseTool(plot_->zoomy());
    ASSERT_TRUE(plot_->zoomy()->isChecked());
    moveMouse(canvas(), QPoint(179, 50));
    EXPECT_EQ(plot_->coords()->text(), "");
}

TEST_F(ScanPlotTest, ReadoutSnapsToTheStep) {
    auto record = plotfixtures::flatRecord(25, 10, 200, 600);
    show(record.get());
    moveMouse(canvas(), QPoint(186, 50)); // round(186 x 401 / 718) = 104 units: 15.20 degrees
    EXPECT_EQ(plot_->coords()->text(), "15.00 deg, 25.00 cps");
    moveMouse(canvas(), QPoint(188, 50)); // 105 units: rounds up to 15.50 degrees
    EXPECT_EQ(plot_->coords()->text(), "15.50 deg, 25.00 cps");
}

TEST_F(ScanPlotTest, ShowingNoRecordClearsEverything) {
    const auto record = plotfixtures::spectrumRecord();
    show(record.get());
    plot_->zoomHorizontal(100, 1);
    plot_->zoomVertical(100, 1, false);
    moveMouse(canvas(), QPoint(100, 100));
    EXPECT_FALSE(plot_->coords()->text().isEmpty());

    trecdata saved;
    plot_->saveViewTo(saved);
    EXPECT_EQ(saved.zoomXLevel, 1);
    EXPECT_EQ(saved.zoomYLevel, 1);
    EXPECT_EQ(saved.scrollRangeX, 1300);
    EXPECT_EQ(saved.scrollRangeY, 1001);
    EXPECT_EQ(saved.scrollPosX, plot_->scrollPosX());
    EXPECT_EQ(saved.scrollPosY, plot_->scrollPosY());

    show(nullptr);
    EXPECT_EQ(plot_->zoomXLevel(), 0);
    EXPECT_EQ(plot_->zoomYLevel(), 0);
    EXPECT_EQ(plot_->scrollRangeX(), 0);
    EXPECT_EQ(plot_->scrollRangeY(), 0);
    EXPECT_EQ(plot_->scrollPosX(), 0);
    EXPECT_EQ(plot_->coords()->text(), "");
    EXPECT_FALSE(plot_->zoomx()->isEnabled());
    EXPECT_FALSE(plot_->unzoomy()->isEnabled());
    EXPECT_TRUE(plot_->pointto()->isChecked());
    const QImage curve = canvasOnScreen();
    EXPECT_EQ(countColour(curve, kBackground), curve.width() * curve.height());
    // Painting a strip without a record is harmless.
    plot_->drawCurveStrip(0, 100);
    plot_->zoomHorizontal(10, 1);
    settle();
    EXPECT_EQ(plot_->scrollRangeX(), 0);
}

TEST_F(ScanPlotTest, ARecordFreedAfterBeingHiddenIsNotTouched) {
    auto record = plotfixtures::spectrumRecord();
    show(record.get());
    show(nullptr);
    record.reset();
    panel_->resize(760, 480);
    plot_->repaintAll();
    settle();
    const QImage curve = canvasOnScreen();
    EXPECT_EQ(countColour(curve, kBackground), curve.width() * curve.height());
}

TEST_F(ScanPlotTest, PrintedPageShowsTheZoomedAndScrolledPartOfTheScreen) {
    const auto record = plotfixtures::spectrumRecord();
    show(record.get());
    plot_->zoomHorizontal(0, 1);
    plot_->zoomHorizontal(0, 1); // one pixel per angle unit
    plot_->zoomVertical(200, 1, false);
    settle();
    auto* area = static_cast<QAbstractScrollArea*>(plot_->ScrollBox1());
    area->horizontalScrollBar()->setValue(700);
    area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum()); // down to zero
    settle();
    ASSERT_TRUE(plot_->linebtn()->isChecked()); // points
    const QImage screen = canvasOnScreen();

    // A page on which the plot is drawn at its screen size: one line for the title, then the plot.
    const printing::PrintView view = plot_->printView();
    EXPECT_EQ(view.scrollPosX, 700);
    EXPECT_EQ(view.scrollPosY, area->verticalScrollBar()->maximum());
    QImage probe(1, 1, QImage::Format_RGB32);
    const int lh = printing::lineHeight(QPainter(&probe).fontMetrics().height());
    const QSize window = printing::plotWindow(view.axesBox);
    QImage page(window.width(), window.height() + lh, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        printing::paintPage(painter, *record, view, {});
    }
    // Every point of the visible area, and nothing else, is on the page; the frame's edges aside.
    const QPoint origin(kCurveLeft, kCurveTop + lh);
    int points = 0;
    for (int y = 1; y < screen.height() - 1; ++y) {
        for (int x = 1; x < screen.width() - 1; ++x) {
            const bool onScreen = screen.pixelColor(x, y) == kLime;
            const bool onPage = qGray(page.pixel(origin + QPoint(x, y))) < 128;
            ASSERT_EQ(onScreen, onPage) << x << ", " << y;
            points += onScreen ? 1 : 0;
        }
    }
    EXPECT_GT(points, 300);
}
