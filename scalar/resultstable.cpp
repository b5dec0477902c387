// Rows of the scalar-mode results table.
#include "scalar/resultstable.h"

#include <QHeaderView>
#include <QTableWidget>

namespace scalar {

namespace {

constexpr int kRowHeight = 20;
// Column widths of the table, plus room for the platform's cell padding.
constexpr int kColumnWidths[kColumns] = {20, 45, 27, 27, 27, 40, 40, 65};
constexpr int kPadding = 12;

QString cellText(const QTableWidget* res, int row, int column) {
    const QTableWidgetItem* item = res->item(row, column);
    return item ? item->text() : QString();
}

void setCell(QTableWidget* res, int row, int column, const QString& text) {
    if (QTableWidgetItem* item = res->item(row, column)) {
        item->setText(text);
        return;
    }
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    res->setItem(row, column, item);
}

void setRowCount(QTableWidget* res, int rows) {
    const int before = res->rowCount();
    res->setRowCount(rows);
    for (int row = before; row < rows; ++row) {
        res->setRowHeight(row, kRowHeight);
    }
}

void renumber(QTableWidget* res) {
    if (cellText(res, kHeaderRows, colRadiator).isEmpty()) {
        return;
    }
    for (int row = kHeaderRows; row < res->rowCount(); ++row) {
        setCell(res, row, colNumber, QString::number(row - 1));
    }
}

} // namespace

void setUpResultsTable(QTableWidget* res) {
    res->setColumnCount(kColumns);
    res->horizontalHeader()->hide();
    res->verticalHeader()->hide();
    res->setSelectionBehavior(QAbstractItemView::SelectRows);
    res->setSelectionMode(QAbstractItemView::SingleSelection);
    res->setEditTriggers(QAbstractItemView::NoEditTriggers);
    setRowCount(res, kHeaderRows + 1);
    for (int column = 0; column < kColumns; ++column) {
        res->setColumnWidth(column, kColumnWidths[column] + kPadding);
        for (int row = 0; row < kHeaderRows; ++row) {
            auto* item = new QTableWidgetItem(headerRow(row)[static_cast<std::size_t>(column)]);
            item->setFlags(Qt::ItemIsEnabled);
            item->setBackground(res->palette().button());
            res->setItem(row, column, item);
        }
    }
}

int appendResult(QTableWidget* res, const ScalarCells& cells) {
    int row = kHeaderRows;
    if (!cellText(res, row, colNumber).isEmpty()) {
        row = res->rowCount();
        setRowCount(res, row + 1);
    }
    for (int column = 0; column < kColumns; ++column) {
        setCell(res, row, column, column == colNumber ? QString::number(row - 1) : cells[column]);
    }
    return row;
}

void deleteResultRow(QTableWidget* res, int row) {
    if (row < kHeaderRows || row >= res->rowCount()) {
        return;
    }
    for (int below = row; below < res->rowCount(); ++below) {
        for (int column = 0; column < kColumns; ++column) {
            setCell(res, below, column,
                    below + 1 < res->rowCount() ? cellText(res, below + 1, column) : QString());
        }
    }
    if (res->rowCount() > kHeaderRows + 1) {
        setRowCount(res, res->rowCount() - 1);
    }
    renumber(res);
}

void deleteAllResults(QTableWidget* res) {
    setRowCount(res, kHeaderRows + 1);
    for (int column = 0; column < kColumns; ++column) {
        setCell(res, kHeaderRows, column, QString());
    }
}

ScalarTable resultsSnapshot(const QTableWidget* res) {
    ScalarTable table;
    table.rows.resize(static_cast<std::size_t>(res->rowCount()));
    for (int row = 0; row < res->rowCount(); ++row) {
        for (int column = 0; column < kColumns; ++column) {
            table.rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] =
                cellText(res, row, column);
        }
    }
    return table;
}

} // namespace scalar
