// zavo-driver print: the page of a record file as a PDF, checked with poppler's tools as a reader
// of the file would see it.
#include "tests/cli/driverprocess.h"

#include "records/recordfile.h"
#include "records/trecdata.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using clitest::driver;
using clitest::ProcessRun;
using clitest::run;

// 10 to 60 degrees at 0.05 degree with two peaks; regions 20..30 and 30..40 degrees, the second
// selected; a comment of three lines.
std::unique_ptr<trecdata> scan(bool withData) {
    auto record = trecdata::Create(1, 200, 1200, 0, 10);
    record->offsetEnabled = false;
    for (int i = 0; withData && i <= 1000; ++i) {
        const double degrees = 10 + i / 20.0;
        record->SetPoint(i, 40 + 900 * std::exp(-std::pow(degrees - 35, 2)) +
                                400 * std::exp(-std::pow(degrees - 32, 2)));
    }
    record->AddRegion(400, 600);
    record->AddRegion(600, 800);
    record->SelectRegion(1);
    record->SetComment(QStringLiteral("Cu anode\r\nNaCl crystal\r\n35 kV"));
    return record;
}

class PrintCommand : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    QString saved(const QString& name, bool withData = true) const {
        const auto record = scan(withData);
        EXPECT_TRUE(records::saveRecordFile(*record, path(name)));
        return path(name);
    }
    QString text(const QString& pdf) const {
        return run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).out;
    }
    QString info(const QString& pdf) const { return run(QStringLiteral("pdfinfo"), {pdf}).out; }
    QSizeF pageSize(const QString& pdf) const {
        static const QRegularExpression size(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"));
        const auto match = size.match(info(pdf));
        return match.hasMatch() ? QSizeF(match.captured(1).toDouble(), match.captured(2).toDouble())
                                : QSizeF();
    }
    QImage rendered(const QString& pdf) const {
        const QString prefix = path(QStringLiteral("page"));
        run(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("60"), QStringLiteral("-gray"), QStringLiteral("-aa"),
             QStringLiteral("no"), QStringLiteral("-aaVector"), QStringLiteral("no"), QStringLiteral("-png"),
             QStringLiteral("-singlefile"), pdf, prefix});
        return QImage(prefix + QStringLiteral(".png"));
    }
};

bool dark(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 128;
}

// The curve area's frame: the first and the last row whose dark run is nearly as long as the
// longest one (its top and bottom edges; the bottom one carries the ticks at its ends).
QRect frameOf(const QImage& image) {
    auto runOf = [&](int y, int& start) {
        int best = 0;
        for (int x = 0, run = 0; x < image.width(); ++x) {
            run = dark(image, x, y) ? run + 1 : 0;
            if (run > best) {
                best = run;
                start = x - run + 1;
            }
        }
        return best;
    };
    int width = 0;
    for (int y = 0; y < image.height(); ++y) {
        int start = 0;
        width = std::max(width, runOf(y, start));
    }
    int top = -1, bottom = -1, left = 0, right = 0;
    for (int y = 0; y < image.height(); ++y) {
        int start = 0;
        const int run = runOf(y, start);
        if (run > width * 9 / 10) {
            if (top < 0) {
                top = y;
                left = start;
                right = start + run - 1;
            }
            bottom = y;
        }
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// Dark pixels inside the frame, clear of its edges (the top edge's ends reach past the side edges)
// and of the angle ticks that rise from its bottom.
int darkInside(const QImage& image, const QRect& frame) {
    int count = 0;
    for (int y = frame.top() + 5; y <= frame.bottom() - 5; ++y) {
        for (int x = frame.left() + 5; x <= frame.right() - 5; ++x) {
            count += dark(image, x, y) ? 1 : 0;
        }
    }
    return count;
}

} // namespace

TEST_F(PrintCommand, OneLandscapePageWithTitleRegionAndComment) {
    const QString pdf = path(QStringLiteral("out.pdf"));
    const ProcessRun result =
        driver({QStringLiteral("print"), saved(QStringLiteral("scan.RTG")), QStringLiteral("--pdf"), pdf});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    const QString meta = info(pdf);
    EXPECT_TRUE(meta.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")))) << meta.toStdString();
    EXPECT_TRUE(meta.contains(QRegularExpression(QStringLiteral("Title:\\s+ZAVO DRIVER USB v2.30"))));
    const QSizeF size = pageSize(pdf);
    EXPECT_NEAR(size.width(), 841.89, 1); // A4 landscape
    EXPECT_NEAR(size.height(), 595.28, 1);
    const QString page = text(pdf);
    EXPECT_TRUE(page.contains(QStringLiteral("scan.RTG: 0.05/1.0"))) << page.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("[deg/sec]")));
    // The header shows the record's current region, the second.
    EXPECT_TRUE(page.contains(QStringLiteral("30.00 deg to 40.00 deg")));
    for (const char* line : {"Cu anode", "NaCl crystal", "35 kV", "[cps]", "[deg]"}) {
        EXPECT_TRUE(page.contains(QLatin1String(line))) << line;
    }
}

TEST_F(PrintCommand, PortraitWithoutComment) {
    const QString pdf = path(QStringLiteral("out.pdf"));
    const ProcessRun result =
        driver({QStringLiteral("print"), saved(QStringLiteral("scan.RTG")), QStringLiteral("--pdf"), pdf,
                QStringLiteral("--portrait"), QStringLiteral("--no-comment")});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    const QSizeF size = pageSize(pdf);
    EXPECT_NEAR(size.width(), 595.28, 1);
    EXPECT_NEAR(size.height(), 841.89, 1);
    const QString page = text(pdf);
    EXPECT_TRUE(page.contains(QStringLiteral("scan.RTG")));
    EXPECT_FALSE(page.contains(QStringLiteral("NaCl crystal")));
}

TEST_F(PrintCommand, CurveInsideTheFrameOnlyWhereThereIsData) {
    for (const QString& mode : {QStringLiteral("--lines"), QString()}) {
        SCOPED_TRACE(mode.isEmpty() ? "points" : "lines");
        const QString full = path(QStringLiteral("full.pdf"));
        const QString empty = path(QStringLiteral("empty.pdf"));
        QStringList withData = {QStringLiteral("print"), saved(QStringLiteral("a.RTG")),
                                QStringLiteral("--pdf"), full};
        QStringList without = {QStringLiteral("print"), saved(QStringLiteral("b.RTG"), false),
                               QStringLiteral("--pdf"), empty};
        if (!mode.isEmpty()) {
            withData << mode;
            without << mode;
        }
        ASSERT_EQ(driver(withData).status, 0);
        ASSERT_EQ(driver(without).status, 0);
        const QImage page = rendered(full);
        ASSERT_FALSE(page.isNull());
        const QRect frame = frameOf(page);
        EXPECT_GT(frame.width(), page.width() / 2);
        EXPECT_GT(frame.height(), page.height() / 4);
        EXPECT_GT(darkInside(page, frame), 20);
        const QImage blank = rendered(empty);
        EXPECT_EQ(darkInside(blank, frameOf(blank)), 0);
    }
}

TEST_F(PrintCommand, ErrorsExitWithTwoAndWriteNothing) {
    const QString record = saved(QStringLiteral("scan.RTG"));
    QFile notRecord(path(QStringLiteral("x.RTG")));
    ASSERT_TRUE(notRecord.open(QIODevice::WriteOnly));
    notRecord.write("not a record");
    notRecord.close();
    const QString pdf = path(QStringLiteral("out.pdf"));
    struct Case {
        QStringList args;
        const char* message;
    };
    const Case cases[] = {
        {{QStringLiteral("print"), record}, "usage"},
        {{QStringLiteral("print"), record, QStringLiteral("--pdf")}, "unexpected argument"},
        {{QStringLiteral("print"), record, QStringLiteral("--pdf"), pdf, QStringLiteral("--color")},
         "unexpected argument"},
        {{QStringLiteral("print"), path(QStringLiteral("missing.RTG")), QStringLiteral("--pdf"), pdf}, ""},
        {{QStringLiteral("print"), notRecord.fileName(), QStringLiteral("--pdf"), pdf}, "Wrong file format"},
        {{QStringLiteral("print"), record, QStringLiteral("--pdf"),
          path(QStringLiteral("no/such/dir/out.pdf"))},
         "Cannot write"},
    };
    for (const Case& test : cases) {
        const ProcessRun result = driver(test.args);
        EXPECT_EQ(result.status, 2) << test.args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(result.err.contains(QLatin1String(test.message))) << result.err.toStdString();
        EXPECT_FALSE(QFile::exists(pdf));
    }
}

TEST_F(PrintCommand, PageCarriesDateFileSettingsAndItsPlotUsesThePaper) {
    const QString ini = path(QStringLiteral("rtg.ini"));
    QFile settings(ini);
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[evaluation]\r\ncrystal=1\r\nanode=42\r\n");
    settings.close();
    struct Case {
        const char* comment;
        bool portrait;
        const char* crystal; // as the page names it
        const char* anode;
    };
    const Case cases[] = {
        {"Cu anode", false, "Crystal LiF (d = 201.30 pm)", "Anode Mo"},
        {"Cu anode", true, "Crystal LiF (d = 201.30 pm)", "Anode Mo"},
        // The record's comment words win over the settings file.
        {"crystal=KBr anode=Cu", true, "Crystal KBr (d = 329.00 pm)", "Anode Cu"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.comment);
        auto record = scan(true);
        record->SetComment(QLatin1String(test.comment));
        record->detectorHv = 1000;
        record->tubeCurrent = 80;
        const QString file = path(QStringLiteral("cu.RTG"));
        ASSERT_TRUE(records::saveRecordFile(*record, file));
        const QString pdf = path(QStringLiteral("page.pdf"));
        QStringList args = {QStringLiteral("print"),      file, QStringLiteral("--pdf"), pdf,
                            QStringLiteral("--settings"), ini};
        if (test.portrait) {
            args << QStringLiteral("--portrait");
        }
        const ProcessRun result = driver(args);
        ASSERT_EQ(result.status, 0) << result.err.toStdString();
        const QString page = text(pdf);
        EXPECT_TRUE(
            page.contains(QRegularExpression(QStringLiteral("Printed 20\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d"))))
            << page.toStdString();
        for (const char* part :
             {"File cu.RTG", "Step 0.05 deg", "Counting time 1.0 s", "Detector HV 1000 V", "Tube current 80",
              "Radiator N/A", "Filter none", test.crystal, test.anode}) {
            EXPECT_TRUE(page.contains(QLatin1String(part))) << part << "\n" << page.toStdString();
        }
        // The curve's frame spans the page's width and most of its height: no quarter left empty.
        const QImage image = rendered(pdf);
        ASSERT_FALSE(image.isNull());
        const QRect frame = frameOf(image);
        EXPECT_GT(frame.width(), image.width() * 8 / 10);
        EXPECT_GT(frame.height(), image.height() * 6 / 10) << frame.height() << " of " << image.height();
    }
}
namespace {

TEST_F(PrintCommand, RatioWritesTheTransmissionAndPrintLaysRecordsOverEachOther) {
    const QString a = saved(QStringLiteral("a.RTG"));
    auto brighter = scan(true);
    for (int i = 0; i <= 1000; ++i)
        brighter->SetPoint(i, 4 * brighter->CellValue(i));
    ASSERT_TRUE(records::saveRecordFile(*brighter, path(QStringLiteral("b.RTG"))));
    const QString b = path(QStringLiteral("b.RTG"));

    const ProcessRun ratio = driver({QStringLiteral("ratio"), a, b, path(QStringLiteral("t.RTG"))});
    ASSERT_EQ(ratio.status, 0) << ratio.err.toStdString();
    const records::LoadResult loaded = records::loadRecordFile(path(QStringLiteral("t.RTG")));
    ASSERT_TRUE(loaded.record);
    EXPECT_EQ(loaded.record->countingTime, 0);
    EXPECT_NEAR(loaded.record->ReadCell(300).value, 25.0, 1e-6);
    EXPECT_TRUE(loaded.record->comment.startsWith(QStringLiteral("transmission: a.RTG")));

    // Errors exit 2 with a reason: different steps, a missing file, a wrong argument count.
    auto coarse = trecdata::Create(2, 200, 1200, 0, 10);
    ASSERT_TRUE(records::saveRecordFile(*coarse, path(QStringLiteral("c.RTG"))));
    const ProcessRun steps =
        driver({QStringLiteral("ratio"), a, path(QStringLiteral("c.RTG")), path(QStringLiteral("x.RTG"))});
    EXPECT_EQ(steps.status, 2);
    EXPECT_TRUE(steps.err.contains(QStringLiteral("different angular steps")));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("x.RTG"))));
    EXPECT_EQ(
        driver({QStringLiteral("ratio"), a, path(QStringLiteral("none.RTG")), path(QStringLiteral("x.RTG"))})
            .status,
        2);
    EXPECT_EQ(driver({QStringLiteral("ratio"), a, b}).status, 2);

    // Three records on one page: the legend names each, and an unreadable one is an error.
    const QString pdf = path(QStringLiteral("three.pdf"));
    const ProcessRun print =
        driver({QStringLiteral("print"), a, b, path(QStringLiteral("t.RTG")), QStringLiteral("--pdf"), pdf});
    ASSERT_EQ(print.status, 0) << print.err.toStdString();
    const QString words = text(pdf);
    EXPECT_TRUE(words.contains(QStringLiteral("b.RTG"))) << words.toStdString();
    EXPECT_TRUE(words.contains(QStringLiteral("t.RTG"))) << words.toStdString();
    EXPECT_EQ(
        driver({QStringLiteral("print"), a, path(QStringLiteral("none.RTG")), QStringLiteral("--pdf"), pdf})
            .status,
        2);
}

} // namespace
