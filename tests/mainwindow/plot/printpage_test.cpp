// The printed page: its geometry, and pages rendered to images (the painter takes any device).
#include "mainwindow/plot/plotgeometry.h"
#include "mainwindow/plot/printpage.h"
#include "tests/support/plotfixtures.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

using namespace printing;

namespace {

bool dark(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 128;
}

QImage render(QSize size, const trecdata& record, const PrintView& view, const PageText& text) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPage(painter, record, view, text);
    return image;
}

// The line height the painter derives from an image's initial font.
int imageLineHeight() {
    QImage image(10, 10, QImage::Format_RGB32);
    QPainter painter(&image);
    return lineHeight(painter.fontMetrics().height());
}

// The frame around the curve area on the page, in image pixels: its lines run along the edges.
QRect frameOnPage(QSize page, const PrintView& view, int commentLines) {
    const PageLayout layout = pageLayout(page, imageLineHeight(), commentLines);
    const QTransform t = plotTransform(plotWindow(view.axesBox), layout.plotArea);
    const QRect frame = curveFrame(view.curveArea);
    return QRect(t.map(QPointF(frame.topLeft())).toPoint(), t.map(QPointF(frame.bottomRight())).toPoint());
}

// The longest run of dark pixels in any row: the frame's top or bottom edge.
int longestDarkRun(const QImage& image) {
    int longest = 0;
    for (int y = 0; y < image.height(); ++y) {
        int run = 0;
        for (int x = 0; x < image.width(); ++x) {
            run = dark(image, x, y) ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

int lowestDarkRow(const QImage& image) {
    for (int y = image.height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.width(); ++x) {
            if (dark(image, x, y)) {
                return y;
            }
        }
    }
    return -1;
}

// Dark pixels strictly inside the frame, clear of its lines and of the angle ticks that rise from
// its bottom edge.
std::vector<QPoint> darkInside(const QImage& image, const QRect& frame) {
    std::vector<QPoint> found;
    for (int y = frame.top() + 3; y <= frame.bottom() - 4; ++y) {
        for (int x = frame.left() + 3; x <= frame.right() - 3; ++x) {
            if (dark(image, x, y)) {
                found.emplace_back(x, y);
            }
        }
    }
    return found;
}

// A plot much taller than wide, so that the page's height limits its scale.
PrintView tallView() {
    PrintView view;
    view.axesBox = QSize(300, 900);
    view.curveArea = QSize(220, 863);
    view.pointMode = false;
    return view;
}

} // namespace

TEST(PrintGeometry, LineHeightAndCommentLines) {
    EXPECT_EQ(lineHeight(0), 0);
    EXPECT_EQ(lineHeight(16), 20);
    EXPECT_EQ(lineHeight(17), 21); // truncated
    EXPECT_EQ(lineHeight(19), 23);
    struct Case {
        QString comment;
        QStringList lines;
    };
    const Case cases[] = {
        {QString(), {}},
        {QStringLiteral("Cu"), {QStringLiteral("Cu")}},
        {QStringLiteral("a\r\nb"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("a\nb\n"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("a\r\rb"), {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {QStringLiteral("\r\n"), {QString()}},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(commentLines(test.comment), test.lines) << test.comment.toStdString();
    }
}

TEST(PrintGeometry, CommentLinesTakeTheBottomOfThePage) {
    const PageLayout three = pageLayout(QSize(1000, 1400), 20, 3);
    EXPECT_EQ(three.title, QRect(0, 0, 1000, 20));
    EXPECT_EQ(three.comment, (std::vector<int>{1340, 1360, 1380}));
    EXPECT_EQ(three.plotArea, QRect(0, 20, 1000, 1320));
    const PageLayout none = pageLayout(QSize(1000, 1400), 20, 0);
    EXPECT_TRUE(none.comment.empty());
    EXPECT_EQ(none.plotArea.bottom(), 1399);
    // More lines than the page holds leave no room, never a negative one.
    EXPECT_EQ(pageLayout(QSize(100, 100), 20, 10).plotArea.height(), 0);
}

TEST(PrintGeometry, IsotropicMappingKeepsTheAspectRatio) {
    struct Case {
        QSize window;
        QRect area;
        QPointF origin; // where the window's (0, 0) lands
        QPointF corner; // and its far corner
    };
    const Case cases[] = {
        {{100, 50}, {0, 20, 1000, 1000}, {0, 20}, {1000, 520}}, // width limits
        {{100, 50}, {0, 20, 1000, 200}, {0, 20}, {400, 220}},   // height limits
        {{992, 574}, {0, 10, 992, 574}, {0, 10}, {992, 584}},   // one to one
        {{0, 50}, {0, 20, 1000, 200}, {0, 20}, {0, 70}},        // degenerate: no scaling
    };
    for (const Case& test : cases) {
        const QTransform t = plotTransform(test.window, test.area);
        EXPECT_EQ(t.map(QPointF(0, 0)), test.origin);
        EXPECT_EQ(t.map(QPointF(test.window.width(), test.window.height())), test.corner);
    }
    EXPECT_EQ(plotWindow(QSize(992, 505)), QSize(992, 517));
    EXPECT_EQ(curveFrame(QSize(912, 468)), QRect(QPoint(50, 20), QPoint(962, 489)));
    // The design panel's plot, as the command line prints it.
    const PrintView design = unzoomedView();
    EXPECT_EQ(design.axesBox, QSize(992, 505));
    EXPECT_EQ(design.curveArea, QSize(912, 468));
}

TEST(PrintPage, ThreeCommentLinesShrinkThePlotAndUncheckedItReachesTheBottom) {
    const auto record = plotfixtures::spectrumRecord(2, 100, 900);
    const QSize page(700, 1000);
    const int lh = imageLineHeight();
    PageText withComment{QStringLiteral("scan.RTG"),
                         {QStringLiteral("Cu anode"), QStringLiteral("NaCl"), QStringLiteral("35 kV")}};
    const QImage commented = render(page, *record, tallView(), withComment);
    const QImage plain = render(page, *record, tallView(), {QStringLiteral("scan.RTG"), {}});

    // The comment's text is in each of the last three lines, left-aligned one line height in.
    for (int line = 0; line < 3; ++line) {
        const int top = page.height() - (3 - line) * lh;
        bool text = false;
        for (int y = top; y < top + lh && !text; ++y) {
            for (int x = lh; x < lh + 40 && !text; ++x) {
                text = dark(commented, x, y);
            }
        }
        EXPECT_TRUE(text) << "comment line " << line;
    }
    // The plot ends above them and is narrower by the height it lost.
    const QRect frame = frameOnPage(page, tallView(), 3);
    EXPECT_LT(frame.bottom(), page.height() - 3 * lh);
    const double expected = double(page.height() - 4 * lh) / (page.height() - lh);
    EXPECT_NEAR(double(longestDarkRun(commented)) / longestDarkRun(plain), expected, 0.02);
    // Without the comment the plot's lowest text, "[deg]", ends within a line of the bottom.
    EXPECT_GE(lowestDarkRow(plain), page.height() - lh);
}

TEST(PrintPage, ZoomedAndScrolledViewPrintsTheVisiblePart) {
    // 10 to 70 degrees: 10 cps below 40 degrees, 500 cps (half the full scale) from there on.
    auto record = trecdata::Create(1, 200, 1400, 0, 10);
    record->offsetEnabled = false;
    for (int i = 0; i <= 1200; ++i) {
        record->SetPoint(i, i + 200 < 800 ? 10 : 500);
    }
    record->SetRangeMode(5); // 1000 cps
    const QSize page(1400, 900);
    PrintView view = unzoomedView();
    view.pointMode = false;
    const int span = record->ViewSpan();
    const int width = view.curveArea.width();
    struct Case {
        const char* name;
        int level;
        int scrollPos;
        double stepX; // logical x of the step at 40 degrees, counted from the frame's left edge
    };
    const Case cases[] = {
        {"unzoomed", 0, 0, 600.0 * width / span},
        {"one pixel per unit, scrolled", 2, 400, 600 - 400},
        // Half the span is narrower than the width: stretched to it, then halved.
        {"stretched, scrolled", 1, 100, 600.0 * width / (span / 2) / 2 - 100},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        view.zoomXLevel = test.level;
        view.scrollRangeX = plot::horizontalScrollRange(span, record->ZoomXLimit(), test.level);
        view.scrollPosX = test.scrollPos;
        const QImage image = render(page, *record, view, {});
        const PageLayout layout = pageLayout(page, imageLineHeight(), 0);
        const QTransform t = plotTransform(plotWindow(view.axesBox), layout.plotArea);
        const QRect frame = frameOnPage(page, view, 0);
        // The row of 500 cps: its first dark pixel inside the frame is the step.
        const int halfY = plot::yOfValue(500, 1000, view.curveArea.height()) + plot::kCurveTop;
        const int row = qRound(t.map(QPointF(0, halfY)).y());
        int first = -1;
        for (int x = frame.left() + 3; x < frame.right() - 2 && first < 0; ++x) {
            if (dark(image, x, row) || dark(image, x, row + 1)) {
                first = x;
            }
        }
        EXPECT_NEAR(first, t.map(QPointF(plot::kCurveLeft + test.stepX, 0)).x(), 3);
    }
}

TEST(PrintPage, PointModePrintsSinglePixels) {
    // 10.5 to 19.5 degrees in steps of 0.5 degree: 19 points, far apart on the page.
    auto record = plotfixtures::flatRecord(25, 10, 210, 390);
    record->SetRangeMode(1); // 50 cps: the points lie in the middle
    const QSize page(1400, 900);
    PrintView view = unzoomedView();
    const QRect frame = frameOnPage(page, view, 0);
    const std::vector<QPoint> points = darkInside(render(page, *record, view, {}), frame);
    EXPECT_EQ(points.size(), 19u);
    for (std::size_t i = 1; i < points.size(); ++i) {
        EXPECT_GT(points[i].x() - points[i - 1].x(), 10); // one pixel each, none touching
    }
    view.pointMode = false;
    EXPECT_GT(darkInside(render(page, *record, view, {}), frame).size(), 200u);
}

TEST(PrintPage, NoDataLeavesTheFrameEmpty) {
    auto record = trecdata::Create(1, 200, 600, 0, 10);
    record->offsetEnabled = false;
    const QSize page(1400, 900);
    PrintView view = unzoomedView();
    view.pointMode = false;
    EXPECT_TRUE(darkInside(render(page, *record, view, {}), frameOnPage(page, view, 0)).empty());
}
