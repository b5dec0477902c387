// The command line of zavo-driver on record files written byte by byte.
#include "cli/cli.h"
#include "tests/records/workbookreader.h"
#include "tests/support/handmade.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Outcome {
    int status;
    QString out;
    QString err;
};

Outcome runCli(const QStringList& args) {
    Outcome outcome;
    QTextStream out(&outcome.out);
    QTextStream err(&outcome.err);
    cli::Io io{out, err};
    outcome.status = cli::run(args, io);
    out.flush();
    err.flush();
    return outcome;
}

class CommandLine : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    QString write(const QString& name, const QByteArray& bytes) const {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return path(name);
    }
    QByteArray read(const QString& name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

handmade::Record sample() {
    handmade::Record hand;
    hand.regions = {{210, 260}, {-40, 390}};
    hand.currentRegion = 1;
    hand.rangeMode = 0;
    hand.cells = {{0, handmade::k20}, {1, handmade::k20}, {10, handmade::k3_25}, {11, handmade::k3_25}};
    hand.comment = "Cu \xe9 \"quoted\"";
    hand.offsetEnabled = 0;
    return hand;
}

} // namespace

TEST_F(CommandLine, InfoPrintsEveryFieldAsJson) {
    const Outcome result =
        runCli({QStringLiteral("info"), write(QStringLiteral("a.RTG"), handmade::file(sample()))});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(result.out.toUtf8(), &parseError);
    ASSERT_EQ(parseError.error, QJsonParseError::NoError) << result.out.toStdString();
    const QJsonObject info = document.object();
    EXPECT_EQ(info.size(), 19);
    EXPECT_EQ(info[QStringLiteral("regionCount")].toInt(), 2);
    EXPECT_EQ(info[QStringLiteral("currentRegion")].toInt(), 1);
    const QJsonArray regions = info[QStringLiteral("regions")].toArray();
    ASSERT_EQ(regions.size(), 2);
    EXPECT_EQ(regions[1].toArray(), (QJsonArray{-40, 390}));
    EXPECT_EQ(info[QStringLiteral("startAngle")].toInt(), 200);
    EXPECT_EQ(info[QStringLiteral("endAngle")].toInt(), 400);
    EXPECT_EQ(info[QStringLiteral("angleOffset")].toInt(), 10);
    EXPECT_EQ(info[QStringLiteral("offsetEnabled")], QJsonValue(false));
    EXPECT_EQ(info[QStringLiteral("angularStep")].toInt(), 2);
    EXPECT_EQ(info[QStringLiteral("countingTime")].toInt(), 15);
    EXPECT_EQ(info[QStringLiteral("detectorHv")].toDouble(), 650.0);
    EXPECT_EQ(info[QStringLiteral("tubeCurrent")].toDouble(), 50.0);
    EXPECT_EQ(info[QStringLiteral("rangeMode")].toInt(), 0);
    EXPECT_EQ(info[QStringLiteral("rangeIndex")].toInt(), 0); // highest value 20 cps
    EXPECT_EQ(info[QStringLiteral("radiator")].toInt(), 7);
    EXPECT_EQ(info[QStringLiteral("filter")].toInt(), 2);
    EXPECT_EQ(info[QStringLiteral("detectorPosition")].toInt(), 3);
    EXPECT_EQ(info[QStringLiteral("filterThickness")].toDouble(), 1.5);
    EXPECT_EQ(info[QStringLiteral("comment")].toString(), QStringLiteral("Cu \u00e9 \"quoted\""));
    EXPECT_EQ(info[QStringLiteral("validCells")].toInt(), 4);
}

TEST_F(CommandLine, InfoRefusesWhatIsNotARecord) {
    Outcome result = runCli({QStringLiteral("info"), write(QStringLiteral("x.RTG"), "not a record at all")});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, path(QStringLiteral("x.RTG")) + QStringLiteral(": Wrong file format\n"));
    EXPECT_TRUE(result.out.isEmpty());

    handmade::Record damaged = sample();
    damaged.commentLength = -3;
    result = runCli({QStringLiteral("info"), write(QStringLiteral("d.RTG"), handmade::file(damaged))});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, path(QStringLiteral("d.RTG")) + QStringLiteral(": Wrong file format\n"));

    result = runCli({QStringLiteral("info"), path(QStringLiteral("missing.RTG"))});
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(result.err.contains(QStringLiteral("missing.RTG")));
    EXPECT_TRUE(result.err.contains(QStringLiteral("Cannot open")));

    result = runCli({QStringLiteral("info")});
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(result.err.startsWith(QStringLiteral("usage: zavo-driver info FILE.RTG")));
}

TEST_F(CommandLine, ExportText) {
    const QString source = write(QStringLiteral("a.RTG"), handmade::file(sample()));
    const Outcome result = runCli({QStringLiteral("export-text"), source, path(QStringLiteral("a.txt"))});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    // Step 2, offset not applied: cells 0 and 10 are at multiples of the step (10.00 and 10.50 degrees).
    const QByteArray text = read(QStringLiteral("a.txt"));
    const QByteArray point = QLocale().decimalPoint() == QStringLiteral(",") ? "," : ".";
    EXPECT_EQ(text, "angle [deg]\tcounting rate [cps]\r\n10" + point + "00\t20" + point + "00\r\n10" + point +
                        "50\t3" + point + "25\r\n");

    Outcome failed =
        runCli({QStringLiteral("export-text"), source, path(QStringLiteral("no/such/folder.txt"))});
    EXPECT_EQ(failed.status, 2);
    EXPECT_FALSE(failed.err.isEmpty());
    failed = runCli(
        {QStringLiteral("export-text"), path(QStringLiteral("missing.RTG")), path(QStringLiteral("b.txt"))});
    EXPECT_EQ(failed.status, 2);
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("b.txt"))));
    failed = runCli({QStringLiteral("export-text"), source});
    EXPECT_EQ(failed.status, 2);
}

TEST_F(CommandLine, ExportXlsxWritesTheWorkbookOfTheTextExport) {
    const QString source = write(QStringLiteral("a.RTG"), handmade::file(sample()));
    const Outcome result = runCli({QStringLiteral("export-xlsx"), source, path(QStringLiteral("a.xlsx"))});
    ASSERT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.contains(path(QStringLiteral("a.xlsx"))));
    const std::optional<workbook::Sheet> sheet = workbook::readFirstSheet(path(QStringLiteral("a.xlsx")));
    ASSERT_TRUE(sheet);
    // The same two points as the text export: 10.00 degrees at 20 cps, 10.50 at 3.25.
    EXPECT_EQ(sheet->cells.at({1, 1}).value, QStringLiteral("Angle [deg]"));
    EXPECT_EQ(sheet->cells.at({1, 2}).value, QStringLiteral("counting rate [cps]"));
    EXPECT_EQ(sheet->lastRow(), 3);
    EXPECT_EQ(sheet->cells.at({2, 1}).value, QStringLiteral("10"));
    EXPECT_EQ(sheet->cells.at({2, 2}).value, QStringLiteral("20"));
    EXPECT_EQ(sheet->cells.at({3, 1}).value, QStringLiteral("10.5"));
    EXPECT_EQ(sheet->cells.at({3, 2}).value, QStringLiteral("3.25"));

    // Errors exit 2 with a message and write nothing.
    Outcome failed =
        runCli({QStringLiteral("export-xlsx"), source, path(QStringLiteral("no/such/folder.xlsx"))});
    EXPECT_EQ(failed.status, 2);
    EXPECT_TRUE(failed.err.contains(QStringLiteral("no/such/folder.xlsx")));
    failed = runCli({QStringLiteral("export-xlsx"), write(QStringLiteral("x.RTG"), "ZAV"),
                     path(QStringLiteral("b.xlsx"))});
    EXPECT_EQ(failed.status, 2);
    EXPECT_EQ(failed.err, path(QStringLiteral("x.RTG")) + QStringLiteral(": Wrong file format\n"));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("b.xlsx"))));
    failed = runCli({QStringLiteral("export-xlsx"), source});
    EXPECT_EQ(failed.status, 2);
    EXPECT_TRUE(failed.err.startsWith(QStringLiteral("usage: zavo-driver export-xlsx FILE.RTG OUT.xlsx")));
}

TEST_F(CommandLine, HelpAndUnknownCommands) {
    Outcome result = runCli({QStringLiteral("--help")});
    EXPECT_EQ(result.status, 0);
    for (const cli::Command& command : cli::commands()) {
        EXPECT_TRUE(result.out.contains(QLatin1String(command.name))) << command.name;
    }
    EXPECT_TRUE(result.out.contains(QStringLiteral("export-text")));

    // The help is the manual page's source: device options, scan options, environment and access.
    for (const char* word : {"--simulate", "--port PATH", "--device NAME", "--version", "--roi FROM:TO",
                             "--out FILE.RTG", "ZAVO_PORT", "rtg.ini", "safety.rtg", "dialout"})
        EXPECT_TRUE(result.out.contains(QLatin1String(word))) << word;

    // The evaluating commands explain their options themselves.
    for (const char* command : {"analyse", "export-csv"}) {
        result = runCli({QLatin1String(command), QStringLiteral("--help")});
        EXPECT_EQ(result.status, 0) << command;
        EXPECT_TRUE(result.out.contains(QStringLiteral("--crystal NAME"))) << command;
    }

    result = runCli({QStringLiteral("--version")});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^zavo-driver \\d+\\.\\d+\n$")).match(result.out).hasMatch())
        << result.out.toStdString();

    result = runCli({QStringLiteral("frobnicate")});
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(result.err.contains(QStringLiteral("frobnicate")));
    EXPECT_TRUE(result.err.contains(QStringLiteral("info FILE.RTG")));
}

TEST(CommandLineWords, WhichArgumentsTheCommandLineTakes) {
    const auto takes = [](std::vector<const char*> words) {
        std::vector<char*> argv;
        for (const char* word : words) {
            argv.push_back(const_cast<char*>(word));
        }
        return cli::isCommandLine(static_cast<int>(argv.size()), argv.data());
    };
    EXPECT_FALSE(takes({"zavo-driver"}));
    EXPECT_TRUE(takes({"zavo-driver", "info", "a.RTG"}));
    EXPECT_TRUE(takes({"zavo-driver", "--help"}));
    EXPECT_TRUE(takes({"zavo-driver", "--version"}));
    EXPECT_TRUE(takes({"zavo-driver", "nonsense"}));
    EXPECT_FALSE(takes({"zavo-driver", "--simulate"}));
}

// The real program, started without any display.
TEST_F(CommandLine, TheProgramRunsHeadless) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
    const auto run = [&](const QStringList& args) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(ZAVO_DRIVER_PATH), args);
        EXPECT_TRUE(process.waitForFinished(60000));
        return Outcome{process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                       QString::fromUtf8(process.readAllStandardOutput()),
                       QString::fromUtf8(process.readAllStandardError())};
    };
    const QString source = write(QStringLiteral("a.RTG"), handmade::file(sample()));

    Outcome result = run({QStringLiteral("info"), source});
    EXPECT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(result.out.toUtf8()).object()[QStringLiteral("validCells")].toInt(), 4);

    result = run({QStringLiteral("export-text"), source, path(QStringLiteral("de.txt"))});
    EXPECT_EQ(result.status, 0) << result.err.toStdString();
    EXPECT_TRUE(read(QStringLiteral("de.txt")).endsWith("10,00\t20,00\r\n10,50\t3,25\r\n"));

    result = run({QStringLiteral("export-xlsx"), source, path(QStringLiteral("de.xlsx"))});
    EXPECT_EQ(result.status, 0) << result.err.toStdString();
    const std::optional<workbook::Sheet> sheet = workbook::readFirstSheet(path(QStringLiteral("de.xlsx")));
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->cells.at({3, 1}).value, QStringLiteral("10.5"));

    result = run({QStringLiteral("info"), write(QStringLiteral("bad.RTG"), "ZAV")});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err.trimmed(), path(QStringLiteral("bad.RTG")) + QStringLiteral(": Wrong file format"));

    result = run({QStringLiteral("bogus")});
    EXPECT_EQ(result.status, 2);
    result = run({QStringLiteral("--help")});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.out.contains(QStringLiteral("info")));
}
