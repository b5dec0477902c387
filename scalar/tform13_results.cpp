// The scalar-mode window's readings: acquiring one, the results table, the chart, export and print.
#include "scalar/tform13.h"

#include "scalar/export/scalarseries.h"
#include "scalar/resultstable.h"
#include "scalar/scalarchart.h"
#include "scalar/scalarevaluation.h"
#include "scalar/scalarprint.h"
#include "scalar/scalarsave.h"
#include "widgets/steprules.h"

#include "engine/trs.h"
#include "records/decimaltext.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

void TForm13::Button1Click() {
    if (benchDeclared) {
        const double mm = ui::readoutNumber(ft->text()).value_or(0.0);
        benchDeclared(rrs->currentText(), fs->currentText(), mm);
    }
    if (engine::TRS* thread = acquisitionThread) {
        thread->requestScalarAcquire();
    }
    // The bar fills in the counting time: one tick per tenth of a second.
    const int ticks = ui::readoutScaled(sfrq->text(), 10).value_or(1);
    if (waitForData) {
        waitForData(this, ticks);
    }
}

int TForm13::addResultRow(double rate, int tubeCurrent) {
    const scalar::ScalarCells cells = {
        QString(),         HVctrl->text(), rrs->currentText(),           fs->currentText(),
        dp->currentText(), ft->text(),     QString::number(tubeCurrent), records::decimalText(rate, 2)};
    const int row = scalar::appendResult(res, cells);
    unsavedReadings_ = true;
    plotRow(row);
    res->selectRow(res->rowCount() - 1);
    showEvaluation();
    return row;
}

int TForm13::resultCount() const {
    const scalar::ScalarTable table = scalar::resultsSnapshot(res);
    int count = 0;
    for (std::size_t row = 0; row < table.rows.size(); ++row) {
        count += scalar::isDataRow(table, row) ? 1 : 0;
    }
    return count;
}

scalar::Variable TForm13::variable() const {
    const int id = modeButtons->checkedId();
    return id < 0 ? scalar::detectorHv : static_cast<scalar::Variable>(id);
}

void TForm13::plotRow(int row) {
    const scalar::ScalarTable table = scalar::resultsSnapshot(res);
    if (row < 0 || row >= static_cast<int>(table.rows.size())) {
        return;
    }
    if (const auto point =
            scalar::plotPoint(table.rows[static_cast<std::size_t>(row)], variable(), QLocale())) {
        wykr->addPoint(lc->isChecked(), *point);
    }
}

void TForm13::showEvaluation() {
    const double seconds = ui::readoutNumber(sfrq->text()).value_or(1.0);
    evaluation_ =
        scalar::evaluateTable(scalar::resultsSnapshot(res), variable(), seconds, anodeZ ? anodeZ() : 29);
    evaluation->showLines(evaluation_.lines);
    wykr->showCurves(evaluation_.curves);
}

void TForm13::replot() {
    showEvaluation();
    wykr->clearPoints();
    const scalar::ScalarTable table = scalar::resultsSnapshot(res);
    if (table.rows.size() <= kHeaderRows || table.rows[kHeaderRows][scalar::colRadiator].isEmpty()) {
        return;
    }
    for (std::size_t row = kHeaderRows; row < table.rows.size(); ++row) {
        if (const auto point = scalar::plotPoint(table.rows[row], variable(), QLocale())) {
            wykr->addPoint(lc->isChecked(), *point);
        }
    }
}

void TForm13::modeClick() {
    const scalar::Variable chosen = variable();
    wykr->setTitles(scalar::chartTitles(chosen), scalar::xLabels(chosen));
    replot();
}

void TForm13::lcClick() {
    replot();
}

void TForm13::BitBtn1Click() {
    scalar::deleteResultRow(res, res->currentRow());
    replot();
}

void TForm13::BitBtn3Click() {
    scalar::deleteAllResults(res);
    replot();
}

bool TForm13::hasUnsavedReadings() const {
    return unsavedReadings_ && resultCount() > 0;
}

bool TForm13::saveReadings() {
    const bool saved =
        scalar::saveResults(this, scalar::resultsSnapshot(res), programFolder, QLocale(), evaluation_.lines);
    if (saved)
        unsavedReadings_ = false;
    return saved;
}

void TForm13::BitBtn4Click() {
    saveReadings();
}

void TForm13::SpeedButton2Click() {
    scalar::printChartAsked(this, wykr,
                            {scalar::filtersShown(scalar::resultsSnapshot(res)), evaluation_.lines});
}
