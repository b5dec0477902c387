#include "widgets/typedentry.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace ui {

namespace {

constexpr const char* kEditorName = "typedEditor";

class TypedEntryFilter : public QObject {
public:
    TypedEntryFilter(QLabel* readout, TypedEntry entry)
        : QObject(readout), readout_(readout), entry_(std::move(entry)) {
        readout_->installEventFilter(this);
        readout_->setCursor(Qt::IBeamCursor);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == readout_ && event->type() == QEvent::MouseButtonPress && readout_->isEnabled() &&
            (!entry_.enabled || entry_.enabled())) {
            open();
            return true;
        }
        if (watched == editor_ && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            close();
            return true;
        }
        if (watched == editor_ && event->type() == QEvent::FocusOut) {
            close();
        }
        return false;
    }

private:
    void open() {
        if (editor_) {
            return;
        }
        editor_ = new QLineEdit(readout_->parentWidget());
        editor_->setObjectName(QLatin1String(kEditorName));
        editor_->setGeometry(readout_->geometry());
        editor_->setText(readout_->text().trimmed());
        editor_->selectAll();
        editor_->installEventFilter(this);
        connect(editor_, &QLineEdit::returnPressed, this, &TypedEntryFilter::commit);
        editor_->show();
        editor_->setFocus();
    }

    void commit() {
        const QString text = editor_ ? editor_->text() : QString();
        close();
        const std::optional<int> value = entry_.parse(text);
        if (!value) {
            QApplication::beep();
            return;
        }
        entry_.accept(*value);
    }

    void close() {
        if (QLineEdit* editor = editor_) {
            editor_ = nullptr;
            editor->removeEventFilter(this);
            editor->hide();
            editor->deleteLater();
        }
    }

    QLabel* readout_;
    TypedEntry entry_;
    QLineEdit* editor_ = nullptr;
};

} // namespace

void makeTypeable(QLabel* readout, TypedEntry entry) {
    new TypedEntryFilter(readout, std::move(entry));
}

QLineEdit* typedEditor(const QLabel* readout) {
    if (!readout->parentWidget()) {
        return nullptr;
    }
    for (QLineEdit* editor : readout->parentWidget()->findChildren<QLineEdit*>(QLatin1String(kEditorName))) {
        if (editor->isVisible() && editor->geometry() == readout->geometry()) {
            return editor;
        }
    }
    return nullptr;
}

} // namespace ui
