// New workbook of the scalar-mode table through libxlsxwriter.
#include "scalar/export/scalarworkbook.h"

#include "records/safefile.h"

#include <QFile>

#include <xlsxwriter.h>

#include <cmath>

namespace scalar {

namespace {

enum class CellKind { text, whole, real };

CellKind dataCellKind(int column) {
    switch (column) {
    case colNumber:
    case colVoltage:
        return CellKind::whole;
    case colThickness:
    case colCurrent:
    case colRate:
        return CellKind::real;
    default:
        return CellKind::text;
    }
}

// Writes one grid row; false when a number cell held no number (it is then written as text).
bool writeRow(lxw_worksheet* sheet, lxw_row_t sheetRow, const ScalarCells& cells, bool header,
              const QLocale& locale) {
    bool numbers = true;
    for (int column = 0; column < kColumns; ++column) {
        const auto sheetColumn = static_cast<lxw_col_t>(column);
        const CellKind kind = header ? CellKind::text : dataCellKind(column);
        std::optional<double> value;
        if (kind != CellKind::text) {
            value = cellNumber(cells[column], locale);
            if (value && kind == CellKind::whole && *value != std::trunc(*value)) {
                value.reset();
            }
            numbers = numbers && value.has_value();
        }
        if (value) {
            worksheet_write_number(sheet, sheetRow, sheetColumn, *value, nullptr);
        } else if (!cells[column].isEmpty()) {
            worksheet_write_string(sheet, sheetRow, sheetColumn, cells[column].toUtf8().constData(), nullptr);
        }
    }
    return numbers;
}

void writeEvaluation(lxw_workbook* book, const QStringList& lines) {
    if (lines.isEmpty()) {
        return;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(book, kEvaluationSheet);
    worksheet_set_column(sheet, 0, 0, 70, nullptr);
    for (qsizetype row = 0; row < lines.size(); ++row) {
        worksheet_write_string(sheet, static_cast<lxw_row_t>(row), 0, lines[row].toUtf8().constData(),
                               nullptr);
    }
}

} // namespace

SpreadsheetOutcome exportScalarWorkbook(const ScalarTable& table, const QString& path, const QLocale& locale,
                                        const QStringList& evaluation) {
    SpreadsheetOutcome outcome;
    const bool saved = records::produceFileSafely(
        path,
        [&](const QString& tempPath) {
            lxw_workbook* book = workbook_new(QFile::encodeName(tempPath).constData());
            if (!book) {
                return false;
            }
            lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
            for (std::size_t row = 0; row < table.rows.size(); ++row) {
                const bool header = row < kHeaderRows;
                if ((header || isDataRow(table, row)) &&
                    !writeRow(sheet, static_cast<lxw_row_t>(row), table.rows[row], header, locale)) {
                    outcome.transferFailed = true;
                    outcome.detail = QStringLiteral("Row %1 holds a cell that is no number").arg(row + 1);
                }
            }
            writeEvaluation(book, evaluation);
            const lxw_error result = workbook_close(book);
            if (result != LXW_NO_ERROR) {
                outcome.detail = QString::fromUtf8(lxw_strerror(result));
            }
            return result == LXW_NO_ERROR;
        },
        &outcome.detail);
    outcome.saveFailed = !saved;
    return outcome;
}

} // namespace scalar
