// The region editor "Regions of interest": five rows of start and end angles of the record it
// edits. Apply checks and stores them with the rules of records/roiedit; Cancel changes nothing.
#pragma once

#include "records/roiedit.h"

#include <QDialog>

#include <memory>

class QPushButton;
class QTableWidget;
class trecdata;

class TForm11 : public QDialog {
    Q_OBJECT
public:
    explicit TForm11(QWidget* parent = nullptr);

    QTableWidget* ranges; // "No.", "Start angle", "End angle"; rows 1..5 editable
    QPushButton* BitBtn2; // "Apply", the default button
    QPushButton* BitBtn3; // "Cancel"

    // Holds the record and shows its regions, "%.2f" degrees; rows past its regions empty. The
    // record is held until the dialog closes, so the thread replacing it meanwhile frees nothing
    // the dialog still reads or writes.
    void loadRegions(std::shared_ptr<trecdata> record);
    trecdata* editedRecord() const { return record_.get(); }
    // The code of a cell (column 1 or 2, row 1..5): 0 for a value within the record, -1 empty,
    // -2 not a number, -3 below and -4 above the record's angle range.
    int validateCell(int column, int row) const;
    // Checks the rows and, when they pass (after the question if one is asked), stores them into the
    // record and closes with OK. Otherwise the dialog stays open with its cell selected.
    void BitBtn2Click();

    roi::GridTexts rows() const;
    void done(int result) override;
    void setRows(const roi::GridTexts& rows);

private:
    QString cellText(int row, int column) const;

    std::shared_ptr<trecdata> record_;
};
