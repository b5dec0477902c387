// The scalar-mode window: single counting-rate readings against one varied condition (detector HV,
// radiator, filter, detector position, filter thickness or tube current), collected in a results
// table, charted against the chosen condition, exported and printed.
#pragma once

#include "analysis/seriesevaluation.h"
#include "scalar/export/scalartable.h"
#include "scalar/scalarplot.h"

#include <QDialog>
#include <QSize>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class ScalarChart;
class ScalarEvaluation;
class SpeedButton;
class SpinButton;

class TForm13 : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHeaderRows = scalar::kHeaderRows;
    static constexpr int kColumns = scalar::kColumns;

    explicit TForm13(QWidget* parent = nullptr);

    QLabel* sfrq;                                        // counting time, "%.1f "
    SpinButton *SpinButton3, *SpinButton2, *SpinButton1; // 10, 1 and 0.1 s
    QLabel* HVctrl;                                      // detector voltage, volts and a blank
    SpinButton *SpinButton5, *SpinButton4;               // 50 and 5 V
    SpeedButton* HV;
    QComboBox* rrs;
    QComboBox* fs;
    QComboBox* dp;
    QLineEdit* ft;
    QLabel* CI;
    QGroupBox* mode; // "Independent variable"
    QButtonGroup* modeButtons;
    QCheckBox* lc;             // "Line chart"
    QPushButton* Button1;      // "Acquire data"
    QPushButton* BitBtn1;      // "Delete row"
    QPushButton* BitBtn3;      // "Delete all"
    QPushButton* BitBtn4;      // "Save"
    QPushButton* SpeedButton2; // "Print chart"
    QPushButton* BitBtn7;      // "Exit"
    QTableWidget* res;
    ScalarChart* wykr;
    ScalarEvaluation* evaluation; // the series' evaluation under the chart

    // ---- Wired by start-up ----
    // Shows the waiting-for-data window modally over `owner` with a bar of `ticks` tenths of a
    // second; returns how it ended.
    std::function<int(const QWidget* owner, int ticks)> waitForData;
    // The main window's HV read-out follows this window's while it shows the live scan.
    std::function<void(int volts)> detectorVoltsShown;
    // Where the Moseley's-law template is looked for (the program's folder).
    QString programFolder;
    // Told the declared radiator, filter and filter thickness (mm) before every reading: start-up
    // puts them on the bench when the device is the built-in simulated apparatus.
    std::function<void(const QString& radiator, const QString& filter, double thicknessMm)> benchDeclared;
    // The anode's atomic number of the evaluation settings: the radiation's energy of an attenuation
    // series when no radiator is declared (Cu when not wired).
    std::function<int()> anodeZ;
    // The system's error sound, for a refused filter thickness.
    std::function<void()> beep;

    // Selects item `index` of a selector; an index outside its items leaves none selected.
    static void selectItem(QComboBox* box, int index);

    // One reading into the results table (the first into row 2, every further one appended), with
    // the conditions the window shows; the point goes onto the chart and the row is selected.
    // Returns the row it went into.
    int addResultRow(double rate, int tubeCurrent);
    // Data rows (rows whose first cell is not empty).
    int resultCount() const;
    // Readings taken since the table was last saved are still in it: closing the program asks
    // about them.
    bool hasUnsavedReadings() const;
    // The "Save" flow; true when the table was written.
    bool saveReadings();
    // The independent variable chosen in `mode`.
    scalar::Variable variable() const;
    // The evaluation of the rows against the chosen variable, as the panel and the chart show it.
    const analysis::SeriesEvaluation& shownEvaluation() const { return evaluation_; }

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

    // ---- Handlers ----
    void SpinButton3Click(int tag, bool up); // counting time
    void SpinButton5Click(int tag, bool up); // detector HV
    void HVClick();
    void rrsChange();
    void fsChange();
    void dpChange();
    // Leaving `ft` or Enter in it: a number posts the thickness, anything else beeps and keeps the focus.
    bool ftExit();
    void Button1Click();
    void BitBtn1Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void SpeedButton2Click();
    void modeClick();
    void lcClick();

    // The window's design size (the whole layout at its roomiest) and the smallest it may be, with
    // every control visible.
    static constexpr QSize kDesignSize{1010, 600};
    static constexpr QSize kSmallestSize{850, 440};
    // Fits the window into a screen area: as large as its design allows, at least its smallest size,
    // moved inside the area.
    void fitToScreen(const QRect& area);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createSettingControls();
    void createResultControls();
    void connectHandlers();
    // Places the column of buttons, the table and the chart for the window's size.
    void layOut();
    // Clears the row series and plots the rows from row 2 on.
    void replot();
    void plotRow(int row);

    bool unsavedReadings_ = false;
    analysis::SeriesEvaluation evaluation_;
    // Evaluates the rows again and shows the lines in the panel and the curves on the chart.
    void showEvaluation();
};
