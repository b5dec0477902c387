// The scalar-mode window: single counting-rate readings against one varied condition. For now it
// holds the settings read-outs and selectors that the acquisition thread keeps up to date and the
// results table that its readings fill.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class SpeedButton;

class TForm13 : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHeaderRows = 2;
    static constexpr int kColumns = 8;

    explicit TForm13(QWidget* parent = nullptr);

    QLabel* sfrq;   // counting time, "%.1f "
    QLabel* HVctrl; // detector voltage, volts and a blank
    SpeedButton* HV;
    QComboBox* rrs;
    QComboBox* fs;
    QComboBox* dp;
    QLineEdit* ft;
    QLabel* CI;
    QTableWidget* res;
    QPushButton* BitBtn7; // "Exit"

    // Selects item `index` of a selector; an index outside its items leaves none selected.
    static void selectItem(QComboBox* box, int index);

    // One reading into the results table: the first goes into row 2, every further one is appended.
    // Returns the row it went into.
    int addResultRow(double rate, int tubeCurrent);
    // Data rows (rows whose first cell is not empty).
    int resultCount() const;

    void HVClick();

    // ---- What the main window and the acquisition thread's routines change ----
    // The X-ray tube current read-out.
    void showCurrent(const QString& text);
    // The detector voltage read-out (volts and a blank, as the main window shows it).
    void showDetectorVolts(const QString& text);
    // The scalar counting time, in hundredths of a second.
    void showCountingTime(int hundredths);
    // The apparatus's radiator, filter, detector position and filter thickness.
    void showSelections(int radiator, int filter, int position, double filterThickness);
    // The selections can be changed only while the link is up and the live scan holds no data.
    void enableSelections(bool enabled);
    void enableHv(bool enabled);
    void showHvOn(bool on);
    // The link is lost: an open window ends with the cancel result.
    void closeCancelled();
};
