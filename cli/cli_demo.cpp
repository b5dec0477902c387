// zavo-driver demo: a short scan on the simulated apparatus, run faster than real time, saved as
// demo.rtg and demo.txt, with a small plot of the spectrum on the terminal.
//
// The simulator's headers come first: its firmware has a member named like Qt's `emit` macro.
#include "simulator/simoptions.h"
#include "simulator/simprovider.h"

#include "cli/cli_acquire.h"
#include "cli/cli_commands.h"
#include "cli/textplot.h"

#include "device/d2xxunit.h"

#include <QDir>
#include <QFileInfo>

namespace cli {
namespace {

// The Kβ and Kα lines of the copper tube on the rock-salt crystal lie at 28.6 and 31.7 degrees.
constexpr double kDemoFrom = 25.0;
constexpr double kDemoTo = 35.0;
constexpr double kDemoTimeScale = 10.0;

} // namespace

int runDemo(const QStringList& args, Io& io) {
    QString outDir = QStringLiteral("zavo-demo");
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--out-dir") && i + 1 < args.size()) {
            outDir = args[++i];
        } else if (args[i].startsWith(QLatin1String("--out-dir=")) && args[i].size() > 10) {
            outDir = args[i].mid(10);
        } else {
            io.err << "usage: zavo-driver demo [--out-dir DIR]\n";
            return kExitFailure;
        }
    }
    if (!QDir().mkpath(outDir)) {
        io.err << "zavo-driver: cannot create the folder " << outDir << '\n';
        return kExitFailure;
    }
    const QDir dir(outDir);

    // The simulated apparatus with the options of ZAVO_SIM, ten times faster than real time.
    const sim::ParsedOptions parsed = sim::environmentOptions();
    if (!parsed.ok()) {
        io.err << "zavo-driver: ZAVO_SIM: " << QString::fromStdString(parsed.error) << '\n';
        return kExitFailure;
    }
    sim::ApparatusOptions apparatus = parsed.options.apparatus;
    apparatus.timeScale = std::max(apparatus.timeScale, kDemoTimeScale);
    D2XXUnit::setProvider(sim::makeSimProvider(apparatus));

    AcquisitionOptions options;
    options.plan.regions = {{degreesToUnits(kDemoFrom), degreesToUnits(kDemoTo)}};
    options.plan.angularStep = 2; // 0.1 degree
    options.plan.countingTime = 1;
    options.plan.hvVolts = kDefaultHvVolts;
    options.outPath = dir.filePath(QStringLiteral("demo.rtg"));
    options.textPath = dir.filePath(QStringLiteral("demo.txt"));
    options.sleepScale = 1.0 / apparatus.timeScale;
    options.safetyCopyDir = dir.path();
    io.out << "Demo: a scan from " << kDemoFrom << " to " << kDemoTo
           << " degrees on the simulated apparatus (copper tube, rock-salt crystal)\n";
    const AcquisitionResult result = runAcquisition(options, io);
    D2XXUnit::setProvider(nullptr);
    if (result.exitCode != kExitOk)
        return result.exitCode;
    io.out << '\n'
           << textPlot(result.points, 64, 12) << '\n'
           << "The record:      " << QFileInfo(options.outPath).absoluteFilePath() << '\n'
           << "The text export: " << QFileInfo(options.textPath).absoluteFilePath() << '\n';
    return kExitOk;
}

} // namespace cli
