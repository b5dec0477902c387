// Rules of the record file flows: the save dialog's types, list labels, questions and the order of
// the questions when the program closes.
#include "records/fileflows.h"
#include "records/recordfile.h"
#include "records/textexport.h"
#include "records/workbookexport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

using records::Answer;
using records::SaveOutcome;

namespace {

QStringList filters(double version, bool recordOnly) {
    QStringList out;
    for (const records::FileType& type : records::saveFileTypes(version, recordOnly))
        out << records::dialogFilter(type) + QLatin1Char('=') + records::defaultExtension(type);
    return out;
}

} // namespace

TEST(FileFlowRules, SaveDialogTypesFollowTheWorkbookVersion) {
    const QString record = QStringLiteral("ZAVO record file (*.RTG)=RTG");
    const QString text = QStringLiteral("Text file (*.txt)=TXT");
    EXPECT_EQ(filters(12, true), QStringList{record});
    EXPECT_EQ(filters(-1, false), (QStringList{record, text}));
    EXPECT_EQ(filters(11, false),
              (QStringList{record, text, QStringLiteral("Excel spreadsheet (*.xls)=XLS")}));
    EXPECT_EQ(filters(12, false),
              (QStringList{record, text, QStringLiteral("Excel spreadsheet (*.xlsx)=XLSX")}));
    EXPECT_EQ(records::dialogFilter(records::recordOpenType()),
              QStringLiteral("ZAVO scan record file (*.RTG)"));
}

TEST(FileFlowRules, ListLabelOfALoadedRecord) {
    auto record = trecdata::Create(4, 200, 400, 0, 15);
    record->fileName = QStringLiteral("/home/u/scans/NaCl 1.RTG");
    EXPECT_EQ(records::recordListLabel(*record), QStringLiteral("NaCl 1.RTG: 0.2/1.5  [deg/sec]"));
    record->angularStep = 1;
    record->countingTime = 3000;
    EXPECT_EQ(records::recordListLabel(*record), QStringLiteral("NaCl 1.RTG: 0.05/300.0  [deg/sec]"));
    record->angularStep = 3; // a step the apparatus does not use shows no step
    EXPECT_EQ(records::recordListLabel(*record), QStringLiteral("NaCl 1.RTG: /300.0  [deg/sec]"));
}

TEST(FileFlowRules, TheCloseQuestionNamesARecordByItsFile) {
    auto record = trecdata::Create(1, 0, 10, 0, 10);
    EXPECT_EQ(records::saveChangesQuestion(*record),
              QStringLiteral("Current live scan is modified. Save changes?"));
    record->fileName = QStringLiteral("/tmp/a/scan.RTG");
    EXPECT_EQ(records::saveChangesQuestion(*record),
              QStringLiteral("Scan : scan.RTG is modified. Save changes?"));
}

namespace {

// Three records, the first and the last two modified; scripted answers and save outcomes.
struct CloseScript {
    std::vector<std::unique_ptr<trecdata>> owned;
    std::vector<trecdata*> list;
    std::vector<Answer> answers;
    std::vector<SaveOutcome> outcomes;
    QStringList asked;
    int saves = 0;
    int failures = 0;

    CloseScript() {
        for (int i = 0; i < 4; ++i) {
            owned.push_back(trecdata::Create(1, 0, 10, 0, 10));
            owned.back()->fileName = i == 0 ? QString() : QStringLiteral("s%1.RTG").arg(i);
            owned.back()->modified = i != 1;
            list.push_back(owned.back().get());
        }
        list.push_back(nullptr);
    }
    bool run() {
        records::ClosePrompts prompts;
        prompts.ask = [this](const QString& question) {
            asked << question;
            return answers.at(static_cast<std::size_t>(asked.size() - 1));
        };
        prompts.save = [this](trecdata& record) {
            const SaveOutcome outcome = outcomes.at(static_cast<std::size_t>(saves++));
            if (outcome == SaveOutcome::Saved)
                record.modified = false;
            return outcome;
        };
        prompts.reportSaveFailure = [this] { ++failures; };
        return records::confirmClose(
            static_cast<int>(list.size()),
            [this](int entry) { return list[static_cast<std::size_t>(entry)]; }, prompts);
    }
};

} // namespace

TEST(CloseQuery, NoToTheFirstStillAsksAboutTheOthers) {
    CloseScript script;
    script.answers = {Answer::No, Answer::No, Answer::No};
    EXPECT_TRUE(script.run());
    EXPECT_EQ(script.asked, (QStringList{QStringLiteral("Current live scan is modified. Save changes?"),
                                         QStringLiteral("Scan : s2.RTG is modified. Save changes?"),
                                         QStringLiteral("Scan : s3.RTG is modified. Save changes?")}));
    EXPECT_EQ(script.saves, 0);
}

TEST(CloseQuery, CancelRefusesClosingAndAsksNoMore) {
    CloseScript script;
    script.answers = {Answer::Yes, Answer::Cancel};
    script.outcomes = {SaveOutcome::Saved};
    EXPECT_FALSE(script.run());
    EXPECT_EQ(script.asked.size(), 2);
    EXPECT_FALSE(script.owned[0]->modified);
}

TEST(CloseQuery, AFailedOrCancelledSaveAsksAgain) {
    CloseScript script;
    // First record: the save fails, then its dialog is cancelled, then it is saved.
    // Second: the save fails, then the user gives it up. Third: No.
    script.answers = {Answer::Yes, Answer::Yes, Answer::Yes, Answer::Yes, Answer::No, Answer::No};
    script.outcomes = {SaveOutcome::Failed, SaveOutcome::Cancelled, SaveOutcome::Saved, SaveOutcome::Failed};
    EXPECT_TRUE(script.run());
    EXPECT_EQ(script.failures, 2); // a cancelled dialog shows nothing
    EXPECT_EQ(script.asked.size(), 6);
    EXPECT_EQ(script.asked[3], QStringLiteral("Scan : s2.RTG is modified. Save changes?"));
    EXPECT_EQ(script.asked[4], QStringLiteral("Scan : s2.RTG is modified. Save changes?"));
    EXPECT_FALSE(script.owned[0]->modified);
    EXPECT_TRUE(script.owned[2]->modified);
}

TEST(FileFlowRules, EveryFormRefusesAReadOnlyFileAndLeavesItAsItWas) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto record = trecdata::Create(4, 200, 400, 0, 15);
    record->SetPoint(0, 50.0);
    struct Case {
        const char* form; // the file's name
        std::function<bool(const QString& path)> write;
    };
    const Case cases[] = {
        {"scan.RTG", [&](const QString& path) { return records::saveRecordFile(*record, path); }},
        {"scan.txt", [&](const QString& path) { return records::exportText(*record, path); }},
        {"scan.xlsx", [&](const QString& path) { return records::exportSpreadsheet(*record, path); }},
    };
    for (const Case& test : cases) {
        const QString path = dir.filePath(QLatin1String(test.form));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("kept");
        file.close();
        ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        EXPECT_FALSE(test.write(path)) << test.form;
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray("kept")) << test.form;
        file.close();
        // Writable again, it is replaced.
        ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        EXPECT_TRUE(test.write(path)) << test.form;
    }
}
