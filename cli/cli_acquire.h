// A scan on the apparatus from the command line, shared by `scan` and `demo`: the acquisition
// thread runs as in the program, and this thread posts the requests the windows would post and
// serves the thread's calls while it waits.
#pragma once

#include "cli/cli.h"

#include "engine/headlessdriver.h"

#include <QString>

#include <functional>

#include <optional>
#include <utility>
#include <vector>

class trecdata;

namespace cli {

inline constexpr int kExitNoApparatus = 3;
inline constexpr int kExitLinkLost = 4;
// The scan ended before its end (the apparatus stopped, halted or went idle) or with steps
// missing; what was measured is saved.
inline constexpr int kExitIncomplete = 5;
inline constexpr int kExitInterrupted = 130;
// What the scan uses when no HV is given: the middle of a Geiger counter's plateau.
inline constexpr int kDefaultHvVolts = 500;
inline constexpr int kMaxRegions = 5;

struct AcquisitionOptions {
    engine::ScanPlan plan;
    QString outPath;         // the record file
    QString textPath;        // the text export; empty: none
    double sleepScale = 1.0; // the thread's pauses (a faster simulated apparatus runs faster)
    int connectTimeoutMs = 10000;
    QString settingsPath; // rtg.ini; empty: the user's configuration folder
    QString safetyCopyDir;
    QString portPath; // the port named with --port; empty: found by its description
    // Called on this thread after every update the acquisition thread posts during the scan.
    std::function<void(engine::TRS&)> observer;
};

struct AcquisitionResult {
    int exitCode = kExitOk;
    int validCells = 0;
    std::vector<std::pair<double, double>> points; // exported points (degrees, cps)
};

// Runs the scan on the provider already installed in the USB access layer: waits for the
// apparatus, sets counting time, step and HV, switches HV on, scans, saves the record (and the
// text), switches HV off and ends the link with the shutdown sequence. Ctrl+C stops the scan and
// saves what was measured.
AcquisitionResult runAcquisition(const AcquisitionOptions& options, Io& io);

// The scan command's arguments: the plan and files into `options`, the device options (with a
// program name first) into `deviceArgs`. False after a message.
bool parseScanArguments(const QStringList& args, AcquisitionOptions* options, QStringList* deviceArgs,
                        Io& io);

// Parsing helpers. Each returns false and writes a message to io.err on bad input.
bool parseRegion(const QString& text, std::pair<int, int>* region, Io& io);
bool parseStep(const QString& text, int* units, Io& io);
bool parseCountingTime(const QString& text, int* tenths, Io& io);
bool parseHv(const QString& text, int* volts, Io& io);

// Whether a file can be written at `path`; an existing file is opened for appending and left as it
// is, a new one is created and removed again. False with the reason in *error.
bool canWrite(const QString& path, QString* error);

// Degrees to angle units (0.05 degree), to nearest with ties to even.
int degreesToUnits(double degrees);

} // namespace cli
