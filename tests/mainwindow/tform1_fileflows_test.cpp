// The main window's record file flows: save, load, close and reset, and the questions when the
// window closes. The file dialogs and message boxes are answered by the test.
#include "tests/support/formsession.h"
#include "tests/support/trsaccess.h"

#include "app/tform5.h"
#include "mainwindow/filedialogs.h"
#include "scalar/scalarsave.h"
#include "scalar/tform13.h"
#include "widgets/messages.h"

#include "records/recordfile.h"
#include "records/trecdata.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <deque>

namespace {

// Save dialogs answered from a list (nullopt: cancelled); a name without extension gets the one the
// window gives for the chosen type, as Qt's dialog does with its default suffix.
class ScriptedDialogs : public FileDialogs {
public:
    std::deque<std::optional<SaveDialogChoice>> saves;
    std::vector<SaveDialogRequest> saveRequests;
    QStringList openAnswer;

    std::optional<SaveDialogChoice> save(QWidget*, const SaveDialogRequest& request) override {
        saveRequests.push_back(request);
        if (saves.empty())
            return std::nullopt;
        std::optional<SaveDialogChoice> choice = saves.front();
        saves.pop_front();
        if (choice && !QFileInfo(choice->path).fileName().contains(QLatin1Char('.')))
            choice->path += QLatin1Char('.') + request.typeChanged(choice->type);
        return choice;
    }
    QStringList open(QWidget*, const records::FileType&) override { return openAnswer; }
};

class FileFlows : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        auto owned = std::make_unique<ScriptedDialogs>();
        dialogs = owned.get();
        form().setFileDialogs(std::move(owned));
        ui::setMessageResponder([this](const ui::Message& message) {
            messages << message.caption + QLatin1Char('|') + message.text;
            if (answers.empty())
                return message.kind == ui::MessageKind::Error ? ui::Reply::Ok : ui::Reply::No;
            const ui::Reply reply = answers.front();
            answers.pop_front();
            return reply;
        });
        ASSERT_TRUE(session.waitUntil([this] { return thread().status().passes > 0 && live(); }));
        showEntry(0);
    }
    void TearDown() override { ui::setMessageResponder({}); }

    TForm1& form() { return session.form(); }
    engine::TRS& thread() { return session.thread(); }
    trecdata* live() { return thread().liveRecord.get(); }
    QString path(const QString& name) const { return dir.filePath(name); }
    void showEntry(int entry) {
        form().lista->setCurrentIndex(entry);
        form().listaChange();
    }
    void measure() {
        for (int i = 0; i < 50; ++i)
            live()->SetPoint(i, 100.0 + i);
    }
    // A record file on disk, written as the program writes them.
    QString recordFile(const QString& name, int step = 4, int time = 15) {
        auto record = trecdata::Create(step, 200, 400, 0, time);
        record->SetPoint(0, 50.0);
        record->SetComment(QStringLiteral("from ") + name);
        EXPECT_TRUE(records::saveRecordFile(*record, path(name)));
        return path(name);
    }
    int load(const QString& name) {
        EXPECT_TRUE(form().loadRecordEntry(recordFile(name)));
        return form().lista->currentIndex();
    }
    void expectMessages(const QStringList& expected) {
        EXPECT_EQ(messages.join(QLatin1Char('\n')).toStdString(),
                  expected.join(QLatin1Char('\n')).toStdString());
        messages.clear();
    }

    QTemporaryDir dir;
    formtest::Session session;
    ScriptedDialogs* dialogs = nullptr;
    std::deque<ui::Reply> answers;
    QStringList messages;
};

const QString kLiveQuestion = QStringLiteral("Warning|Current live scan is modified. Save changes?");
const QString kSaveFailed = QStringLiteral("Error|Scan save failed.");

TEST_F(FileFlows, SavingTheLiveScanAsARecordFileNamesItInTheCloseQuery) {
    measure();
    dialogs->saves.push_back(SaveDialogChoice{path(QStringLiteral("live")), 1});
    form().BitBtn4Click();
    expectMessages({});
    ASSERT_EQ(dialogs->saveRequests.size(), 1u);
    EXPECT_EQ(dialogs->saveRequests[0].types.size(), 3u); // record file, text, workbook
    EXPECT_TRUE(dialogs->saveRequests[0].proposedName.isEmpty());
    EXPECT_EQ(live()->fileName, path(QStringLiteral("live.RTG")));
    EXPECT_FALSE(live()->modified.load());
    const records::LoadResult reloaded = records::loadRecordFile(path(QStringLiteral("live.RTG")));
    ASSERT_TRUE(reloaded.record);
    EXPECT_EQ(reloaded.record->ValidCellCount(), live()->ValidCellCount());
    EXPECT_EQ(form().lista->itemText(0).left(4), QStringLiteral("Live")); // the live entry keeps its label

    // Measured again, the close query names it by its file; the next save proposes that file.
    measure();
    answers = {ui::Reply::Cancel};
    EXPECT_FALSE(form().close());
    expectMessages({QStringLiteral("Warning|Scan : live.RTG is modified. Save changes?")});
    dialogs->saves.push_back(std::nullopt);
    form().BitBtn4Click();
    EXPECT_EQ(dialogs->saveRequests.back().proposedName, path(QStringLiteral("live")));
}

TEST_F(FileFlows, CancellingTheSaveDialogShowsNothingAndWritesNothing) {
    measure();
    dialogs->saves.push_back(std::nullopt);
    form().BitBtn4Click();
    expectMessages({});
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(live()->modified.load());
    EXPECT_TRUE(live()->fileName.isEmpty());
}

TEST_F(FileFlows, SaveFailuresAreReported) {
    measure();
    // A record file or text file that cannot be written: "Scan save failed.", the scan stays unsaved.
    dialogs->saves.push_back(SaveDialogChoice{path(QStringLiteral("gone/a.RTG")), 1});
    dialogs->saves.push_back(SaveDialogChoice{path(QStringLiteral("gone/a.txt")), 2});
    form().BitBtn4Click();
    form().BitBtn4Click();
    expectMessages({kSaveFailed, kSaveFailed});
    EXPECT_TRUE(live()->modified.load());
    // A workbook reports its own failure.
    dialogs->saves.push_back(SaveDialogChoice{path(QStringLiteral("gone/a.xlsx")), 3});
    form().BitBtn4Click();
    expectMessages({QStringLiteral("Error|Error while saveing data.")});
    EXPECT_FALSE(session.windows().exportProgress().isVisible());
}

TEST_F(FileFlows, AWorkbookShowsTheProgressWindowAndLeavesTheScanUnsaved) {
    measure();
    dialogs->saves.push_back(SaveDialogChoice{path(QStringLiteral("scan")), 3});
    form().move(100, 120);
    form().BitBtn4Click();
    expectMessages({});
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("scan.XLSX"))));
    TForm5* progress = &session.windows().exportProgress();
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(progress->ProgressBar1->maximum(), 2599);
    EXPECT_EQ(progress->ProgressBar1->value(), 48); // the last point's cell, 49, less one
    EXPECT_EQ(progress->pos(), form().frameGeometry().topLeft() + QPoint(20, 40));
    // A workbook or text file is an export: the record itself is still unsaved.
    EXPECT_TRUE(live()->modified.load());
}

TEST_F(FileFlows, ThreeModifiedRecordsAreEachAskedAboutWhenClosing) {
    measure();
    const int a = load(QStringLiteral("a.RTG"));
    const int b = load(QStringLiteral("b.RTG"));
    form().entryRecord(a)->SetComment(QStringLiteral("edited"));
    form().entryRecord(b)->SetComment(QStringLiteral("edited"));
    answers = {ui::Reply::No, ui::Reply::No, ui::Reply::No};
    EXPECT_TRUE(form().FormCloseQuery());
    expectMessages({kLiveQuestion, QStringLiteral("Warning|Scan : a.RTG is modified. Save changes?"),
                    QStringLiteral("Warning|Scan : b.RTG is modified. Save changes?")});
    EXPECT_TRUE(dialogs->saveRequests.empty());
}

TEST_F(FileFlows, ClosingAsksAgainAfterAFailedOrCancelledSave) {
    measure();
    // Yes, but the file cannot be written; Yes, but the dialog is cancelled; then Cancel: the window
    // stays open and nothing is lost. (The record takes the chosen name even when the save fails.)
    dialogs->saves = {SaveDialogChoice{path(QStringLiteral("gone/a.RTG")), 1}, std::nullopt};
    answers = {ui::Reply::Yes, ui::Reply::Ok, ui::Reply::Yes, ui::Reply::Cancel};
    EXPECT_FALSE(form().close());
    const QString named = QStringLiteral("Warning|Scan : a.RTG is modified. Save changes?");
    expectMessages({kLiveQuestion, kSaveFailed, named, named});
    ASSERT_EQ(dialogs->saveRequests.size(), 2u);
    EXPECT_EQ(dialogs->saveRequests[0].types.size(), 1u); // the record file only
    EXPECT_FALSE(form().shutdownPosted());

    // Saved on the next try: the window closes.
    dialogs->saves = {SaveDialogChoice{path(QStringLiteral("kept")), 1}};
    answers = {ui::Reply::Yes};
    EXPECT_TRUE(form().close());
    expectMessages({named});
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("kept.RTG"))));
    EXPECT_TRUE(form().shutdownPosted());
}

TEST_F(FileFlows, LoadingRefusesWhatIsNotARecordAndAddsEachFileAsItsOwnEntry) {
    const auto write = [this](const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return path(name);
    };
    dialogs->openAnswer = {write(QStringLiteral("short.RTG"), "ZAV"),
                           write(QStringLiteral("other.RTG"), "ZAVA and more"),
                           path(QStringLiteral("missing.RTG"))};
    form().BitBtn5Click();
    ASSERT_EQ(messages.size(), 3);
    EXPECT_EQ(messages[0], QStringLiteral("Error|Wrong file format"));
    EXPECT_EQ(messages[1], QStringLiteral("Error|Wrong file format"));
    EXPECT_TRUE(messages[2].startsWith(QStringLiteral("Error|Cannot open")));
    messages.clear();
    EXPECT_EQ(form().lista->count(), 1);

    // The same file twice and another at once: three entries, the last one shown.
    const QString a = recordFile(QStringLiteral("a.RTG"), 4, 15);
    const QString b = recordFile(QStringLiteral("b.RTG"), 1, 3000);
    dialogs->openAnswer = {a, a, b};
    form().BitBtn5Click();
    expectMessages({});
    ASSERT_EQ(form().lista->count(), 4);
    EXPECT_EQ(form().lista->itemText(1), QStringLiteral("a.RTG: 0.2/1.5  [deg/sec]"));
    EXPECT_EQ(form().lista->itemText(2), QStringLiteral("a.RTG: 0.2/1.5  [deg/sec]"));
    EXPECT_EQ(form().lista->itemText(3), QStringLiteral("b.RTG: 0.05/300.0  [deg/sec]"));
    EXPECT_NE(form().entryRecord(1), form().entryRecord(2));
    EXPECT_EQ(form().displayedEntry, 3);
    EXPECT_EQ(form().displayedRecord(), form().entryRecord(3));
    EXPECT_EQ(form().comment->toPlainText(), QStringLiteral("from b.RTG"));
    EXPECT_TRUE(form().BitBtn2->isEnabled());
}

TEST_F(FileFlows, SavingALoadedRecordRenamesItsEntry) {
    const int entry = load(QStringLiteral("a.RTG"));
    form().comment->setPlainText(QStringLiteral("edited"));
    dialogs->saves.push_back(SaveDialogChoice{path(QStringLiteral("renamed")), 1});
    form().BitBtn4Click();
    expectMessages({});
    EXPECT_EQ(form().lista->itemText(entry), QStringLiteral("renamed.RTG: 0.2/1.5  [deg/sec]"));
    EXPECT_EQ(form().lista->currentIndex(), entry);
    EXPECT_FALSE(form().entryRecord(entry)->modified.load());
    EXPECT_EQ(dialogs->saveRequests.back().proposedName, path(QStringLiteral("a")));
}

TEST_F(FileFlows, ARecordSavedAgainKeepsItsOwnFileWhateverTheCaseOfItsExtension) {
    load(QStringLiteral("d.rtg"));
    form().comment->setPlainText(QStringLiteral("kV=25"));
    // What the dialog gives for the proposed name: the type's extension in capitals.
    dialogs->saves.push_back(SaveDialogChoice{path(QStringLiteral("d.RTG")), 1});
    form().BitBtn4Click();
    expectMessages({});
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("d.RTG"))));
    EXPECT_EQ(records::loadRecordFile(path(QStringLiteral("d.rtg"))).record->comment,
              QStringLiteral("kV=25"));
}

TEST_F(FileFlows, CloseAsksAboutAnEditedCommentAndShowsTheNeighbour) {
    load(QStringLiteral("a.RTG"));
    load(QStringLiteral("b.RTG"));
    const trecdata* first = form().entryRecord(1);
    showEntry(2);
    form().comment->setPlainText(QStringLiteral("edited"));
    answers = {ui::Reply::No};
    form().BitBtn2Click();
    expectMessages({QStringLiteral("Warning|Comment is modified. Proceed without saving?")});
    EXPECT_EQ(form().lista->count(), 3);

    answers = {ui::Reply::Yes};
    form().BitBtn2Click();
    messages.clear();
    // The last entry went: the one before it is shown.
    ASSERT_EQ(form().lista->count(), 2);
    EXPECT_EQ(form().displayedEntry, 1);
    EXPECT_EQ(form().displayedRecord(), first);
    // An unedited record closes without a question.
    form().BitBtn2Click();
    expectMessages({});
    EXPECT_EQ(form().lista->count(), 1);
    EXPECT_EQ(form().displayedRecord(), live());
    EXPECT_FALSE(form().BitBtn2->isEnabled());
}

TEST_F(FileFlows, ResetAsksBeforeItDiscardsAMeasuredScan) {
    measure();
    engine::TrsTestAccess::forgetRebuild(thread());
    form().sfrq->setEnabled(false);
    answers = {ui::Reply::No};
    form().BitBtn3Click();
    expectMessages({QStringLiteral("Warning|Current scan will be lost. Proceed without saving?")});
    EXPECT_FALSE(engine::TrsTestAccess::values(thread()).rebuildPending);
    EXPECT_TRUE(form().sfrq->isEnabled());

    form().sfrq->setEnabled(false);
    answers = {ui::Reply::Yes};
    form().BitBtn3Click();
    messages.clear();
    EXPECT_TRUE(engine::TrsTestAccess::values(thread()).rebuildPending);
    EXPECT_TRUE(form().sfrq->isEnabled());
}

// Qt's own save dialog: switching the type to text and back gives a bare name ".RTG".
TEST_F(FileFlows, TheSaveDialogGivesABareNameTheExtensionOfTheChosenType) {
    form().setFileDialogs(makeQtFileDialogs());
    measure();
    QStringList offered;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        offered = dialog->nameFilters();
        dialog->setDirectory(dir.path());
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(types, nullptr);
        for (const int type : {1, 0}) { // as the user picks them
            types->setCurrentIndex(type);
            emit types->activated(type);
            emit types->textActivated(types->itemText(type));
        }
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("bare"));
        static_cast<QDialog*>(dialog)->accept(); // as the Save button does
    });
    form().BitBtn4Click();
    expectMessages({});
    EXPECT_EQ(offered,
              (QStringList{QStringLiteral("ZAVO record file (*.RTG)"), QStringLiteral("Text file (*.txt)"),
                           QStringLiteral("Excel spreadsheet (*.xlsx)")}));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("bare.RTG"))));
    EXPECT_EQ(live()->fileName, path(QStringLiteral("bare.RTG")));
}

} // namespace

TEST_F(FileFlows, ScalarReadingsNeverSavedAreAskedAboutWhenClosing) {
    TForm13& scalarWindow = session.windows().scalar();
    const QString question = QStringLiteral("Warning|Scalar mode readings are not saved. Save changes?");
    const QString text = path(QStringLiteral("readings.txt"));
    std::deque<std::optional<scalar::SaveAnswer>> saveAnswers;
    const scalar::SaveDialog qtDialog = scalar::saveDialog();
    scalar::saveDialog() = [&](QWidget*, const QStringList&) {
        std::optional<scalar::SaveAnswer> answer;
        if (!saveAnswers.empty()) {
            answer = saveAnswers.front();
            saveAnswers.pop_front();
        }
        return answer;
    };
    struct Case {
        const char* name;
        int readings;
        bool savedBefore;               // saved with the window's own "Save" first
        std::deque<ui::Reply> answers;  // to the close query
        std::deque<bool> dialogAnswers; // the scalar save dialog: true writes the text file
        bool closes;
        int questions;
    };
    const Case cases[] = {
        {"no readings", 0, false, {}, {}, true, 0},
        {"No discards them", 14, false, {ui::Reply::No}, {}, true, 1},
        {"Cancel keeps the program", 14, false, {ui::Reply::Cancel}, {}, false, 1},
        {"Yes saves them", 14, false, {ui::Reply::Yes}, {true}, true, 1},
        {"a cancelled save asks again", 3, false, {ui::Reply::Yes, ui::Reply::No}, {false}, true, 2},
        {"saved readings are not asked about", 2, true, {}, {true}, true, 0},
    };
    for (const Case& test : cases) {
        scalarWindow.BitBtn3Click();
        QFile::remove(text);
        for (int i = 0; i < test.readings; ++i)
            scalarWindow.addResultRow(100.0 + i, 120);
        saveAnswers.clear();
        for (const bool writes : test.dialogAnswers)
            saveAnswers.push_back(writes ? std::optional<scalar::SaveAnswer>({text, 1}) : std::nullopt);
        if (test.savedBefore)
            scalarWindow.BitBtn4Click();
        answers = test.answers;
        messages.clear();
        EXPECT_EQ(form().FormCloseQuery(), test.closes) << test.name;
        EXPECT_EQ(messages.count(question), test.questions) << test.name;
        EXPECT_EQ(messages.size(), test.questions) << test.name;
        if (!test.dialogAnswers.empty() && test.dialogAnswers.front()) {
            EXPECT_TRUE(QFile::exists(text)) << test.name;
        }
    }
    scalar::saveDialog() = qtDialog;
}
