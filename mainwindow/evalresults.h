// The window "Evaluation results": the results table of the displayed record's evaluation (its
// peaks with angle, wavelength, energy, width and net counts, each ± its uncertainty; the lattice
// spacing the named lines imply; the Duane-Hunt limit and Planck's constant). It follows the record
// the main window displays, copies the table to the clipboard and saves it as a CSV file.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTableWidget;

namespace analysis {
struct SpectrumResult;
}

class EvalResultsWindow : public QDialog {
    Q_OBJECT
public:
    explicit EvalResultsWindow(QWidget* parent = nullptr);

    QLabel* recordName;
    QTableWidget* peaks;
    QLabel* summary;
    QPushButton* copyButton; // "Copy"
    QPushButton* saveButton; // "Save CSV..."
    QPushButton* closeButton;

    // The evaluation of the record named `title`; none: the record is not evaluated.
    void showResult(const QString& title, std::shared_ptr<const analysis::SpectrumResult> result);
    const analysis::SpectrumResult* result() const { return result_.get(); }

    void copyClick();
    void saveClick();

    // Seam for tests: the CSV file's name (empty: cancelled).
    std::function<QString()> askCsvFileName;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::shared_ptr<const analysis::SpectrumResult> result_;
};
