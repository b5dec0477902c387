// The region editor and the print dialog through the program's windows: the dialog's errors and the
// cell it selects, what Apply stores and the main window shows afterwards, and a page printed to PDF.
#include "tests/support/formsession.h"

#include "mainwindow/tform11.h"
#include "mainwindow/tform6.h"
#include "widgets/controls.h"
#include "widgets/messages.h"

#include "records/trecdata.h"

#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class RegionsAndPrinting : public ::testing::Test {
protected:
    void SetUp() override {
        // The grids are written in the system's notation: these cases are in C's.
        QLocale::setDefault(QLocale::c());
        ui::setMessageResponder([this](const ui::Message& message) {
            messages << message.caption + QStringLiteral(": ") + message.text;
            return answer ? ui::Reply::Yes : ui::Reply::No;
        });
    }
    void TearDown() override {
        ui::setMessageResponder({});
        QLocale::setDefault(QLocale::system());
    }

    // A loaded record from 10 to 60 degrees, displayed.
    trecdata* showLoaded() {
        auto owned = trecdata::Create(1, 200, 1200, 0, 10);
        owned->offsetEnabled = false;
        for (int i = 0; i <= 1000; ++i) {
            owned->SetPoint(i, 100 + i % 50);
        }
        owned->SetComment(QStringLiteral("Cu anode\r\nNaCl"));
        trecdata* record = owned.get();
        TForm1& form = session.form();
        form.lista->setCurrentIndex(
            form.addLoadedRecord(std::move(owned), QStringLiteral("scan.RTG: 0.05/1.0  [deg/sec]")));
        form.listaChange();
        return record;
    }
    void setRows(std::initializer_list<std::pair<const char*, const char*>> rows) {
        roi::GridTexts texts{};
        std::size_t i = 0;
        for (const auto& [start, end] : rows) {
            texts[i++] = {QString::fromUtf8(start), QString::fromUtf8(end)};
        }
        regions.setRows(texts);
    }
    // Runs `act` once the modal dialog runs.
    static void whenShown(QDialog& dialog, std::function<void()> act) {
        QTimer::singleShot(0, &dialog, [act] { act(); });
    }
    static std::vector<std::pair<int, int>> stored(const trecdata& record) {
        std::vector<std::pair<int, int>> pairs;
        for (int i = 0; i < record.regionCount; ++i) {
            pairs.emplace_back(record.regions[static_cast<std::size_t>(i)].from,
                               record.regions[static_cast<std::size_t>(i)].to);
        }
        return pairs;
    }

    formtest::Session session;
    TForm11& regions = session.windows().regions();
    TForm6& print = session.windows().print();
    QStringList messages;
    bool answer = true;
};

} // namespace

TEST_F(RegionsAndPrinting, FiveRowsAreStoredAndTheirButtonsEnabled) {
    trecdata* record = showLoaded();
    TForm1& form = session.form();
    whenShown(regions, [this] {
        setRows({{"10", "15"}, {"20", "25"}, {"30", "35"}, {"40", "45"}, {"50", "60"}});
        regions.BitBtn2->click();
    });
    form.rngbuttonClick();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(record->regionCount, 5);
    for (SpeedButton* button : form.d) {
        EXPECT_TRUE(button->isEnabled());
    }
    EXPECT_EQ(form.aranges->item(5, 0)->text(), QStringLiteral("50.00"));
    EXPECT_EQ(form.aranges->item(5, 1)->text(), QStringLiteral("60.00"));
    // The view shows "All" afterwards.
    EXPECT_TRUE(form.dall->isChecked());
    EXPECT_EQ(record->currentRegion, -1);

    // Region 2 shown: the plot follows it.
    form.d[1]->click();
    EXPECT_EQ(record->currentRegion, 1);
    EXPECT_EQ(record->ViewFirstCell(), 400);
}

TEST_F(RegionsAndPrinting, ErrorsSelectTheCellAndKeepTheDialogOpen) {
    trecdata* record = showLoaded();
    record->AddRegion(300, 400);
    struct Case {
        std::initializer_list<std::pair<const char*, const char*>> rows;
        const char* message;
        int row;
        int column;
    };
    const Case cases[] = {
        {{{"10", "20"}, {"30", "4 0"}, {"45", "4x"}}, "Error: Invalid character", 3, 2},
        {{{"5", "20"}}, "Error: Out of range", 1, 1},
        {{{"10", "20"}, {"", "30"}}, "Error: Range incomplete", 2, 1},
    };
    for (const Case& test : cases) {
        messages.clear();
        regions.loadRegions(session.form().holdRecord(record));
        setRows(test.rows);
        const roi::GridTexts entered = regions.rows();
        regions.BitBtn2->click();
        EXPECT_EQ(messages, QStringList{QLatin1String(test.message)});
        EXPECT_EQ(regions.ranges->currentRow(), test.row) << test.message;
        EXPECT_EQ(regions.ranges->currentColumn(), test.column) << test.message;
        EXPECT_NE(regions.result(), QDialog::Accepted);
        EXPECT_EQ(regions.rows(), entered); // the input stays as typed
        EXPECT_EQ(stored(*record), (std::vector<std::pair<int, int>>{{300, 400}}));
    }
}

TEST_F(RegionsAndPrinting, TheQuestionKeepsOrRewritesTheRows) {
    trecdata* record = showLoaded();
    regions.loadRegions(session.form().holdRecord(record));
    setRows({{"30", "40"}, {"20", "10.03"}});
    answer = false;
    regions.BitBtn2->click();
    EXPECT_EQ(messages, QStringList{QStringLiteral(
                            "Warning: Ranges need to be modified/rearanged. Continue and modify?")});
    EXPECT_EQ(regions.rows()[0].start, QStringLiteral("30"));
    EXPECT_EQ(record->regionCount, 0);

    answer = true;
    regions.BitBtn2->click();
    EXPECT_EQ(regions.rows()[0], (roi::RowTexts{QStringLiteral("10.05"), QStringLiteral("20.00")}));
    EXPECT_EQ(regions.rows()[1], (roi::RowTexts{QStringLiteral("30.00"), QStringLiteral("40.00")}));
    EXPECT_EQ(stored(*record), (std::vector<std::pair<int, int>>{{201, 400}, {600, 800}}));
    EXPECT_EQ(regions.result(), QDialog::Accepted);
}

TEST_F(RegionsAndPrinting, CancelChangesNothingAndTheLiveRecordsRegionsGoToTheThread) {
    TForm1& form = session.form();
    ASSERT_TRUE(session.waitUntil([&] { return session.thread().liveRecord != nullptr; }, 5s));
    form.lista->setCurrentIndex(0);
    form.listaChange();
    trecdata* live = form.displayedRecord();
    ASSERT_EQ(live, session.thread().liveRecord.get());
    whenShown(regions, [this] {
        setRows({{"20", "30"}});
        regions.BitBtn3->click();
    });
    form.rngbuttonClick();
    EXPECT_EQ(live->regionCount, 0);

    whenShown(regions, [this] {
        setRows({{"20", "30"}, {"40", "50"}});
        regions.BitBtn2->click();
    });
    form.rngbuttonClick();
    EXPECT_EQ(live->regionCount, 2);
}

TEST_F(RegionsAndPrinting, PrintDialogAlwaysOffersAPdfFileAndFollowsTheSetup) {
    ASSERT_GE(print.ComboBox1->count(), 1);
    EXPECT_EQ(print.ComboBox1->itemText(print.ComboBox1->count() - 1), QStringLiteral("PDF file"));
    EXPECT_TRUE(print.BitBtn2->isEnabled());
    EXPECT_TRUE(print.landscapeItem->isChecked());
    print.ComboBox1->setCurrentIndex(print.ComboBox1->count() - 1);
    print.portraitItem->click();
    EXPECT_EQ(print.printer().pageLayout().orientation(), QPageLayout::Portrait);
    // The set-up dialog turns the page: the radio group follows.
    print.runPrinterSetup = [](QPrinter& printer) {
        printer.setPageOrientation(QPageLayout::Landscape);
        return true;
    };
    print.BitBtn1->click();
    EXPECT_TRUE(print.landscapeItem->isChecked());
}

TEST_F(RegionsAndPrinting, PrintingToAPdfFileWritesOnePage) {
    showLoaded();
    TForm1& form = session.form();
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    print.askPdfFileName = [&] { return pdf; };
    whenShown(print, [this] {
        print.ComboBox1->setCurrentIndex(print.ComboBox1->count() - 1);
        print.BitBtn2->click();
    });
    form.SpeedButton2Click();
    ASSERT_TRUE(QFile::exists(pdf));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString page = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(page.contains(QStringLiteral("scan.RTG: 0.05/1.0"))) << page.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("NaCl")));
    EXPECT_TRUE(messages.isEmpty());

    // Cancelled: nothing printed.
    QFile::remove(pdf);
    whenShown(print, [this] { print.BitBtn3->click(); });
    form.SpeedButton2Click();
    EXPECT_FALSE(QFile::exists(pdf));

    // A name typed without ".pdf" gets it.
    print.askPdfFileName = [&] { return dir.filePath(QStringLiteral("bare")); };
    whenShown(print, [this] {
        print.ComboBox1->setCurrentIndex(print.ComboBox1->count() - 1);
        print.BitBtn2->click();
    });
    form.SpeedButton2Click();
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("bare.pdf"))));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("bare"))));
}

TEST_F(RegionsAndPrinting, TheEditorAndTheGridWriteAndReadTheSystemsNotation) {
    struct Case {
        QLocale locale;
        const char* typed;
        const char* snapped;
        const char* end;
    };
    const Case cases[] = {
        {QLocale::c(), "10.03", "10.05", "20.00"},
        {QLocale(QLocale::German, QLocale::Germany), "10,03", "10,05", "20,00"},
        {QLocale(QLocale::French, QLocale::France), "10,03", "10,05", "20,00"},
    };
    TForm1& form = session.form();
    for (const Case& test : cases) {
        QLocale::setDefault(test.locale);
        trecdata* record = showLoaded();
        whenShown(regions, [&] {
            setRows({{test.typed, "20"}});
            regions.BitBtn2->click();
        });
        form.rngbuttonClick();
        EXPECT_EQ(stored(*record), (std::vector<std::pair<int, int>>{{201, 400}})) << test.typed;
        EXPECT_EQ(form.aranges->item(1, 0)->text(), QLatin1String(test.snapped));
        EXPECT_EQ(form.aranges->item(1, 1)->text(), QLatin1String(test.end));
        // Opened again, the editor shows what it wrote and Apply takes it as it stands.
        messages.clear();
        whenShown(regions, [&] {
            EXPECT_EQ(regions.rows()[0].start, QLatin1String(test.snapped));
            regions.BitBtn2->click();
        });
        form.rngbuttonClick();
        EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
        EXPECT_EQ(stored(*record), (std::vector<std::pair<int, int>>{{201, 400}})) << test.typed;
    }
}
