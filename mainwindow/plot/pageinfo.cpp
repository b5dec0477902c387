#include "mainwindow/plot/pageinfo.h"

#include "analysis/xraydata.h"
#include "mainwindow/plot/plotgeometry.h"
#include "records/selections.h"
#include "records/trecdata.h"

#include <QFileInfo>

namespace printing {

QStringList pageInfoLines(const trecdata& record, const analysis::EvalOptions& evaluation,
                          const QDateTime& printed) {
    const QString file =
        record.fileName.isEmpty() ? QStringLiteral("(not saved)") : QFileInfo(record.fileName).fileName();
    // ISO date and numbers with '.', so the page reads the same in every locale.
    QStringList lines;
    lines << QStringLiteral("Printed %1   File %2")
                 .arg(printed.toString(QStringLiteral("yyyy-MM-dd HH:mm")), file);
    lines << QString::asprintf(
        "Step %.2f deg   Counting time %.1f s   Detector HV %s V   Tube current %s \u00b5A",
        record.angularStep / 20.0, record.countingTime / 10.0,
        qPrintable(plot::generalNumber(record.detectorHv)),
        qPrintable(plot::generalNumber(record.tubeCurrent)));
    const QString crystal =
        evaluation.crystal == QLatin1String("custom")
            ? QString::asprintf("d = %.2f pm", evaluation.dPm)
            : QString::asprintf("%s (d = %.2f pm)", qPrintable(evaluation.crystal), evaluation.dPm);
    lines << QStringLiteral("Radiator %1   Filter %2   Crystal %3   Anode %4")
                 .arg(records::selectionName(records::radiatorItems(), record.radiator),
                      records::selectionName(records::filterItems(), record.filter), crystal,
                      analysis::elementSymbol(evaluation.anodeZ));
    return lines;
}

} // namespace printing
