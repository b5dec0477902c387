// The main window's layout: the bottom bar and the upper area follow the window's size.
#include "mainwindow/tform1.h"

#include "mainwindow/consolerules.h"
#include "mainwindow/plot/scanplot.h"
#include "widgets/controls.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QToolButton>

namespace {

constexpr int kBelowPlot = 121; // Panel3 height - Panel1 height
constexpr int kUpperMinWidth = 800;
// Small enough for a 1366 x 768 screen at 150 % and a 1920 x 1080 one at 200 % (485 and 520 logical
// pixels above the task bar, less the title bar); the plot is then lower, every control stays.
constexpr int kUpperMinHeight = 400;
// Before the window is shown its frame is unknown: room kept for a title bar and borders.
constexpr int kFrameAllowance = 40;

} // namespace

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Panel3->setGeometry(0, 0, width(), height() - kBottomBarHeight);
    Panel2->setGeometry(0, height() - kBottomBarHeight, width(), kBottomBarHeight);
}

console::BarWidths TForm1::barWidths() const {
    console::BarWidths widths;
    widths.smLeft = smode->x();
    widths.sm = smode->width();
    widths.save = BitBtn4->width();
    widths.load = BitBtn5->width();
    widths.close = BitBtn2->width();
    widths.print = SpeedButton2->width();
    widths.setup = setup->width();
    widths.exit = BitBtn7->width();
    return widths;
}

void TForm1::Panel2Resize() {
    const console::BarLefts lefts = console::bottomBarLefts(Panel2->width(), barWidths(), kMargin);
    BitBtn4->move(lefts.save, BitBtn4->y());
    BitBtn5->move(lefts.load, BitBtn5->y());
    BitBtn2->move(lefts.close, BitBtn2->y());
    SpeedButton2->move(lefts.print, SpeedButton2->y());
    setup->move(lefts.setup, setup->y());
    BitBtn7->move(lefts.exit, BitBtn7->y());
}

void TForm1::Panel3Resize() {
    const int h = Panel3->height();
    Panel1->setGeometry(Panel1->x(), Panel1->y(), Panel3->width() - 2 * kMargin, h - kBelowPlot);

    const int toolHeight = plot->zoomx()->height();
    const int toolTop = h - toolHeight - 30;
    int x = kMargin;
    for (const auto& [upper, lower] :
         {std::pair{plot->zoomx(), plot->unzoomx()}, std::pair{plot->zoomy(), plot->unzoomy()},
          std::pair{plot->pointto(), plot->linebtn()}}) {
        upper->move(x, toolTop);
        lower->move(x, toolTop + toolHeight);
        x += upper->width() + 2;
    }
    const int listTop = h - toolHeight - 32;
    const int commentTop = h + lista->height() - toolHeight - 30;
    viewRecordLabel->move(x + 8, listTop + 4);
    lista->move(lista->x(), listTop);
    overlays->move(lista->x() + lista->width() + 2, listTop);
    ratio->move(overlays->x() + overlays->width() + 2, listTop);
    plot->errorBarsButton()->setFixedSize(ratio->size());
    plot->errorBarsButton()->move(ratio->x() + ratio->width() + 2, listTop);
    commentLabel->move(x + 8, commentTop + 4);
    comment->move(comment->x(), commentTop);

    SpeedButton3->move(Panel3->width() - SpeedButton3->width() - kMargin, SpeedButton3->y());

    // The region panel lies right of the settings strip, from the strip's top to the area's bottom.
    const int stripHeight = plot->Panel4()->height();
    Panel5->setGeometry(Panel1->x() + kSettingsStripWidth, Panel1->y() + Panel1->height() - stripHeight,
                        Panel1->width() - kSettingsStripWidth,
                        h + stripHeight - Panel1->height() - Panel1->y() - 1);
    const int gridLeft = rngbutton->width() + 2 * rngbutton->x() + dall->width();
    const int gridTop = Panel5->height() - aranges->height() - 1;
    aranges->move(gridLeft, gridTop);
    int rowTop = gridTop + aranges->frameWidth();
    for (SpeedButton* button : {dall, d[0], d[1], d[2], d[3], d[4]}) {
        button->move(gridLeft - button->width(), rowTop);
        rowTop += button->height();
    }
    const int captionLeft = gridLeft - dall->width();
    const int captionWidth = dall->width() + aranges->width();
    regionsLabel->move(captionLeft + (captionWidth - regionsLabel->width()) / 2, std::max(gridTop - 18, 2));
    rngbutton->move(rngbutton->x(), gridTop + (aranges->height() - rngbutton->height()) / 2);
}

QSize TForm1::smallestSize() const {
    return {std::max(kUpperMinWidth, console::bottomBarMinWidth(barWidths(), kMargin)),
            kUpperMinHeight + kBottomBarHeight};
}

void TForm1::fitToScreen(const QRect& screen) {
    // The fitted window must be allowed to be that small.
    const QSize smallest = smallestSize();
    setMinimumSize(std::min(smallest.width(), screen.width()), std::min(smallest.height(), screen.height()));
    const QRect frame = frameGeometry();
    const QRect fitted = console::fitToScreen(frame, screen);
    if (fitted == frame)
        return;
    resize(fitted.width() - (frame.width() - width()), fitted.height() - (frame.height() - height()));
    move(fitted.topLeft());
}

void TForm1::fitToOwnScreen() {
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const bool frameKnown = frameGeometry() != geometry();
    fitToScreen(frameKnown ? area : area.adjusted(0, 0, 0, -kFrameAllowance));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Resize:
        if (watched == Panel2)
            Panel2Resize();
        else if (watched == Panel3)
            Panel3Resize();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease: {
        if (watched != ssleft && watched != ssright)
            break;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const bool press = event->type() == QEvent::MouseButtonPress;
        // A press needs an enabled button; a release always ends a hold that was started.
        const bool holding = watched == ssleft ? holdDown : holdUp;
        if (mouse->button() != Qt::LeftButton ||
            !(static_cast<QWidget*>(watched)->isEnabled() || (!press && holding)))
            break;
        if (watched == ssleft)
            press ? ssleftMouseDown() : ssleftMouseUp();
        else
            press ? ssrightMouseDown() : ssrightMouseUp();
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
