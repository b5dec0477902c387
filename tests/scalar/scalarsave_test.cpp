// The scalar window's save flow and chart printout, with the dialogs answered by the tests.
#include "scalar/scalarchart.h"
#include "scalar/scalarprint.h"
#include "scalar/scalarsave.h"

#include "scalar/export/moseleytemplate.h"
#include "scalar/export/scalartext.h"
#include "tests/scalar/qtapp.h"
#include "tests/scalar/xlsxread.h"

#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using scalar_tests::ensureApplication;

using namespace scalar;

namespace {

class SaveFlow : public ::testing::Test {
protected:
    void SetUp() override {
        saveDialog() = [this](QWidget*, const QStringList& filters) -> std::optional<SaveAnswer> {
            offered = filters;
            return answer;
        };
        errorMessage() = [this](QWidget*, const QString& text) { messages << text; };
        ASSERT_TRUE(QDir().mkpath(program));
    }
    void TearDown() override {
        saveDialog() = nullptr;
        errorMessage() = nullptr;
    }
    QTemporaryDir dir;
    QString program = dir.filePath(QStringLiteral("bin"));
    std::optional<SaveAnswer> answer;
    QStringList offered;
    QStringList messages;
    const ScalarTable table{{headerRow(0),
                             headerRow(1),
                             {"1", "1000 ", "Cu", "Ni", "E. S. 13", "0", "120", "123.45"},
                             {"2", "1000 ", "N/A", "Ni", "E. S. 13", "0", "120", "7.00"}}};
};

} // namespace

TEST(SaveTypes, TemplateTypeOnlyWhenFoundAndExtensionsByType) {
    EXPECT_EQ(saveFilters(false), (QStringList{"Text file (*.txt)", "Excel spreadsheet (*.xlsx)"}));
    EXPECT_EQ(saveFilters(true).value(2), "Mosley's Law Excel spreadsheet (*.xlsx)");
    EXPECT_EQ(withTypeExtension("/d/readings", 1), "/d/readings.txt");
    EXPECT_EQ(withTypeExtension("/d/readings", 2), "/d/readings.xlsx");
    EXPECT_EQ(withTypeExtension("/d/readings", 3), "/d/readings.xlsx");
    EXPECT_EQ(withTypeExtension("/d/readings.csv", 1), "/d/readings.csv");
    EXPECT_EQ(withTypeExtension("/d.v2/readings", 1), "/d.v2/readings.txt");
}

TEST_F(SaveFlow, CancelWritesNothing) {
    saveResults(nullptr, table, program);
    EXPECT_EQ(offered.size(), 2); // no template beside this program
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(QDir(program).entryList(QDir::Files), QStringList());
}

TEST_F(SaveFlow, TextFileGetsItsExtensionAndKeepsTheNaRow) {
    answer = SaveAnswer{program + QStringLiteral("/readings"), 1};
    saveResults(nullptr, table, program);
    QFile file(program + QStringLiteral("/readings.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), scalarTextBytes(table));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SaveFlow, TemplateCopyOfferedWhenBesideTheProgram) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZAVO_MLAW_TEMPLATE), program + QStringLiteral("/MLaw.xlsx")));
    answer = SaveAnswer{program + QStringLiteral("/moseley"), 3};
    saveResults(nullptr, table, program);
    EXPECT_EQ(offered.size(), 3);
    const ReadWorkbook book = readWorkbook(program + QStringLiteral("/moseley.xlsx"));
    ASSERT_TRUE(book.ok);
    EXPECT_EQ(book.cells.at("D232").value, "123.45");
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(SaveFlow, FailuresAreReportedWithTheirMessages) {
    answer = SaveAnswer{dir.filePath(QStringLiteral("missing/readings.xlsx")), 2};
    saveResults(nullptr, table, program);
    EXPECT_EQ(messages, QStringList{kSaveFailed});
    messages.clear();
    answer = SaveAnswer{dir.filePath(QStringLiteral("missing/readings.txt")), 1};
    saveResults(nullptr, table, program);
    EXPECT_EQ(messages, QStringList{kSaveFailed});
    messages.clear();
    ScalarTable odd = table;
    odd.rows[2][colThickness] = "thin";
    answer = SaveAnswer{dir.filePath(QStringLiteral("readings.xlsx")), 2};
    saveResults(nullptr, odd, program);
    EXPECT_EQ(messages, QStringList{kTransferFailed});
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("readings.xlsx")))); // the rest is saved
}

TEST(ChartPrint, PrintsThePageAsPdfWhenChosen) {
    ensureApplication();
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("chart.pdf"));
    printerChoice() = [&pdf](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    ScalarChart chart;
    chart.resize(500, 300);
    chart.addPoint(false, {500, 120, {255, 0, 0}});
    // The page carries the legend of the filters shown and the evaluation's lines under the chart.
    printChartAsked(nullptr, &chart, {{"none", "Ni"}, {"Plateau from 432 V", "Slope 1.2 ± 0.8 % per 100 V"}});
    printerChoice() = nullptr;
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(4) == "%PDF");
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty()) {
        GTEST_SKIP() << "pdftotext is not installed";
    }
    QProcess text;
    text.start(pdftotext, {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(20000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(words.contains(QStringLiteral("Radiation counts vs. Detector HV"))) << words.toStdString();
    EXPECT_TRUE(words.contains(QStringLiteral("Radiation count [CPS]"))) << words.toStdString();
    for (const char* note : {"none", "Ni", "Plateau from 432 V", "Slope 1.2 ± 0.8 % per 100 V"}) {
        EXPECT_TRUE(words.contains(QString::fromUtf8(note))) << note << words.toStdString();
    }
}
