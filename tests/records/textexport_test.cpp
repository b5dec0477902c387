// Text export of a scan: exported points, layout, locale and safe writing.
#include "records/textexport.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

namespace {

const QByteArray kHeader("angle [deg]\tcounting rate [cps]\r\n");

// A scan at step 4 from 10.00 degrees: points at cells 0, 4, 8, ... with distinct rates.
std::unique_ptr<trecdata> stepFourScan(bool offsetApplied) {
    auto record = trecdata::Create(4, 200, 260, 10, 10);
    record->offsetEnabled = offsetApplied;
    for (int i = 0; i <= 60; i += 4) {
        record->SetPoint(i, 100.0 + i);
    }
    return record;
}

QStringList lines(const QByteArray& bytes) {
    QStringList out = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    EXPECT_EQ(out.takeLast(), QString()); // the last line ends with CR LF too
    return out;
}

} // namespace

TEST(TextExport, AnEmptyRecordGivesTheHeaderOnly) {
    const auto record = trecdata::Create(1, 200, 2600, 10, 10);
    EXPECT_EQ(records::exportTextBytes(*record, QLocale::c()), kHeader);
    EXPECT_TRUE(records::exportedPoints(*record).empty());
}

TEST(TextExport, StepFourWithoutOffset) {
    const auto record = stepFourScan(false);
    const QStringList out = lines(records::exportTextBytes(*record, QLocale::c()));
    ASSERT_EQ(out.size(), 1 + 16);
    EXPECT_EQ(out[0], QStringLiteral("angle [deg]\tcounting rate [cps]"));
    EXPECT_EQ(out[1], QStringLiteral("10.00\t100.00"));
    EXPECT_EQ(out[2], QStringLiteral("10.20\t104.00"));
    EXPECT_EQ(out[16], QStringLiteral("13.00\t160.00"));
}

TEST(TextExport, StepFourWithTheOffsetAveragesAcrossNeighbours) {
    // Displayed angle of cell i is 210 + i: the multiples of 4 fall on cells 2, 6, 10, ... whose
    // windows (i-1 .. i+2) hold two cells of each neighbouring measurement.
    const auto record = stepFourScan(true);
    const std::vector<records::ExportedPoint> points = records::exportedPoints(*record);
    ASSERT_EQ(points.size(), 15u);
    EXPECT_DOUBLE_EQ(points[0].degrees, 10.60);
    EXPECT_DOUBLE_EQ(points[0].rate, (100.0 + 104.0) / 2);
    EXPECT_DOUBLE_EQ(points[1].degrees, 10.80);
    EXPECT_DOUBLE_EQ(points[1].rate, (104.0 + 108.0) / 2);
    // The last point, cell 58 (window 57..60): cells 57..58 of measurement 56, 59..60 of 60 (whose
    // window is clipped at the record's last cell).
    EXPECT_DOUBLE_EQ(points.back().degrees, 13.40);
    EXPECT_DOUBLE_EQ(points.back().rate, (156.0 + 160.0) / 2);
    const QStringList out = lines(records::exportTextBytes(*record, QLocale::c()));
    EXPECT_EQ(out[1], QStringLiteral("10.60\t102.00"));
}

TEST(TextExport, StepTenExportsOnePointPerHalfDegree) {
    auto record = trecdata::Create(10, 0, 100, 0, 10);
    for (int i = 0; i <= 100; i += 10) {
        record->SetPoint(i, 1.0 / 3.0);
    }
    const QStringList out = lines(records::exportTextBytes(*record, QLocale::c()));
    ASSERT_EQ(out.size(), 1 + 11);
    EXPECT_EQ(out[1], QStringLiteral("0.00\t0.33"));
    EXPECT_EQ(out[2], QStringLiteral("0.50\t0.33"));
    EXPECT_EQ(out[11], QStringLiteral("5.00\t0.33"));
}

TEST(TextExport, NegativeAnglesAndRounding) {
    auto record = trecdata::Create(1, -30, -20, 0, 10);
    record->SetPoint(0, 2.671);
    record->SetPoint(5, 12345.678);
    const QStringList out = lines(records::exportTextBytes(*record, QLocale::c()));
    ASSERT_EQ(out.size(), 3);
    EXPECT_EQ(out[1], QStringLiteral("-1.50\t2.67"));
    EXPECT_EQ(out[2], QStringLiteral("-1.25\t12345.68"));
}

TEST(TextExport, TheLocalesDecimalSeparator) {
    const auto record = stepFourScan(false);
    const QByteArray german = records::exportTextBytes(*record, QLocale(QLocale::German, QLocale::Germany));
    EXPECT_TRUE(german.startsWith(kHeader + "10,00\t100,00\r\n10,20\t104,00\r\n"));
    EXPECT_FALSE(german.sliced(kHeader.size()).contains('.'));
    const QByteArray english =
        records::exportTextBytes(*record, QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_TRUE(english.startsWith(kHeader + "10.00\t100.00\r\n"));
}

TEST(TextExport, WritesTheFileSafely) {
    QTemporaryDir dir;
    const auto record = stepFourScan(false);
    const QString target = dir.filePath(QStringLiteral("scan.txt"));
    QString error;
    ASSERT_TRUE(records::exportText(*record, target, QLocale::c(), &error)) << error.toStdString();
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), records::exportTextBytes(*record, QLocale::c()));

    EXPECT_FALSE(
        records::exportText(*record, dir.filePath(QStringLiteral("missing/scan.txt")), QLocale::c(), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(TextExport, TwoDecimalsRoundLikePrintf) {
    // Exact ties of the binary value (0.125, 2.5 hundredths), values just beside ties, negatives
    // that round to zero and large values must all read as "%.2f" does.
    std::vector<double> values = {0.0,    -0.0, 0.125,       0.375,         1.005, 2.675,    -0.001,
                                  -0.005, 1e7,  1e7 + 0.125, 123456789.125, 1e20,  0.994999, 0.995};
    std::uint64_t state = 12345;
    for (int i = 0; i < 20000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const double magnitude =
            std::ldexp(static_cast<double>(state >> 11) / 0x1p53, static_cast<int>(state % 40) - 10);
        values.push_back((state & 1) ? -magnitude : magnitude);
        values.push_back(std::round(magnitude * 1000) / 1000); // many near-ties
    }
    for (const double value : values) {
        std::string mine;
        records::appendTwoDecimals(mine, value, ",");
        char expected[400];
        std::snprintf(expected, sizeof expected, "%.2f", value);
        ASSERT_EQ(QByteArray::fromStdString(mine), QByteArray(expected).replace('.', ',')) << value;
    }
}
