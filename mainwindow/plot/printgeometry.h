// Geometry of the printed scan page as pure functions: the line height, where the title and the
// comment lines go, the area left for the plot and the isotropic mapping of the screen plot onto it.
//
// Page quantities are device units of the page (printer dots, PDF units, image pixels); the plot is
// drawn in the screen pixels of the plot panel and scaled onto the page with one factor for both
// directions, so it keeps its aspect ratio.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTransform>

#include <vector>

namespace printing {

// The print job's name, also the title of a PDF.
inline constexpr const char* kJobName = "ZAVO DRIVER USB v2.30";
// The plot's logical window is the axes box and this much more below it, for the "[deg]" unit.
inline constexpr int kBelowAxesBox = 12;
// Title and comment: "Courier New" at this point size; the plot's texts at this pixel height.
inline constexpr int kTextPointSize = 12;
inline constexpr int kPlotTextHeight = 11;
// The plot panel of the main window at its design size, for pages printed without a window.
inline constexpr QSize kDesignPanelSize(992, 562);

// 5/4 of a text height, truncated.
int lineHeight(int textHeight);

// The lines of a comment as a memo holds them: split at CR LF, LF or CR; a final line break opens no
// further line; an empty comment has none.
QStringList commentLines(const QString& comment);

// Where the parts of a page lie.
struct PageLayout {
    int lineHeight = 0;
    QRect title;              // the first line, across the page
    std::vector<int> info;    // the top of each line under the title
    std::vector<int> table;   // the top of each line of the results table, right above the comment
    std::vector<int> comment; // the top of each comment line; the last ends at the page's bottom
    QRect plotArea;           // between the lines above and those below
};
PageLayout pageLayout(QSize page, int lineHeight, int commentLineCount);
// The number of text lines of each part: under the title, the table under the plot, the comment.
struct PageLines {
    int info = 0;
    int table = 0;
    int comment = 0;
};
PageLayout pageLayout(QSize page, int lineHeight, const PageLines& lines);

// The logical size of the plot: the axes box and kBelowAxesBox more below it.
QSize plotWindow(QSize axesBox);
// Isotropic mapping of the logical window onto the area: one scale for both directions, the
// smaller of the two that would fill it; the window's origin lands on the area's top left corner.
QTransform plotTransform(QSize window, const QRect& area);

// The logical window grown in one direction so that its shape is the area's: mapped isotropically,
// it then fills the area (no strip of the paper left empty). Never smaller than the window.
QSize filledWindow(QSize window, QSize area);

// The frame around the curve area, from (50, 20) to (W + 50, H + 21), in plot pixels.
QRect curveFrame(QSize curveArea);

} // namespace printing
