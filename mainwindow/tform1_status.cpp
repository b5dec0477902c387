// The status line of the main window: the scan status, and a note laid over it until the scan
// status changes.
#include "mainwindow/tform1.h"

#include <QLabel>

namespace {

// A status longer than its field (an access problem with the port and its fix) is cut with an
// ellipsis; the tooltip then holds the whole text.
void showElided(QLabel* field, const QString& text) {
    const int room = field->contentsRect().width() - 2 * field->margin() - 4;
    const QString shown = room > 0 ? field->fontMetrics().elidedText(text, Qt::ElideRight, room) : text;
    field->setText(shown);
    field->setToolTip(shown == text ? QString() : text);
}

} // namespace

void TForm1::showScanStatus(const QString& status) {
    scanStatus_ = status;
    // The thread reports its status again on many occasions; only a new one replaces the note.
    if (!statusNote_.isEmpty() && status == statusUnderNote_)
        return;
    statusNote_.clear();
    showElided(scanstate, status);
}

void TForm1::showStatusNote(const QString& note) {
    statusNote_ = note;
    statusUnderNote_ = scanStatus_;
    showElided(scanstate, note);
}
