// The main window's evaluation: the settings dialog, the Bragg read-out beside the cursor's data,
// "Evaluate" with the labels on the plot and the results window, and the page's evaluation lines.
#include "mainwindow/tform1.h"

#include "mainwindow/evalresults.h"
#include "mainwindow/plot/evalmarks.h"
#include "mainwindow/plot/pageinfo.h"
#include "mainwindow/plot/resulttable.h"
#include "mainwindow/plot/scanplot.h"
#include "setup/evalsettings.h"
#include "widgets/messages.h"

#include "analysis/evaluation.h"
#include "records/recordfile.h"
#include "records/trecdata.h"

#include <QComboBox>
#include <QDateTime>
#include <QFutureWatcher>
#include <QLabel>
#include <QPushButton>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace {

constexpr int kReadoutRow1 = 31;
constexpr int kBraggReadoutWidth = 196;

} // namespace

void TForm1::createEvaluationControls() {
    evalSettings = new EvalSettingsDialog(this);
    evalSettings->setSettingsPath(settingsPath_);
    plot->setEvalDefaults(evalsettings::load(settingsPath_));
    connect(evalSettings, &EvalSettingsDialog::optionsChanged, this,
            [this](const analysis::EvalOptions& options) { plot->setEvalDefaults(options); });
    evalResults = new EvalResultsWindow(this);

    // In the first row of read-outs, right of the detector voltage.
    evaluate = new QPushButton(QStringLiteral("Evaluate"), Panel3);
    evaluate->setObjectName(QStringLiteral("evaluate"));
    evaluate->setToolTip(QStringLiteral("Find, fit and name the peaks of the record shown"));
    evalSettingsButton = new QPushButton(QStringLiteral("Evaluation settings"), Panel3);
    evalSettingsButton->setObjectName(QStringLiteral("evalSettingsButton"));
    evalSettingsButton->setToolTip(QStringLiteral("Crystal, anode, tube voltage, dead time and orders"));
    int x = CHV->geometry().right() + 20;
    for (QPushButton* button : {evaluate, evalSettingsButton}) {
        button->setAutoDefault(false);
        button->adjustSize();
        button->move(x, CHV->y() - 1);
        x += button->width() + 6;
    }
    evaluate->setEnabled(false);
    connect(evaluate, &QPushButton::clicked, this, &TForm1::evaluateClick);
    connect(evalSettingsButton, &QPushButton::clicked, this, &TForm1::editEvaluationSettings);

    // Right of the offset switch, in the row of the cursor's data.
    // Wide enough for the longest read-out in the label's own font (it follows the screen's scaling).
    QLabel* bragg = plot->coordsBragg();
    const int textWidth = bragg->fontMetrics().horizontalAdvance(
        QStringLiteral("\u03bb 999.9 pm, E 99.99 keV, \u00b1 99.9 cps"));
    bragg->setGeometry(Label10->geometry().right() + 12, kReadoutRow1,
                       std::max(kBraggReadoutWidth, textWidth + 2 * bragg->frameWidth() + 8), CHV->height());
    bragg->setAutoFillBackground(true);
    bragg->setPalette(plot->coords()->palette());
}

bool TForm1::editEvaluationSettings() {
    return evalSettings->edit();
}

const analysis::EvalOptions& TForm1::evaluationDefaults() const {
    return plot->evalDefaults();
}

void TForm1::evaluateClick() {
    trecdata* record = displayedRecord_;
    if (!record)
        return;
    // The thread may replace or fill the live record while the evaluation runs: it works on a copy
    // of the record as it is now, and its result goes to the record only if that still exists.
    std::shared_ptr<const trecdata> copy = records::parseRecordFile(records::recordFileBytes(*record));
    if (!copy) {
        ui::showError(this, QStringLiteral("The record cannot be evaluated"));
        return;
    }
    pendingEvaluation_ = {record, ++evaluationTickets_};
    const unsigned ticket = pendingEvaluation_.ticket;
    auto* watcher = new QFutureWatcher<analysis::SpectrumResult>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, record, ticket] {
        watcher->deleteLater();
        if (pendingEvaluation_.ticket != ticket || pendingEvaluation_.record != record)
            return; // the record went, or a later evaluation replaces this one
        pendingEvaluation_ = {};
        evaluations_[record] = std::make_shared<const analysis::SpectrumResult>(watcher->result());
        if (displayedRecord_ == record) {
            showEvaluationOf(record);
            evalResults->show();
            evalResults->raise();
        }
    });
    const analysis::EvalOptions defaults = evaluationDefaults();
    watcher->setFuture(
        QtConcurrent::run([copy, defaults] { return analysis::analyseSpectrum(*copy, defaults); }));
}

std::shared_ptr<const analysis::SpectrumResult> TForm1::evaluationOf(const trecdata* record) const {
    const auto found = evaluations_.find(record);
    return found == evaluations_.end() ? nullptr : found->second;
}

void TForm1::forgetEvaluation(const trecdata* record) {
    evaluations_.erase(record);
    if (pendingEvaluation_.record == record)
        pendingEvaluation_ = {};
    if (record && record == displayedRecord_)
        showEvaluationOf(record);
}

void TForm1::showEvaluationOf(const trecdata* record) {
    evaluate->setEnabled(record != nullptr);
    const auto result = evaluationOf(record);
    std::optional<plot::EvalMarks> marks;
    if (result && result->error.isEmpty())
        marks = plot::evalMarks(*result);
    plot->setEvalMarks(std::move(marks));
    evalResults->showResult(record ? lista->currentText() : QString(), result);
}

printing::PageText TForm1::printedPage(const trecdata& record) const {
    printing::PageText page;
    const auto result = evaluationOf(&record);
    const analysis::EvalOptions used = result && result->error.isEmpty()
                                           ? result->options
                                           : analysis::applyComment(evaluationDefaults(), record.comment);
    page.info = printing::pageInfoLines(record, used, QDateTime::currentDateTime());
    if (result) {
        if (result->error.isEmpty())
            page.marks = plot::evalMarks(*result);
        page.table = plot::tableLines(plot::resultTable(*result));
    }
    return page;
}
