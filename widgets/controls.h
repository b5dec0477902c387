// Small building blocks shared by the program's windows: a button that may stay pressed, read-outs
// and labels placed at fixed pixel positions.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

// A tool button that may stay pressed ("down"). When `allowAllUp` is off, a click on the button
// while it is down leaves it down; the click is still reported. Setting the state from code never
// reports a click.
class SpeedButton : public QToolButton {
    Q_OBJECT
public:
    explicit SpeedButton(QWidget* parent = nullptr);

    bool allowAllUp() const { return allowAllUp_; }
    void setAllowAllUp(bool allow) { allowAllUp_ = allow; }

protected:
    void nextCheckState() override;

private:
    bool allowAllUp_ = true;
};

namespace ui {

// How a modal window ended (QDialog::exec() returns it).
enum ModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3 };

// A read-out: a sunken field holding a text that the program writes (and parses back).
QLabel* makeReadout(QWidget* parent, const QString& text = {}, Qt::Alignment alignment = Qt::AlignRight);
// A plain label at (x, y), sized to its text.
QLabel* makeLabel(QWidget* parent, const QString& text, int x, int y, bool bold = false);
void setBold(QWidget* widget, bool bold);
// A named push button at `place`. The default button answers Enter; the others never take it.
QPushButton* makeButton(QWidget* parent, const char* name, const QIcon& icon, const QString& caption,
                        const QRect& place, bool isDefault = false);
// Ends a modal window's run with `result` when it is open; nothing when it is hidden.
void endModal(QDialog* window, int result);
// Centres `window` over `owner`'s frame (halves rounded toward zero); nothing without an owner.
void centreOver(QWidget* window, const QWidget* owner);

} // namespace ui
