// The analyse and export-csv commands on record files made here: their table, their refusals, the
// CSV read back by Python's csv module as pandas would read it, and where the options come from
// (rtg.ini, then the record's comment, then the command line).
#include "cli/cli.h"

#include "records/recordfile.h"
#include "records/trecdata.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Outcome {
    int status;
    QString out, err;
};

Outcome runCli(const QStringList& args) {
    Outcome outcome;
    QTextStream out(&outcome.out), err(&outcome.err);
    cli::Io io{out, err};
    outcome.status = cli::run(args, io);
    out.flush();
    err.flush();
    return outcome;
}

// Copper Kα on rock salt (31.73 degrees) on a background of 50 cps, one second a point, or a flat
// record; `heightCps` 0 gives the flat one.
QString recordFile(const QTemporaryDir& dir, const QString& name, double heightCps,
                   const QString& comment = {}) {
    auto record = trecdata::Create(1, 600, 680, 0, 10);
    for (int i = 0; i <= 80; ++i) {
        const double u = ((600 + i) / 20.0 - 31.73) / (0.25 / 2.3548);
        record->SetPoint(i, 50 + heightCps * std::exp(-0.5 * u * u));
    }
    record->SetComment(comment);
    const QString path = dir.filePath(name);
    EXPECT_TRUE(records::saveRecordFile(*record, path));
    return path;
}

class Evaluate : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
    }
    void TearDown() override { qunsetenv("XDG_CONFIG_HOME"); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(Evaluate, AnswersAndRefusals) {
    const QString peak = recordFile(dir, "peak.rtg", 1000);
    const QString flat = recordFile(dir, "flat.rtg", 0);
    const QString bright = recordFile(dir, "bright.rtg", 20000);
    struct Case {
        QStringList args;
        int status;
        QString text; // in the output (status 0) or the error (status 2)
    };
    const Case cases[] = {
        {{"analyse", peak}, 0, "Kα n=1"},
        {{"analyse", peak}, 0, "Lattice spacing from the named lines: d = "},
        {{"analyse", flat}, 0, "Note: no peak found"},
        {{"analyse", flat}, 0, "Duane-Hunt limit: no edge above the background"},
        {{"analyse", dir.filePath("missing.rtg")}, 2, ""},
        {{"analyse", peak, "--d", "-3"}, 2, "--d must be a positive lattice spacing in pm"},
        {{"analyse", peak, "--d", "0"}, 2, "--d must be a positive lattice spacing in pm"},
        {{"analyse", peak, "--anode", "Xx"}, 2, "unknown anode element \"Xx\""},
        {{"analyse", peak, "--crystal", "quartz"}, 2, "unknown crystal"},
        {{"analyse", peak, "--crystal", "LiF", "--d", "300"}, 2, "either --crystal or --d"},
        {{"analyse", peak, "--from", "5"}, 2, "--from and --to go together"},
        {{"analyse", peak, "--orders", "11"}, 2, "--orders must be a whole number from 1 to 10"},
        {{"analyse", bright, "--dead-time", "100"}, 2, "1 − Rτ is not positive"},
        {{"analyse"}, 2, "expected 1 file name"},
        {{"export-csv", peak}, 2, "expected 2 file names"},
    };
    for (const Case& c : cases) {
        const Outcome o = runCli(c.args);
        EXPECT_EQ(o.status, c.status) << c.args.join(' ').toStdString() << "\n" << o.err.toStdString();
        EXPECT_TRUE((c.status == 0 ? o.out : o.err).contains(c.text))
            << c.args.join(' ').toStdString() << "\n"
            << o.out.toStdString() << o.err.toStdString();
    }
}

TEST_F(Evaluate, OptionsFromTheSettingsThenTheCommentThenTheCommandLine) {
    QDir().mkpath(dir.filePath("config/zavo-driver"));
    QFile ini(dir.filePath("config/zavo-driver/rtg.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[evaluation]\r\ncrystal=1\r\nanode=42\r\nkV=30\r\norders=2\r\n");
    ini.close();
    const QString plain = recordFile(dir, "plain.rtg", 1000);
    const QString commented = recordFile(dir, "commented.rtg", 1000, "Iron tube\ncrystal=KBr anode=Fe kV=20");
    const auto options = [](const QStringList& args) {
        const Outcome o = runCli(QStringList{"analyse", "--json"} + args);
        EXPECT_EQ(o.status, 0) << o.err.toStdString();
        return QJsonDocument::fromJson(o.out.toUtf8()).object()["options"].toObject();
    };
    QJsonObject o = options({plain});
    EXPECT_EQ(o["crystal"].toString(), "LiF");
    EXPECT_EQ(o["anode"].toString(), "Mo");
    EXPECT_EQ(o["tubeKv"].toDouble(), 30);
    EXPECT_EQ(o["orders"].toInt(), 2);
    o = options({commented});
    EXPECT_EQ(o["crystal"].toString(), "KBr");
    EXPECT_EQ(o["anode"].toString(), "Fe");
    EXPECT_EQ(o["tubeKv"].toDouble(), 20);
    o = options({commented, "--anode", "Cu", "--d", "282.5"});
    EXPECT_EQ(o["anode"].toString(), "Cu");
    EXPECT_EQ(o["crystal"].toString(), "custom");
    EXPECT_EQ(o["dPm"].toDouble(), 282.5);
    EXPECT_EQ(o["tubeKv"].toDouble(), 20);
}

TEST_F(Evaluate, CsvReadsBackWithItsHeaderAndColumns) {
    const QString csv = dir.filePath("peak.csv");
    const Outcome o = runCli({"export-csv", recordFile(dir, "peak.rtg", 1000, "Cu \u00e9 tube"), csv});
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
    QFile file(csv);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains("# comment: Cu \u00e9 tube\n"));
    EXPECT_TRUE(text.contains("# crystal: NaCl\n"));
    const QString python = QStandardPaths::findExecutable("python3");
    if (python.isEmpty())
        GTEST_SKIP() << "python3 is not installed";
    // What pandas.read_csv(path, comment='#') does: lines from '#' on are skipped, then the columns.
    QProcess process;
    process.start(
        python,
        {"-c",
         "import csv,sys\n"
         "rows=list(csv.DictReader(l for l in open(sys.argv[1],encoding='utf-8') if not l.startswith('#')))\n"
         "r=max(rows,key=lambda r:float(r['rate_cps']))\n"
         "print(len(rows),r['angle_deg'],r['rate_sigma_cps'],r['wavelength_pm'],r['energy_keV'])",
         csv});
    ASSERT_TRUE(process.waitForFinished(30000));
    const QStringList fields = QString::fromUtf8(process.readAllStandardOutput()).split(' ');
    ASSERT_EQ(fields.size(), 5) << process.readAllStandardError().toStdString();
    EXPECT_EQ(fields[0].toInt(), 81);
    EXPECT_EQ(fields[1], "31.75"); // the highest point, next to 31.73
    const double u = (31.75 - 31.73) / (0.25 / 2.3548);
    EXPECT_NEAR(fields[2].toDouble(), std::sqrt(50 + 1000 * std::exp(-0.5 * u * u)), 0.01); // √(R/t), t = 1 s
    EXPECT_NEAR(fields[3].toDouble(), 2 * 282.01 * std::sin(31.75 / 2 * M_PI / 180), 0.001);
    EXPECT_NEAR(fields[4].toDouble(), 1239.842 / fields[3].toDouble(), 0.0001);
}
