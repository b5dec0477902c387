// A window that shows the progress of long work (the spreadsheet export): the work sets it up,
// advances it and hides it. Start-up hands the program's export progress window to the windows
// that export.
#pragma once

class QPoint;
class QWidget;

class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;

    // Shows the bar at 0 of `maximum`, centred over `owner`.
    virtual void begin(const QWidget* owner, int maximum) = 0;
    // Advances the bar by one, up to its maximum.
    virtual void step() = 0;
    virtual void end() = 0;
    // Puts the window's top left corner at a point of the screen.
    virtual void placeAt(const QPoint& topLeft) = 0;
    // Sets the bar to a position (clamped to its range) and shows it at once.
    virtual void setPosition(int position) = 0;
};
