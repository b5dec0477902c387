// Workbook export through libxlsxwriter.
#include "records/workbookexport.h"

#include "records/exportedpoints.h"
#include "records/safefile.h"

#include <QFile>

#include <xlsxwriter.h>

#include <locale.h>

#include <clocale>
#include <string>
#include <vector>

namespace records {

namespace {

constexpr double kColumnWidth = 12;

// libxlsxwriter formats numbers with the C library's printf, which follows LC_NUMERIC: under a
// comma locale (the program takes the user's) it would write "10,6", a cell no spreadsheet reads
// as a number. The "C" numeric locale is switched on for this thread alone while a workbook is
// written.
class ClassicNumbers {
public:
#if defined(_WIN32)
    ClassicNumbers() : previousMode_(_configthreadlocale(_ENABLE_PER_THREAD_LOCALE)) {
        if (const char* current = std::setlocale(LC_NUMERIC, nullptr))
            previous_ = current;
        std::setlocale(LC_NUMERIC, "C");
    }
    ~ClassicNumbers() {
        std::setlocale(LC_NUMERIC, previous_.c_str());
        _configthreadlocale(previousMode_);
    }

private:
    int previousMode_;
    std::string previous_;
#else
    ClassicNumbers() : classic_(newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr))) {
        if (classic_)
            previous_ = uselocale(classic_);
    }
    ~ClassicNumbers() {
        if (classic_) {
            uselocale(previous_);
            freelocale(classic_);
        }
    }

private:
    locale_t classic_;
    locale_t previous_ = static_cast<locale_t>(nullptr);
#endif
public:
    ClassicNumbers(const ClassicNumbers&) = delete;
    ClassicNumbers& operator=(const ClassicNumbers&) = delete;
};

QString libraryError(lxw_error code) {
    return QString::fromUtf8(lxw_strerror(code));
}

// Fills the sheet; the first failing call's code, or LXW_NO_ERROR.
lxw_error fillSheet(lxw_worksheet* sheet, const std::vector<ExportedPoint>& points,
                    const ExportProgress& progress) {
    lxw_error result = worksheet_set_column(sheet, 0, 1, kColumnWidth, nullptr);
    if (result == LXW_NO_ERROR)
        result = worksheet_write_string(sheet, 0, 0, "Angle [deg]", nullptr);
    if (result == LXW_NO_ERROR)
        result = worksheet_write_string(sheet, 0, 1, "counting rate [cps]", nullptr);
    lxw_row_t row = 1;
    int position = -1;
    for (const ExportedPoint& point : points) {
        if (result == LXW_NO_ERROR)
            result = worksheet_write_number(sheet, row, 0, point.degrees, nullptr);
        if (result == LXW_NO_ERROR)
            result = worksheet_write_number(sheet, row, 1, point.rate, nullptr);
        if (result != LXW_NO_ERROR)
            return result;
        ++row;
        const int reached = point.cell > 0 ? point.cell - 1 : 0;
        if (progress && reached != position) {
            position = reached;
            progress(position);
        }
    }
    return result;
}

// A zip archive that was cut short lacks its closing record: the end of central directory, whose
// signature "PK\5\6" stands 22 bytes before the end when there is no archive comment.
bool endsLikeAZipArchive(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 22 || !file.seek(file.size() - 22))
        return false;
    return file.read(4) == QByteArrayView("PK\x05\x06", 4);
}

bool writeWorkbook(const QString& path, const std::vector<ExportedPoint>& points,
                   const ExportProgress& progress, QString* reason) {
    const QByteArray name = QFile::encodeName(path);
    const ClassicNumbers classicNumbers;
    lxw_workbook* workbook = workbook_new(name.constData());
    if (!workbook) {
        *reason = QStringLiteral("the workbook could not be created");
        return false;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
    lxw_error result = sheet ? fillSheet(sheet, points, progress) : LXW_ERROR_MEMORY_MALLOC_FAILED;
    // Closing writes the file and frees the workbook in every case.
    const lxw_error closed = workbook_close(workbook);
    if (result == LXW_NO_ERROR)
        result = closed;
    if (result != LXW_NO_ERROR) {
        *reason = libraryError(result);
        return false;
    }
    if (!endsLikeAZipArchive(path)) {
        *reason = QStringLiteral("the workbook was not written completely");
        return false;
    }
    return true;
}

} // namespace

double spreadsheetVersion() {
    return kWorkbookVersion;
}

bool exportSpreadsheet(const trecdata& record, const QString& path, const ExportProgress& progress,
                       QString* error) {
    const std::vector<ExportedPoint> points = exportedPoints(record);
    if (progress)
        progress(0);
    return writeFileBesideSafely(
        path,
        [&](const QString& temporaryPath, QString* reason) {
            return writeWorkbook(temporaryPath, points, progress, reason);
        },
        error);
}

} // namespace records
