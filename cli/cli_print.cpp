// zavo-driver print FILE.RTG [MORE.RTG...] --pdf OUT.pdf [--portrait] [--no-comment] [--lines]
// [--settings rtg.ini] [--evaluate]: the printed page of a record as the main window shows it right
// after loading (unzoomed, the record's current region), written as a PDF without a display. Further
// records are laid over the first in the overlay colours, with a legend. The page names the
// evaluation's crystal and anode from the settings file's "evaluation" section, the record's comment
// words winning; with --evaluate it also carries the evaluation of the first record: the peaks
// labelled on the plot, the Duane-Hunt line and the results table under it.
#include "cli/cli_commands.h"

#include "analysis/evaluation.h"
#include "engine/evalprofile.h"
#include "engine/profilefile.h"
#include "mainwindow/plot/pageinfo.h"
#include "mainwindow/plot/printpage.h"
#include "mainwindow/plot/resulttable.h"
#include "records/fileflows.h"

#include <QDateTime>
#include <QGuiApplication>

#include <memory>
#include <vector>

namespace cli {

namespace {

struct PrintOptions {
    QStringList records;
    QString pdf;
    bool landscape = true;
    bool printComment = true;
    bool pointMode = true; // the plot starts in point mode
    QString settings;      // rtg.ini; empty: the user's
    bool evaluate = false;
};

bool parsePrintOptions(const QStringList& args, PrintOptions& options, Io& io) {
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& word = args[i];
        if (word == QLatin1String("--pdf") && i + 1 < args.size()) {
            options.pdf = args[++i];
        } else if (word == QLatin1String("--portrait")) {
            options.landscape = false;
        } else if (word == QLatin1String("--no-comment")) {
            options.printComment = false;
        } else if (word == QLatin1String("--lines")) {
            options.pointMode = false;
        } else if (word == QLatin1String("--evaluate")) {
            options.evaluate = true;
        } else if (word == QLatin1String("--settings") && i + 1 < args.size()) {
            options.settings = args[++i];
        } else if (!word.startsWith(QLatin1Char('-'))) {
            options.records.append(word);
        } else {
            io.err << "print: unexpected argument \"" << word << "\"\n";
            return false;
        }
    }
    if (options.records.isEmpty() || options.pdf.isEmpty()) {
        io.err << "usage: zavo-driver print FILE.RTG [MORE.RTG...] --pdf OUT.pdf [--portrait] [--no-comment] "
                  "[--lines] [--settings rtg.ini] [--evaluate]\n";
        return false;
    }
    return true;
}

// Fonts need a GUI application; the command makes one on the offscreen platform, so it runs
// without a display. Null when one exists already.
std::unique_ptr<QGuiApplication> offscreenApplication() {
    if (QCoreApplication::instance()) {
        return nullptr;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "zavo-driver";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace

int runPrint(const QStringList& args, Io& io) {
    PrintOptions options;
    if (!parsePrintOptions(args, options, io)) {
        return kExitFailure;
    }
    std::vector<std::unique_ptr<trecdata>> loaded;
    for (const QString& path : options.records) {
        loaded.push_back(loadRecordForCommand(path, io));
        if (!loaded.back()) {
            return kExitFailure;
        }
    }
    trecdata* record = loaded.front().get();
    const auto app = offscreenApplication();
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        io.err << "print: needs a GUI application for its fonts\n";
        return kExitFailure;
    }
    // Showing a record selects its current region and, in automatic range, that region's full scale.
    record->ShowRegion(record->currentRegion);
    printing::PrintView view = printing::unzoomedView();
    view.pointMode = options.pointMode;
    for (std::size_t i = 1; i < loaded.size(); ++i) {
        loaded[i]->ShowRegion(loaded[i]->currentRegion);
        view.overlays.push_back({loaded[i].get(), records::recordListLabel(*loaded[i])});
    }
    printing::PageText text;
    text.title = records::recordListLabel(*record);
    if (options.printComment) {
        text.comment = printing::commentLines(record->comment);
    }
    const engine::ProfileFile settings(options.settings.isEmpty() ? engine::ProfileFile::defaultPath()
                                                                  : options.settings);
    const analysis::EvalOptions defaults = engine::loadEvalOptions(settings);
    analysis::EvalOptions evaluation = analysis::applyComment(defaults, record->comment);
    if (options.evaluate) {
        const analysis::SpectrumResult result = analysis::analyseSpectrum(*record, defaults);
        if (result.error.isEmpty()) {
            evaluation = result.options;
            text.marks = plot::evalMarks(result);
        }
        text.table = plot::tableLines(plot::resultTable(result));
    }
    text.info = printing::pageInfoLines(*record, evaluation, QDateTime::currentDateTime());
    text.fillPaper = true;
    QString error;
    if (!printing::writePdf(options.pdf, options.landscape, *record, view, text, &error)) {
        io.err << error << '\n';
        return kExitFailure;
    }
    io.out << "Wrote " << options.pdf << '\n';
    return kExitOk;
}

} // namespace cli
