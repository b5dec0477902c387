// The program's file dialogs: Qt's own widgets, so that the type switch reaches the program on
// every desktop.
#include "mainwindow/filedialogs.h"

#include "widgets/messages.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

QStringList filtersOf(const std::vector<records::FileType>& types) {
    QStringList filters;
    for (const records::FileType& type : types)
        filters << records::dialogFilter(type);
    return filters;
}

class QtFileDialogs final : public FileDialogs {
public:
    std::optional<SaveDialogChoice> save(QWidget* parent, const SaveDialogRequest& request) override {
        QFileDialog dialog(parent);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        const QStringList filters = filtersOf(request.types);
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(0));
        const auto switchTo = [&](int type) {
            if (request.typeChanged)
                dialog.setDefaultSuffix(request.typeChanged(type));
        };
        switchTo(1);
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
            switchTo(static_cast<int>(filters.indexOf(filter)) + 1);
        });
        if (!request.proposedName.isEmpty())
            dialog.selectFile(request.proposedName);
        for (;;) {
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
                return std::nullopt;
            const QString path = dialog.selectedFiles().constFirst();
            if (QFileInfo(path).absoluteDir().exists())
                return SaveDialogChoice{path,
                                        static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1};
            // Qt's dialog would take a name in a folder that does not exist.
            ui::showError(&dialog, QStringLiteral("%1\nPath does not exist.\nCheck the path and try again.")
                                       .arg(QDir::toNativeSeparators(path)));
        }
    }

    QStringList open(QWidget* parent, const records::FileType& type) override {
        QFileDialog dialog(parent);
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.setNameFilter(records::dialogFilter(type));
        dialog.setDefaultSuffix(records::defaultExtension(type));
        if (dialog.exec() != QDialog::Accepted)
            return {};
        return dialog.selectedFiles();
    }
};

} // namespace

std::unique_ptr<FileDialogs> makeQtFileDialogs() {
    return std::make_unique<QtFileDialogs>();
}
