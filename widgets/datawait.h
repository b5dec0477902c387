// The waiting-for-data window as the other windows see it: the scalar-mode window opens it for a
// reading, the acquisition thread's routines end it. Start-up hands the window to both.
#pragma once

class QWidget;

class DataWait {
public:
    virtual ~DataWait() = default;

    // Shows the window modally, centred over `owner`, with a bar of `ticks` timer ticks (tenths of
    // a second); returns how it ended (ui::ModalResult).
    virtual int waitOver(const QWidget* owner, int ticks) = 0;
    // Ends the modal run with `result` (ui::ModalResult) when the window is open.
    virtual void endWait(int result) = 0;
};
