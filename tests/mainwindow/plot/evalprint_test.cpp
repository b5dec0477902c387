// The evaluation's additions to the plot and the page: the cursor's Bragg read-out, the lines under
// the page's title, and a plot that uses the paper.
#include "mainwindow/plot/braggreadout.h"
#include "mainwindow/plot/evalmarks.h"
#include "mainwindow/plot/pageinfo.h"
#include "mainwindow/plot/printgeometry.h"
#include "mainwindow/plot/printpage.h"
#include "records/trecdata.h"
#include "tests/support/plotfixtures.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLocale>
#include <QPainter>

using namespace printing;

TEST(BraggReadout, WavelengthEnergyAndRateUncertainty) {
    // Published: Cu Kα 154.18 pm (8.04 keV) stands at 31.7° on NaCl (d = 282.01 pm) in first order.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); // texts keep their '.'
    struct Case {
        double armDeg, rate, seconds, dPm;
        const char* text;
    };
    const Case cases[] = {
        {31.70, 400, 1, 282.01, "\u03bb 154.0 pm, E 8.05 keV, \u00b1 20.0 cps"},
        {31.70, 400, 4, 201.4, "\u03bb 110.0 pm, E 11.27 keV, \u00b1 10.0 cps"},
        {31.70, 0, 1, 282.01, "\u03bb 154.0 pm, E 8.05 keV, \u00b1 0.00 cps"},
        {31.70, -1, 1, 282.01, "\u03bb 154.0 pm, E 8.05 keV"}, // no data: no ±
        {0, 10, 1, 282.01, "\u03bb ----, \u00b1 3.16 cps"},
        {31.70, 10, 0, 282.01, "\u03bb 154.0 pm, E 8.05 keV"}, // no counting time: no ±
    };
    for (const Case& test : cases) {
        EXPECT_EQ(plot::braggReadout(test.armDeg, test.rate, test.seconds, test.dPm),
                  QString::fromUtf8(test.text))
            << test.armDeg << " " << test.rate;
    }
    QLocale::setDefault(QLocale::c());
}

TEST(EvalMarks, LabelsOfCloseLinesDoNotCoverEachOther) {
    // 1 px per angle unit, 450 px for 5000 cps (Cu on NaCl); labels 60 px wide, 12 px high.
    plot::CurveMapping mapping;
    mapping.scale = {1, 1};
    mapping.g0 = 1300; // 65 to 115 degrees in view
    mapping.span = 1000;
    mapping.extent = 450;
    mapping.fullScale = 5000;
    const auto width = [](const QString&) { return 60.0; };
    // A Kα1 and Kα2 pair 0.4° (8 px) apart and 7 px in height near the right end; two lines above
    // the full scale, near the left end, are both labelled at the top.
    const std::vector<plot::PeakMark> marks = {{110.05, 160, QStringLiteral("Kα1 n=3")},
                                               {110.46, 84, QStringLiteral("Kα2 n=3")},
                                               {66.29, 1150, QStringLiteral("Kα n=2")},
                                               {66.70, 1150, QStringLiteral("Kβ n=9")}};
    const std::vector<plot::LabelPlace> places = plot::labelPlaces(marks, mapping, 10, 12, width);
    ASSERT_EQ(places.size(), marks.size());
    for (std::size_t i = 0; i < places.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            const bool apart = std::abs(places[i].textX - places[j].textX) >= 60 ||
                               std::abs(places[i].baseline - places[j].baseline) >= 12;
            EXPECT_TRUE(apart) << i << " covers " << j;
        }
        EXPECT_GE(places[i].baseline - 10, 0) << i << " leaves the area"; // the text's ascent
        EXPECT_LE(places[i].markerTop, places[i].baseline + 2 + 1e-9)
            << i << ": the marker reaches its label";
        EXPECT_LT(places[i].markerTop, places[i].markerBottom);
        EXPECT_GE(places[i].textX, 30) << i << " runs over the left end";
        EXPECT_LE(places[i].textX, 970) << i << " runs over the right end";
    }
    // The first label stays where it would stand alone.
    EXPECT_EQ(places[0].baseline, plot::labelPlace(marks[0], mapping, 10).baseline);
}

TEST(PrintGeometry, LinesAboveAndBelowThePlotAndAWindowGrownToTheArea) {
    const PageLayout layout = pageLayout(QSize(1000, 1400), 20, PageLines{3, 2, 1});
    EXPECT_EQ(layout.info, (std::vector<int>{20, 40, 60}));
    EXPECT_EQ(layout.table, (std::vector<int>{1340, 1360}));
    EXPECT_EQ(layout.comment, (std::vector<int>{1380}));
    EXPECT_EQ(layout.plotArea, QRect(0, 80, 1000, 1260));
    struct Case {
        QSize window, area, filled;
    };
    const Case cases[] = {
        {{992, 517}, {1000, 1000}, {992, 992}}, // wide plot, square area: grows downwards
        {{100, 50}, {1000, 200}, {250, 50}},    // a wider area: grows to the right
        {{100, 50}, {200, 100}, {100, 50}},     // the same shape: unchanged
        {{100, 50}, {0, 100}, {100, 50}},       // no area: unchanged
    };
    for (const Case& test : cases) {
        EXPECT_EQ(filledWindow(test.window, test.area), test.filled) << test.area.width();
    }
}

TEST(PrintPage, InfoLinesNameFileSettingsCrystalAndAnode) {
    auto record = trecdata::Create(1, 200, 1200, 0, 25);
    record->detectorHv = 1000;
    record->tubeCurrent = 812.5;
    record->radiator = 7;
    record->filter = 0;
    record->fileName = QStringLiteral("/home/lab/cu scan.RTG");
    analysis::EvalOptions options;
    analysis::setCrystal(options, u"LiF");
    options.anodeZ = 42;
    const QDateTime printed(QDate(2026, 3, 5), QTime(14, 7));
    const QStringList lines = pageInfoLines(*record, options, printed);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "Printed 2026-03-05 14:07   File cu scan.RTG");
    EXPECT_EQ(lines[1],
              QStringLiteral(
                  "Step 0.05 deg   Counting time 2.5 s   Detector HV 1000 V   Tube current 812.5 \u00b5A"));
    EXPECT_EQ(lines[2], "Radiator Cu   Filter none   Crystal LiF (d = 201.30 pm)   Anode Mo");
    record->fileName.clear();
    analysis::setCustomSpacing(options, 314.5);
    record->filter = 40; // no selector position: its number
    const QStringList unsaved = pageInfoLines(*record, options, printed);
    EXPECT_TRUE(unsaved[0].endsWith("File (not saved)"));
    EXPECT_EQ(unsaved[2], "Radiator Cu   Filter 40   Crystal d = 314.50 pm   Anode Mo");
}

TEST(PrintPage, FilledPlotLeavesNoQuarterOfThePaperEmpty) {
    const auto record = plotfixtures::spectrumRecord(2, 100, 900);
    for (const QSize page : {QSize(1400, 990), QSize(990, 1400)}) {
        SCOPED_TRACE(page.width() > page.height() ? "landscape" : "portrait");
        PageText text(QStringLiteral("scan.RTG"), {QStringLiteral("Cu")});
        text.info = {QStringLiteral("a"), QStringLiteral("b")};
        text.fillPaper = true;
        QImage image(page, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        paintPage(painter, *record, unzoomedView(), text);
        painter.end();
        // Every quarter of the page holds ink.
        for (const QRect quarter :
             {QRect(0, 0, page.width() / 2, page.height() / 2),
              QRect(page.width() / 2, 0, page.width() / 2, page.height() / 2),
              QRect(0, page.height() / 2, page.width() / 2, page.height() / 2),
              QRect(page.width() / 2, page.height() / 2, page.width() / 2, page.height() / 2)}) {
            int ink = 0;
            for (int y = quarter.top(); y <= quarter.bottom(); ++y)
                for (int x = quarter.left(); x <= quarter.right(); ++x)
                    ink += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
            EXPECT_GT(ink, 50) << quarter.x() << "," << quarter.y();
        }
        // Both pages are taller than the screen's plot: the curve area grows downwards only.
        const PrintView filled = filledView(unzoomedView(), page);
        EXPECT_EQ(filled.curveArea.width(), unzoomedView().curveArea.width());
        EXPECT_GT(filled.curveArea.height(), unzoomedView().curveArea.height());
    }
}
