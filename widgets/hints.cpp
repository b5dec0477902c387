#include "widgets/hints.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace ui {
namespace {

constexpr const char* kHintsOff = "zavoHintsOff";

// Drops tool-tip requests aimed at a control of a window whose hints are off.
class HintFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ToolTip && watched->isWidgetType())
            return !hintsShown(static_cast<QWidget*>(watched));
        return false;
    }
};

void installFilterOnce() {
    // The filter belongs to the application object and goes with it.
    static QPointer<QObject> filter;
    if (filter || !qApp)
        return;
    filter = new HintFilter(qApp);
    qApp->installEventFilter(filter);
}

} // namespace

void setHintsShown(QWidget* window, bool shown) {
    if (!window)
        return;
    installFilterOnce();
    window->setProperty(kHintsOff, !shown);
}

bool hintsShown(const QWidget* widget) {
    const QWidget* window = widget ? widget->window() : nullptr;
    return !(window && window->property(kHintsOff).toBool());
}

} // namespace ui
