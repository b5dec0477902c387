// The Moseley's-law template: where readings go, and a filled copy read back.
#include "scalar/export/moseleytemplate.h"

#include "tests/scalar/xlsxread.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace scalar;

namespace {

using Cell = std::optional<std::pair<int, int>>;

ScalarCells reading(int number, const QString& radiator, const QString& filter, const QString& rate) {
    return {QString::number(number), "500 ", radiator, filter, "E. S. 13", "0", "120", rate};
}

ScalarTable tableOf(std::initializer_list<ScalarCells> rows) {
    ScalarTable table{{headerRow(0), headerRow(1)}};
    table.rows.insert(table.rows.end(), rows);
    return table;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(TemplateRule, RowIsTheFiltersBlockStartPlusTheRadiatorsIndexInColumnFour) {
    const struct {
        const char* filter;
        const char* radiator;
        Cell cell;
    } cases[] = {
        {"Ni", "Cu", std::pair{232, 4}}, {"none", "V", std::pair{6, 4}},  {"none", "Zn", std::pair{13, 4}},
        {"V", "V", std::pair{41, 4}},    {"Zn", "Zn", std::pair{307, 4}}, {"Cu", "Ni", std::pair{268, 4}},
        {"none", "N/A", std::nullopt},   {"Ni", "N/A", std::nullopt},     {"", "Cu", std::nullopt},
        {"Ni", "", std::nullopt},        {"ni", "Cu", std::nullopt},      {"Ni ", "Cu", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(templateCellFor(QString::fromLatin1(c.filter), QString::fromLatin1(c.radiator)), c.cell)
            << c.filter << " / " << c.radiator;
    }
}

TEST(TemplateRule, LaterReadingsReplaceEarlierOnesAndUnreadableRatesAreCounted) {
    ScalarTable table = tableOf({reading(1, "Cu", "Ni", "100.00"), reading(2, "N/A", "Ni", "5.00"),
                                 reading(3, "Cu", "Ni", "123.45"), reading(4, "Fe", "none", "7 000,50"),
                                 reading(5, "Zn", "none", "lots")});
    table.rows.push_back({}); // rows past the data are ignored
    int skipped = 0;
    const SheetWrites writes = templateWrites(table, QLocale(QLocale::German), &skipped);
    EXPECT_EQ(writes, (SheetWrites{{{232, 4}, 123.45}, {{9, 4}, 7000.5}}));
    EXPECT_EQ(skipped, 1);
}

class TemplateCopy : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString target = dir.filePath(QStringLiteral("moseley.xlsx"));
    const QString templatePath = QStringLiteral(ZAVO_MLAW_TEMPLATE);
};

TEST_F(TemplateCopy, CopyHoldsTheRatesAndEveryFormulaOfTheTemplate) {
    const ReadWorkbook original = readWorkbook(templatePath);
    ASSERT_TRUE(original.ok);
    const ScalarTable table = tableOf({reading(1, "Cu", "none", "250.00"), reading(2, "Cu", "Ni", "123.45"),
                                       reading(3, "N/A", "Cu", "9.99")});
    const SpreadsheetOutcome outcome = exportScalarTemplate(table, templatePath, target, QLocale::c());
    EXPECT_FALSE(outcome.transferFailed);
    EXPECT_FALSE(outcome.saveFailed) << outcome.detail.toStdString();

    const ReadWorkbook copy = readWorkbook(target);
    ASSERT_TRUE(copy.ok);
    EXPECT_EQ(copy.rowOrderError, QString());
    EXPECT_EQ(copy.cells.at("D232").value, "123.45");
    EXPECT_EQ(copy.cells.at("D12").value, "250");
    EXPECT_EQ(copy.cells.at("D232").type, "");
    EXPECT_EQ(copy.cells.at("D232").style, original.cells.at("D232").style); // the tinted input cell
    // The N/A reading went nowhere: column D holds no other number (its headings are text).
    int rates = 0;
    for (const auto& [reference, cell] : copy.cells) {
        rates += reference.startsWith(QLatin1Char('D')) && cell.hasValue && cell.type.isEmpty() ? 1 : 0;
    }
    EXPECT_EQ(rates, 2);
    // Every formula survives, none keeps a cached result, and the workbook asks for recalculation.
    int formulas = 0;
    for (const auto& [reference, cell] : original.cells) {
        if (!cell.formula.isEmpty()) {
            ++formulas;
            EXPECT_EQ(copy.cells.at(reference).formula, cell.formula) << reference.toStdString();
            EXPECT_FALSE(copy.cells.at(reference).hasValue) << reference.toStdString();
        }
    }
    EXPECT_EQ(formulas, 8 * 9 + 8 * 8); // a column for every block and a second one for the filter blocks
    EXPECT_TRUE(copy.workbookXml.contains("fullCalcOnLoad=\"1\"")) << copy.workbookXml.constData();
    // The charts and everything else of the package are there too.
    for (const auto& [name, bytes] : original.parts) {
        EXPECT_TRUE(copy.parts.count(name)) << name.toStdString();
    }
}

TEST_F(TemplateCopy, TransmissionFormulaDividesByTheUnfilteredRateOfTheSameRadiator) {
    const ReadWorkbook book = readWorkbook(templatePath);
    ASSERT_TRUE(book.ok);
    const QString ni = book.cells.at("E232").formula;           // Ni filter, Cu radiator
    EXPECT_TRUE(ni.contains("D232/$D$12")) << ni.toStdString(); // rate without filter, Cu
    EXPECT_TRUE(ni.contains("$D$12>0")) << ni.toStdString();
    EXPECT_EQ(book.cells.at("A232").value, "Cu");
    EXPECT_EQ(book.cells.at("B232").value, "29");
    EXPECT_EQ(book.cells.at("C232").value, "8.048");
    EXPECT_EQ(book.cells.at("A300").value, "V");
    EXPECT_EQ(book.cells.at("A307").value, "Zn");
}

TEST_F(TemplateCopy, AnUnusableTemplateLeavesTheTargetUntouched) {
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("the previous file");
    old.close();
    const ScalarTable table = tableOf({reading(1, "Cu", "Ni", "1.00")});
    for (const QString& source :
         {dir.filePath(QStringLiteral("missing.xlsx")), dir.filePath(QStringLiteral("moseley.xlsx"))}) {
        const SpreadsheetOutcome outcome = exportScalarTemplate(table, source, target);
        EXPECT_TRUE(outcome.transferFailed);
        EXPECT_TRUE(outcome.saveFailed);
        EXPECT_FALSE(outcome.detail.isEmpty());
        EXPECT_EQ(fileBytes(target), "the previous file");
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"moseley.xlsx"});
}

TEST_F(TemplateCopy, FoundBesideTheProgramOrInTheInstalledDataFolder) {
    const QString bin = dir.filePath(QStringLiteral("bin"));
    const QString share = dir.filePath(QStringLiteral("share/zavo-driver"));
    ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(share));
    EXPECT_EQ(findTemplate(bin), QString());
    ASSERT_TRUE(QFile::copy(templatePath, share + QStringLiteral("/MLaw.xlsx")));
    EXPECT_EQ(findTemplate(bin), QDir::cleanPath(share + QStringLiteral("/MLaw.xlsx")));
    ASSERT_TRUE(QFile::copy(templatePath, bin + QStringLiteral("/MLaw.xlsx")));
    EXPECT_EQ(findTemplate(bin), bin + QStringLiteral("/MLaw.xlsx"));
}

TEST_F(TemplateCopy, GeneratorWritesTheSameBytesEveryTime) {
    const QString again = dir.filePath(QStringLiteral("MLaw.xlsx"));
    ASSERT_EQ(QProcess::execute(QStringLiteral(ZAVO_MLAW_GENERATOR), {again}), 0);
    EXPECT_EQ(fileBytes(again), fileBytes(templatePath));
}
