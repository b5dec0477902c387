// The thread replaces the live record while a dialog of the main window works on it (the link came
// back, an apparatus switched off and on): the dialog goes on with the record it was given, and the
// window shows the new live record afterwards. Under the address sanitizer a record freed under the
// dialog stops the test.
#include "tests/support/formsession.h"

#include "mainwindow/filedialogs.h"
#include "mainwindow/tform11.h"
#include "mainwindow/tform6.h"
#include "widgets/messages.h"

#include "records/trecdata.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// Save dialogs that let the thread replace the live record before they answer with `path`.
class ReplacingDialogs : public FileDialogs {
public:
    std::function<void()> whileOpen;
    QString path;
    std::optional<SaveDialogChoice> save(QWidget*, const SaveDialogRequest&) override {
        whileOpen();
        return SaveDialogChoice{path, 1};
    }
    QStringList open(QWidget*, const records::FileType&) override { return {}; }
};

class LiveRecordUnderADialog : public ::testing::Test {
protected:
    LiveRecordUnderADialog() : session(formtest::simulator(5), 0.2) {
        auto owned = std::make_unique<ReplacingDialogs>();
        dialogs = owned.get();
        dialogs->whileOpen = [this] { replaceLive(); };
        form().setFileDialogs(std::move(owned));
        form().show();
    }
    void SetUp() override {
        ui::setMessageResponder([this](const ui::Message& message) {
            messages << message.text;
            return message.kind == ui::MessageKind::Error ? ui::Reply::Ok : ui::Reply::Yes;
        });
        ASSERT_TRUE(session.waitUntil([this] {
            return thread().linkReady.load() && thread().liveRecord &&
                   form().displayedRecord() == thread().liveRecord.get();
        }));
    }
    void TearDown() override { ui::setMessageResponder({}); }

    TForm1& form() { return session.form(); }
    engine::TRS& thread() { return session.thread(); }
    // Asks the thread for a new live record and serves its calls until the old one has gone.
    void replaceLive() {
        const trecdata* old = thread().liveRecord.get();
        thread().rebuildLiveRecord();
        replaced = session.waitUntil([&] { return thread().liveRecord.get() != old; });
    }
    static void whenShown(QDialog& dialog, std::function<void()> act) {
        QTimer::singleShot(0, &dialog, [act] { act(); });
    }

    formtest::Watchdog watchdog{300s};
    formtest::Session session;
    ReplacingDialogs* dialogs = nullptr;
    QTemporaryDir dir;
    QStringList messages;
    bool replaced = false;
};

} // namespace

TEST_F(LiveRecordUnderADialog, EveryDialogGoesOnWithTheRecordItWasGiven) {
    TForm11& regions = session.windows().regions();
    TForm6& print = session.windows().print();
    struct Case {
        const char* dialog;
        std::function<void()> run;   // opens the dialog; the live record is replaced while it is open
        std::function<bool()> works; // what the user sees afterwards
    };
    const QString saved = dir.filePath(QStringLiteral("saved.RTG"));
    const QString page = dir.filePath(QStringLiteral("page.pdf"));
    const Case cases[] = {
        {"region editor",
         [&] {
             whenShown(regions, [&] {
                 replaceLive();
                 roi::GridTexts rows{};
                 rows[0] = {QStringLiteral("20"), QStringLiteral("30")};
                 regions.setRows(rows);
                 regions.BitBtn2->click();
             });
             form().rngbuttonClick();
         },
         [&] { return regions.result() == QDialog::Accepted; }},
        {"save dialog",
         [&] {
             dialogs->path = saved;
             form().BitBtn4Click();
         },
         [&] { return QFile::exists(saved); }},
        {"close query",
         [&] {
             dialogs->path = saved;
             thread().liveRecord->SetPoint(3, 42.0);
             EXPECT_TRUE(form().FormCloseQuery());
         },
         [&] { return QFile::exists(saved); }},
        {"print dialog",
         [&] {
             print.askPdfFileName = [&] { return page; };
             whenShown(print, [&] {
                 replaceLive();
                 print.ComboBox1->setCurrentIndex(print.ComboBox1->count() - 1);
                 print.BitBtn2->click();
             });
             form().SpeedButton2Click();
         },
         [&] { return QFile::exists(page); }},
    };
    for (const Case& test : cases) {
        QFile::remove(saved);
        replaced = false;
        messages.clear();
        test.run();
        EXPECT_TRUE(replaced) << test.dialog;
        EXPECT_TRUE(test.works()) << test.dialog;
        EXPECT_EQ(messages.filter(QStringLiteral("Out of range")), QStringList()) << test.dialog;
        EXPECT_FALSE(messages.contains(QStringLiteral("Scan save failed."))) << test.dialog;
        // The window shows the new live record.
        EXPECT_EQ(form().displayedRecord(), thread().liveRecord.get()) << test.dialog;
    }
}
