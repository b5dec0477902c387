// The XML edits of a template copy, on hand-written parts.
#include "scalar/export/xlsxxml.h"

#include <gtest/gtest.h>

// Compared as text, so a failure shows both parts readably.
#define EXPECT_PART(actual, expected)                                                                        \
    EXPECT_EQ(QByteArray(actual).toStdString(), QByteArray(expected).toStdString())

using namespace scalar;

namespace {

QByteArray sheet(const char* sheetData) {
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
                      "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
                      "xmlns:x14ac=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac\">"
                      "<dimension ref=\"A1:E9\"/>") +
           sheetData + "<pageMargins left=\"0.7\"/></worksheet>";
}

QByteArray rewrite(const char* sheetData, const SheetWrites& writes) {
    QString error;
    const QByteArray out = rewriteSheet(sheet(sheetData), writes, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    return out;
}

} // namespace

TEST(CellReference, LettersAndRow) {
    EXPECT_EQ(parseCellReference("D232"), std::make_pair(232, 4));
    EXPECT_EQ(parseCellReference("AA1"), std::make_pair(1, 27));
    EXPECT_EQ(parseCellReference("XFD1048576"), std::make_pair(1048576, 16384));
    for (const char* bad : {"", "D", "232", "d5", "D0", "D-1", "D+1", "XFE1"}) {
        EXPECT_EQ(parseCellReference(QString::fromLatin1(bad)), std::make_pair(0, 0)) << bad;
    }
    EXPECT_EQ(cellReference(232, 4), "D232");
    EXPECT_EQ(cellReference(7, 28), "AB7");
}

TEST(RewriteSheet, ExistingCellKeepsItsStyleAndLosesTypeAndContent) {
    EXPECT_PART(
        rewrite(
            "<sheetData><row r=\"2\" spans=\"1:5\" x14ac:dyDescent=\"0.25\"><c r=\"A2\" t=\"s\"><v>0</v></c>"
            "<c r=\"D2\" s=\"3\" t=\"s\"><v>7</v></c></row></sheetData>",
            {{{2, 4}, 123.45}}),
        sheet("<sheetData><row r=\"2\" x14ac:dyDescent=\"0.25\"><c r=\"A2\" t=\"s\"><v>0</v></c>"
              "<c r=\"D2\" s=\"3\"><v>123.45</v></c></row></sheetData>"));
    EXPECT_PART(
        rewrite("<sheetData><row r=\"2\"><c r=\"D2\" t=\"inlineStr\"><is><t>x</t></is></c></row></sheetData>",
                {{{2, 4}, 1e6}}),
        sheet("<sheetData><row r=\"2\"><c r=\"D2\"><v>1000000</v></c></row></sheetData>"));
}

TEST(RewriteSheet, MissingRowsAndCellsAreInsertedInOrder) {
    EXPECT_PART(rewrite("<sheetData><row r=\"2\"><c r=\"A2\"><v>1</v></c><c r=\"E2\"><v>5</v></c></row>"
                        "<row r=\"9\"><c r=\"A9\"><v>9</v></c></row></sheetData>",
                        {{{1, 4}, 0.5}, {{2, 4}, 2}, {{2, 6}, 3}, {{5, 4}, 4}, {{12, 1}, 6}}),
                sheet("<sheetData><row r=\"1\"><c r=\"D1\"><v>0.5</v></c></row>"
                      "<row r=\"2\"><c r=\"A2\"><v>1</v></c><c r=\"D2\"><v>2</v></c><c r=\"E2\"><v>5</v></c>"
                      "<c r=\"F2\"><v>3</v></c></row>"
                      "<row r=\"5\"><c r=\"D5\"><v>4</v></c></row>"
                      "<row r=\"9\"><c r=\"A9\"><v>9</v></c></row>"
                      "<row r=\"12\"><c r=\"A12\"><v>6</v></c></row></sheetData>"));
    EXPECT_PART(rewrite("<sheetData/>", {{{3, 2}, 1}}),
                sheet("<sheetData><row r=\"3\"><c r=\"B3\"><v>1</v></c></row></sheetData>"));
}

TEST(RewriteSheet, RowsAndCellsWithoutReferenceCountOnFromTheirNeighbours) {
    EXPECT_PART(
        rewrite("<sheetData><row r=\"3\"><c><v>1</v></c></row><row><c><v>2</v></c><c><v>3</v></c></row>"
                "</sheetData>",
                {{{4, 2}, 7}}),
        sheet("<sheetData><row r=\"3\"><c><v>1</v></c></row><row><c><v>2</v></c><c><v>7</v></c></row>"
              "</sheetData>"));
}

TEST(RewriteSheet, FormulaCellsLoseCachedValuesEverywhereAndKeepTheirFormula) {
    EXPECT_PART(
        rewrite("<sheetData><row r=\"6\"><c r=\"E6\" s=\"2\" t=\"str\"><f>IF(D6&gt;0,D6,\"\")</f><v></v></c>"
                "<c r=\"F6\"><f>SQRT(C6)</f><v>2.2</v></c><c r=\"G6\"><v>4</v></c></row></sheetData>",
                {}),
        sheet("<sheetData><row r=\"6\"><c r=\"E6\" s=\"2\"><f>IF(D6&gt;0,D6,&quot;&quot;)</f></c>"
              "<c r=\"F6\"><f>SQRT(C6)</f></c><c r=\"G6\"><v>4</v></c></row></sheetData>"));
}

TEST(RewriteSheet, PrefixedMainNamespaceIsKept) {
    const QByteArray in =
        "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<x:sheetData><x:row r=\"1\"><x:c r=\"A1\"><x:v>1</x:v></x:c></x:row></x:sheetData>"
        "</x:worksheet>";
    QString error;
    EXPECT_PART(
        rewriteSheet(in, {{{1, 4}, 2}, {{2, 4}, 3}}, &error),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" // absent declarations are not invented ...
        "<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
        "<x:sheetData><x:row r=\"1\"><x:c r=\"A1\"><x:v>1</x:v></x:c><x:c r=\"D1\"><x:v>2</x:v></x:c></x:row>"
        "<x:row r=\"2\"><x:c r=\"D2\"><x:v>3</x:v></x:c></x:row></x:sheetData></x:worksheet>");
}

TEST(RewriteSheet, BrokenXmlIsReported) {
    QString error;
    EXPECT_TRUE(rewriteSheet("<worksheet><sheetData><row></sheetData>", {}, &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

TEST(FullCalculation, SetOnAnExistingCalcPrOrInsertedWhereTheSchemaWantsIt) {
    QString error;
    EXPECT_PART(requestFullCalculation(
                    "<workbook><sheets/><calcPr calcId=\"1\" fullCalcOnLoad=\"0\"/></workbook>", &error),
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook><sheets/><calcPr calcId=\"1\" "
                "fullCalcOnLoad=\"1\"/></workbook>");
    EXPECT_PART(requestFullCalculation("<workbook><sheets/><definedNames/><extLst/></workbook>", &error),
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook><sheets/><definedNames/><calcPr "
                "fullCalcOnLoad=\"1\"/>"
                "<extLst/></workbook>");
    EXPECT_PART(requestFullCalculation("<w:workbook xmlns:w=\"m\"><w:sheets/></w:workbook>", &error),
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?><w:workbook xmlns:w=\"m\"><w:sheets/><w:calcPr "
                "fullCalcOnLoad=\"1\"/>"
                "</w:workbook>");
}

TEST(FirstSheet, FoundThroughTheWorkbooksRelationships) {
    const QByteArray workbook =
        "<workbook xmlns:r=\"rel\"><sheets><sheet name=\"Data\" sheetId=\"2\" r:id=\"rId7\"/>"
        "<sheet name=\"Other\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
    EXPECT_EQ(firstSheetPath(workbook,
                             "<Relationships><Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/>"
                             "<Relationship Id=\"rId7\" Target=\"worksheets/data.xml\"/></Relationships>"),
              "xl/worksheets/data.xml");
    EXPECT_EQ(firstSheetPath(workbook,
                             "<Relationships><Relationship Id=\"rId7\" Target=\"/xl/sheets/../s.xml\"/>"
                             "</Relationships>"),
              "xl/s.xml");
    EXPECT_EQ(firstSheetPath("<workbook><sheets/></workbook>", "<Relationships/>"), "");
}

TEST(CalcChain, ItsRelationshipAndContentTypeAreDropped) {
    QString error;
    EXPECT_PART(dropCalcChainReferences(
                    "<Relationships><Relationship Id=\"rId1\" Type=\"http://x/worksheet\" Target=\"s.xml\"/>"
                    "<Relationship Id=\"rId9\" Type=\"http://x/calcChain\" "
                    "Target=\"calcChain.xml\"/></Relationships>",
                    &error),
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Relationships>"
                "<Relationship Id=\"rId1\" Type=\"http://x/worksheet\" Target=\"s.xml\"/></Relationships>");
    EXPECT_PART(dropCalcChainReferences("<Types><Override PartName=\"/xl/calcChain.xml\" ContentType=\"c\"/>"
                                        "<Default Extension=\"xml\"/></Types>",
                                        &error),
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types><Default Extension=\"xml\"/></Types>");
}
