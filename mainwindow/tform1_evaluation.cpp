// The main window's evaluation: the settings dialog, the Bragg read-out beside the cursor's data and
// the lines under the printed page's title.
#include "mainwindow/tform1.h"

#include "mainwindow/plot/pageinfo.h"
#include "mainwindow/plot/scanplot.h"
#include "setup/evalsettings.h"

#include "records/trecdata.h"

#include <QDateTime>
#include <QLabel>
#include <QPushButton>

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

    evalSettingsButton = new QPushButton(QStringLiteral("Evaluation settings"), Panel3);
    evalSettingsButton->setObjectName(QStringLiteral("evalSettingsButton"));
    evalSettingsButton->setToolTip(QStringLiteral("Crystal, anode, tube voltage, dead time and orders"));
    evalSettingsButton->setAutoDefault(false);
    evalSettingsButton->adjustSize();
    evalSettingsButton->move(CHV->geometry().right() + 20, CHV->y() - 1);
    connect(evalSettingsButton, &QPushButton::clicked, this, &TForm1::editEvaluationSettings);

    // Right of the offset switch, in the row of the cursor's data.
    QLabel* bragg = plot->coordsBragg();
    bragg->setGeometry(Label10->geometry().right() + 12, kReadoutRow1, kBraggReadoutWidth, CHV->height());
    bragg->setAutoFillBackground(true);
    bragg->setPalette(plot->coords()->palette());
}

bool TForm1::editEvaluationSettings() {
    return evalSettings->edit();
}

const analysis::EvalOptions& TForm1::evaluationDefaults() const {
    return plot->evalDefaults();
}

QStringList TForm1::printedInfo(const trecdata& record) const {
    return printing::pageInfoLines(record, analysis::applyComment(evaluationDefaults(), record.comment),
                                   QDateTime::currentDateTime());
}
