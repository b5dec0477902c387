// The text form of the scalar-mode export.
#include "scalar/export/scalartext.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace scalar;

namespace {

ScalarTable tableWith(std::initializer_list<ScalarCells> dataRows) {
    ScalarTable table{{headerRow(0), headerRow(1)}};
    table.rows.insert(table.rows.end(), dataRows);
    if (dataRows.size() == 0) {
        table.rows.push_back({}); // a fresh grid has one empty data row
    }
    return table;
}

const ScalarCells kCuReading = {"1", "1000 ", "Cu", "none", "E. S. 13", "0", "120", "123.45"};

} // namespace

TEST(ScalarText, HeaderLineAndReadingLineWithTabsAndCrLf) {
    EXPECT_EQ(scalarTextBytes(tableWith({kCuReading})),
              QByteArray("No.\tDHV\tRRS\tFS\tDP\tFT\tXRTC\tIntensity\r\n"
                         "1\t1000\tCu\tnone\tE. S. 13\t0\t120\t123.45\r\n"));
}

TEST(ScalarText, EmptyTableGivesTheHeaderLineOnly) {
    EXPECT_EQ(scalarTextBytes(tableWith({})), QByteArray("No.\tDHV\tRRS\tFS\tDP\tFT\tXRTC\tIntensity\r\n"));
}

TEST(ScalarText, BlanksGoOnlyFromTheNumberColumnsAndTextIsSingleByte) {
    const ScalarCells odd = {"2", " 5 0 0 ", "N/A", "Ni", "E. S. 30", " 0.5 ", "1 20", "1 234.50"};
    const ScalarCells micro = {"3", "300 ", "V", "V", "E. S. 14", QStringLiteral("0,1\u00b5"), "7", "1.00"};
    const QByteArray bytes = scalarTextBytes(tableWith({odd, micro}));
    const QList<QByteArray> lines = bytes.split('\n');
    ASSERT_EQ(lines.size(), 4); // three lines and the empty rest after the last LF
    EXPECT_EQ(lines[1], QByteArray("2\t500\tN/A\tNi\tE. S. 30\t0.5\t120\t1234.50\r"));
    EXPECT_EQ(lines[2], QByteArray("3\t300\tV\tV\tE. S. 14\t0,1\xB5\t7\t1.00\r"));
}

TEST(ScalarText, FileIsReplacedWholeOrNotAtAll) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("readings.txt"));
    ASSERT_TRUE(exportScalarText(tableWith({kCuReading}), path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), scalarTextBytes(tableWith({kCuReading})));

    QString error;
    EXPECT_FALSE(
        exportScalarText(tableWith({}), dir.filePath(QStringLiteral("missing/readings.txt")), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"readings.txt"});
}
