// The series' evaluation goes with the readings: after the table of the text file as "# " lines in
// its single-byte set, and onto a second sheet "Evaluation" of the new workbook; the same lines the
// panel under the chart shows.
#include "scalar/export/scalarseries.h"
#include "scalar/export/scalartext.h"
#include "scalar/export/scalarworkbook.h"
#include "tests/scalar/xlsxread.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace scalar;

namespace {

// A Ni foil series on the Fe radiator, as the simulated bench reads it over 10 s.
ScalarTable foilSeries() {
    ScalarTable table{{headerRow(0), headerRow(1)}};
    const char* rows[][2] = {{"0", "313.00"}, {"0.005", "223.00"}, {"0.01", "153.00"}, {"0.015", "93.00"}};
    int number = 1;
    for (const auto& [mm, rate] : rows) {
        table.rows.push_back({QString::number(number++), "505 ", "Fe", "Ni", "E. S. 13", mm, "200", rate});
    }
    return table;
}

} // namespace

TEST(EvaluationExport, TheLinesFollowTheTableAndFillTheirOwnSheet) {
    const ScalarTable table = foilSeries();
    const QStringList lines = evaluateTable(table, thickness, 10, 29, QLocale::c()).lines;
    ASSERT_EQ(lines.size(), 2) << lines.join('|').toStdString();
    ASSERT_TRUE(lines[1].startsWith(QStringLiteral("μ/ρ (Ni) = "))) << lines[1].toStdString();

    // Text: the table byte for byte as without the evaluation, then the lines, spelt in Windows-1252.
    const QByteArray bytes = scalarTextBytes(table, lines);
    const QByteArray tableOnly = scalarTextBytes(table);
    ASSERT_TRUE(bytes.startsWith(tableOnly));
    const QList<QByteArray> comments = bytes.mid(tableOnly.size()).split('\n');
    ASSERT_EQ(comments.size(), 3); // two lines and the empty rest after the last LF
    EXPECT_TRUE(comments[0].startsWith("# ln R against thickness: mu = ")) << comments[0].toStdString();
    EXPECT_TRUE(comments[1].startsWith("# mu/rho (Ni) = ")) << comments[1].toStdString();
    EXPECT_TRUE(comments[1].contains(" \xB1 ") && comments[1].contains("cm\xB2/g"))
        << comments[1].toStdString();
    EXPECT_TRUE(comments[1].endsWith("\r"));

    // Workbook: the readings' sheet as before and a second sheet of the lines, one a row in column A.
    QTemporaryDir dir;
    const struct {
        QStringList evaluation;
        bool secondSheet;
    } cases[] = {{lines, true}, {{}, false}};
    for (const auto& c : cases) {
        const QString path = dir.filePath(QStringLiteral("readings%1.xlsx").arg(c.secondSheet));
        const SpreadsheetOutcome outcome = exportScalarWorkbook(table, path, QLocale::c(), c.evaluation);
        ASSERT_FALSE(outcome.saveFailed || outcome.transferFailed) << outcome.detail.toStdString();
        const ReadWorkbook book = readWorkbook(path);
        ASSERT_TRUE(book.ok);
        EXPECT_EQ(book.cells.at("H3").value, "313");
        EXPECT_EQ(book.workbookXml.contains("name=\"Evaluation\""), c.secondSheet);
        EXPECT_EQ(book.parts.count("xl/worksheets/sheet2.xml") == 1, c.secondSheet);
        const QByteArray strings =
            book.parts.count("xl/sharedStrings.xml") ? book.parts.at("xl/sharedStrings.xml") : "";
        for (const QString& line : lines) {
            EXPECT_EQ(strings.contains(line.toUtf8()), c.secondSheet) << line.toStdString();
        }
    }
}
