// The "Save" flow of the scalar-mode window: the save dialog with its types, and the export of the
// results table in the chosen form, with the error messages of the spreadsheet forms.
#pragma once

#include "scalar/export/scalartable.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace scalar {

// The dialog's types: 1 text file, 2 new workbook, 3 the Moseley's-law template (offered only when
// the template is found).
QStringList saveFilters(bool templateFound);
inline constexpr char kTemplateTypeName[] = "Mosley's Law Excel spreadsheet";
// A name typed without extension gets the chosen type's (".txt" or ".xlsx").
QString withTypeExtension(const QString& path, int type);

struct SaveAnswer {
    QString path;
    int type = 1; // 1-based, as saveFilters() lists them
};
// Seam of the save dialog: the program asks with Qt's dialog (asking before overwriting, existing
// folders only); tests answer without a person. Empty when cancelled.
using SaveDialog = std::function<std::optional<SaveAnswer>(QWidget* parent, const QStringList& filters)>;
SaveDialog& saveDialog();
// Seam of the error messages (caption "Error", one OK button).
using ErrorMessage = std::function<void(QWidget* parent, const QString& text)>;
ErrorMessage& errorMessage();

inline constexpr char kTransferFailed[] = "Error while transfering data to Excel.";
inline constexpr char kSaveFailed[] = "Error while saveing data.";

// Runs the whole flow; `programFolder` is where the template is looked for. True when the table was
// written (a workbook whose transfer failed part-way is still saved); false when cancelled or when
// the file could not be written (reported).
// The `evaluation` lines go with the table into the text file and the new workbook; the template
// copy holds the rates only.
bool saveResults(QWidget* parent, const ScalarTable& table, const QString& programFolder,
                 const QLocale& locale = QLocale(), const QStringList& evaluation = {});

} // namespace scalar
