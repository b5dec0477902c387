// The evaluation settings dialog "Evaluation settings": the crystal (NaCl, LiF, KBr or a custom
// lattice spacing), the anode, the tube voltage, the counter's dead time (off by default) and the
// diffraction orders an evaluation looks for. The values live in the settings file's "evaluation"
// section, the same defaults the command line's evaluation uses; a record's comment words still win
// for that record.
#pragma once

#include "analysis/evaloptions.h"

#include <QDialog>
#include <QString>

#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

namespace evalsettings {
// The options kept in the settings file at `path` (the program's defaults where it has none).
analysis::EvalOptions load(const QString& path);
// Writes them there; false when the file cannot be written.
bool save(const QString& path, const analysis::EvalOptions& options);
// The anodes the dialog offers, as atomic numbers.
const std::vector<int>& offeredAnodes();
} // namespace evalsettings

class EvalSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit EvalSettingsDialog(QWidget* parent = nullptr);

    QComboBox* crystal;  // "NaCl", "LiF", "KBr", "custom d"
    QDoubleSpinBox* dPm; // the lattice spacing; editable for "custom d"
    QComboBox* anode;    // element symbols
    QDoubleSpinBox* tubeKv;
    QDoubleSpinBox* deadTimeUs; // 0: "off"
    QSpinBox* orders;
    QLabel* problem; // why OK is refused

    void setSettingsPath(const QString& path) { settingsPath_ = path; }
    const QString& settingsPath() const { return settingsPath_; }

    // Shows the options in the controls, and reads them back.
    void showOptions(const analysis::EvalOptions& options);
    analysis::EvalOptions chosenOptions() const;

    // Loads the settings file's options, runs the dialog modally and, on OK, writes them back and
    // reports them. True when OK was pressed and the options were kept.
    bool edit();

signals:
    // The options changed (after OK).
    void optionsChanged(const analysis::EvalOptions& options);

private:
    void crystalChanged();
    void okClicked();

    QString settingsPath_;
};
