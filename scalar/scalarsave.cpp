// The save dialog and the export of the scalar-mode table.
#include "scalar/scalarsave.h"

#include "scalar/export/moseleytemplate.h"
#include "scalar/export/scalartext.h"
#include "scalar/export/scalarworkbook.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace scalar {

namespace {

QString typeExtension(int type) {
    return type == 1 ? QStringLiteral("txt") : QStringLiteral("xlsx");
}

std::optional<SaveAnswer> askWithQt(QWidget* parent, const QStringList& filters) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.selectFile(QString());
    // The type's extension is added before the dialog asks about overwriting.
    dialog.setDefaultSuffix(typeExtension(1));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog, [&dialog, filters](const QString& filter) {
            dialog.setDefaultSuffix(typeExtension(static_cast<int>(filters.indexOf(filter)) + 1));
        });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return SaveAnswer{dialog.selectedFiles().first(),
                      static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1};
}

} // namespace

QStringList saveFilters(bool templateFound) {
    QStringList filters = {QStringLiteral("Text file (*.txt)"), QStringLiteral("Excel spreadsheet (*.xlsx)")};
    if (templateFound) {
        filters << QLatin1String(kTemplateTypeName) + QStringLiteral(" (*.xlsx)");
    }
    return filters;
}

QString withTypeExtension(const QString& path, int type) {
    return QFileInfo(path).suffix().isEmpty() ? path + QLatin1Char('.') + typeExtension(type) : path;
}

SaveDialog& saveDialog() {
    static SaveDialog dialog = askWithQt;
    return dialog;
}

ErrorMessage& errorMessage() {
    static ErrorMessage message = [](QWidget* parent, const QString& text) {
        QMessageBox::critical(parent, QStringLiteral("Error"), text, QMessageBox::Ok);
    };
    return message;
}

bool saveResults(QWidget* parent, const ScalarTable& table, const QString& programFolder,
                 const QLocale& locale, const QStringList& evaluation) {
    const QString templatePath = findTemplate(programFolder);
    const std::optional<SaveAnswer> answer = saveDialog()(parent, saveFilters(!templatePath.isEmpty()));
    if (!answer || answer->path.isEmpty()) {
        return false;
    }
    const QString path = withTypeExtension(answer->path, answer->type);
    SpreadsheetOutcome outcome;
    switch (answer->type) {
    case 1:
        // The text form never leaves a half-written file; a failure is reported like the others'.
        outcome.saveFailed = !exportScalarText(table, path, nullptr, evaluation);
        break;
    case 2:
        outcome = exportScalarWorkbook(table, path, locale, evaluation);
        break;
    case 3:
        outcome = exportScalarTemplate(table, templatePath, path, locale);
        break;
    default:
        return false;
    }
    if (outcome.transferFailed) {
        errorMessage()(parent, QLatin1String(kTransferFailed));
    }
    if (outcome.saveFailed) {
        errorMessage()(parent, QLatin1String(kSaveFailed));
    }
    return !outcome.saveFailed;
}

} // namespace scalar
