// Filling a copy of the Moseley's-law template.
#include "scalar/export/moseleytemplate.h"

#include "records/boundedread.h"
#include "records/safefile.h"
#include "scalar/export/xlsxpackage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace scalar {
namespace {

// The template is a small workbook (about 20 kB); a file far beyond it is none, and is not read to
// its end.
constexpr qsizetype kMaxTemplateBytes = 16 * 1024 * 1024;

} // namespace

QString findTemplate(const QString& programFolder) {
    const QDir folder(programFolder);
    for (const QString& candidate :
         {folder.filePath(QLatin1String(kTemplateFileName)),
          folder.filePath(QStringLiteral("../share/zavo-driver/") + QLatin1String(kTemplateFileName))}) {
        if (QFileInfo(candidate).isFile()) {
            return QDir::cleanPath(candidate);
        }
    }
    return {};
}

std::optional<std::pair<int, int>> templateCellFor(const QString& filterText, const QString& radiatorText) {
    const qsizetype fi = filterItems().indexOf(filterText);
    const qsizetype ri = radiatorItems().indexOf(radiatorText);
    if (fi < 0 || ri <= 0) {
        return std::nullopt;
    }
    return std::pair<int, int>{templateBlockStart[static_cast<std::size_t>(fi)] + static_cast<int>(ri),
                               kTemplateRateColumn};
}

SheetWrites templateWrites(const ScalarTable& table, const QLocale& locale, int* skipped) {
    SheetWrites writes;
    int unreadable = 0;
    for (std::size_t row = 0; row < table.rows.size(); ++row) {
        if (!isDataRow(table, row)) {
            continue;
        }
        const ScalarCells& cells = table.rows[row];
        const auto cell = templateCellFor(cells[colFilter], cells[colRadiator]);
        if (!cell) {
            continue;
        }
        if (const std::optional<double> rate = cellNumber(cells[colRate], locale)) {
            writes[*cell] = *rate;
        } else {
            ++unreadable;
        }
    }
    if (skipped) {
        *skipped = unreadable;
    }
    return writes;
}

SpreadsheetOutcome exportScalarTemplate(const ScalarTable& table, const QString& templatePath,
                                        const QString& path, const QLocale& locale) {
    SpreadsheetOutcome outcome;
    int skipped = 0;
    const SheetWrites writes = templateWrites(table, locale, &skipped);
    if (skipped > 0) {
        outcome.transferFailed = true;
        outcome.detail = QStringLiteral("%1 rate(s) are no number").arg(skipped);
    }
    QString why;
    const bool saved = records::produceFileSafely(
        path,
        [&](const QString& tempPath) {
            const records::BoundedRead source = records::readBoundedFile(templatePath, kMaxTemplateBytes);
            if (source.refusal != records::ReadRefusal::None) {
                why = QStringLiteral("Cannot read %1: %2").arg(templatePath, source.reason);
                return false;
            }
            QFile copy(tempPath);
            const QByteArray& bytes = source.bytes;
            if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate) || copy.write(bytes) != bytes.size() ||
                !copy.flush()) {
                why = QStringLiteral("Cannot write %1").arg(tempPath);
                return false;
            }
            copy.close();
            return fillWorkbookFile(tempPath, writes, &why);
        },
        &why);
    if (!saved) {
        // The template could not be filled: nothing reached the target.
        outcome.transferFailed = true;
        outcome.saveFailed = true;
        outcome.detail = why;
    }
    return outcome;
}

} // namespace scalar
