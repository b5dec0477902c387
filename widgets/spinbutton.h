// A spin button: two small arrow buttons, one above the other, that step a neighbouring read-out
// up or down. The button carries its step in its tag, so one pair of handlers can serve a group of
// spin buttons with different steps.
#pragma once

#include <QWidget>

#include <initializer_list>

class QToolButton;

class SpinButton : public QWidget {
    Q_OBJECT
public:
    explicit SpinButton(int tag, QWidget* parent = nullptr);

    int tag() const { return tag_; }
    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void upClick();
    void downClick();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int tag_;
    QToolButton* up_;
    QToolButton* down_;
};

namespace ui {

// One pair of handlers for a group of spin buttons: `step` gets the pressed button's tag and the
// direction.
template <class Handler>
void connectSpinGroup(std::initializer_list<SpinButton*> group, QObject* context, Handler step) {
    for (SpinButton* button : group) {
        QObject::connect(button, &SpinButton::upClick, context,
                         [button, step] { step(button->tag(), true); });
        QObject::connect(button, &SpinButton::downClick, context,
                         [button, step] { step(button->tag(), false); });
    }
}

} // namespace ui
