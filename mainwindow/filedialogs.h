// The file dialogs of the record flows, behind a seam: the program uses Qt's own dialogs, tests put
// in answers of their own.
#pragma once

#include "records/fileflows.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

struct SaveDialogRequest {
    std::vector<records::FileType> types; // numbered from 1
    QString proposedName;                 // folder and name without extension; may be empty
    // The user switched to type n (from 1): returns the extension a name typed without one gets.
    // Also asked for type 1 when the dialog opens.
    std::function<QString(int type)> typeChanged;
};

struct SaveDialogChoice {
    QString path;
    int type = 1; // the chosen type, from 1
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The save dialog: asks before overwriting, takes only a path in an existing folder. nullopt
    // when cancelled.
    virtual std::optional<SaveDialogChoice> save(QWidget* parent, const SaveDialogRequest& request) = 0;
    // The open dialog for existing files of one type (several may be chosen); empty when cancelled.
    virtual QStringList open(QWidget* parent, const records::FileType& type) = 0;
};

// Qt's own (non-native) file dialogs.
std::unique_ptr<FileDialogs> makeQtFileDialogs();
