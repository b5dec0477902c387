// The record list's entry of a loaded record.
#include "records/entrylabel.h"
#include "records/trecdata.h"

#include <gtest/gtest.h>

TEST(EntryLabel, FileNameStepAndCountingTime) {
    struct Case {
        int step;
        int countingTime;
        const char* label;
    };
    const Case cases[] = {
        {1, 10, "scan.RTG: 0.05/1.0  [deg/sec]"},  {2, 15, "scan.RTG: 0.1/1.5  [deg/sec]"},
        {4, 100, "scan.RTG: 0.2/10.0  [deg/sec]"}, {10, 1, "scan.RTG: 0.5/0.1  [deg/sec]"},
        {3, 10, "scan.RTG: /1.0  [deg/sec]"}, // a step the list does not offer has no text
    };
    for (const Case& test : cases) {
        auto record = trecdata::Create(test.step, 200, 400, 0, test.countingTime);
        record->fileName = QStringLiteral("/home/lab/scans/scan.RTG");
        EXPECT_EQ(records::loadedEntryLabel(*record).toStdString(), test.label);
    }
}
