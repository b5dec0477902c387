#include "mainwindow/evalresults.h"

#include "mainwindow/plot/resulttable.h"
#include "widgets/messages.h"

#include "analysis/evaluation.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

EvalResultsWindow::EvalResultsWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("EvalResultsWindow"));
    setWindowTitle(QStringLiteral("Evaluation results"));
    recordName = new QLabel(this);
    recordName->setObjectName(QStringLiteral("recordName"));
    peaks = new QTableWidget(this);
    peaks->setObjectName(QStringLiteral("peaks"));
    peaks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    peaks->verticalHeader()->hide();
    peaks->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    summary = new QLabel(this);
    summary->setObjectName(QStringLiteral("summary"));
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary->setWordWrap(true);
    copyButton = new QPushButton(QStringLiteral("Copy"), this);
    copyButton->setObjectName(QStringLiteral("copyButton"));
    saveButton = new QPushButton(QStringLiteral("Save CSV..."), this);
    saveButton->setObjectName(QStringLiteral("saveButton"));
    closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    for (QPushButton* button : {copyButton, saveButton, closeButton}) {
        button->setAutoDefault(false);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copyButton);
    buttons->addWidget(saveButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* column = new QVBoxLayout(this);
    column->addWidget(recordName);
    column->addWidget(peaks, 1);
    column->addWidget(summary);
    column->addLayout(buttons);
    resize(640, 360);

    askCsvFileName = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Save results"), QString(),
                                            QStringLiteral("CSV file (*.csv)"));
    };
    connect(copyButton, &QPushButton::clicked, this, &EvalResultsWindow::copyClick);
    connect(saveButton, &QPushButton::clicked, this, &EvalResultsWindow::saveClick);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::hide);
    showResult(QString(), nullptr);
}

void EvalResultsWindow::showResult(const QString& title,
                                   std::shared_ptr<const analysis::SpectrumResult> result) {
    result_ = std::move(result);
    copyButton->setEnabled(result_ != nullptr);
    saveButton->setEnabled(result_ != nullptr);
    if (!result_) {
        recordName->setText(title.isEmpty() ? QStringLiteral("No record")
                                            : title + QStringLiteral(": not evaluated"));
        peaks->clear();
        peaks->setRowCount(0);
        peaks->setColumnCount(0);
        summary->clear();
        return;
    }
    recordName->setText(title);
    const plot::ResultTable table = plot::resultTable(*result_);
    peaks->clear();
    peaks->setColumnCount(static_cast<int>(table.header.size()));
    peaks->setHorizontalHeaderLabels(table.header);
    peaks->setRowCount(static_cast<int>(table.rows.size()));
    for (std::size_t row = 0; row < table.rows.size(); ++row) {
        for (qsizetype column = 0; column < table.rows[row].size(); ++column) {
            auto* item = new QTableWidgetItem(table.rows[row][column]);
            item->setTextAlignment(column == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                               : Qt::AlignRight | Qt::AlignVCenter);
            peaks->setItem(static_cast<int>(row), static_cast<int>(column), item);
        }
    }
    summary->setText(table.summary.join(QLatin1Char('\n')));
}

void EvalResultsWindow::copyClick() {
    if (result_) {
        QApplication::clipboard()->setText(plot::tableTsv(plot::resultTable(*result_)));
    }
}

void EvalResultsWindow::saveClick() {
    if (!result_) {
        return;
    }
    QString path = askCsvFileName();
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".csv");
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(plot::resultsCsv(*result_)) < 0 || !file.commit()) {
        ui::showError(this, QStringLiteral("Cannot write %1").arg(path));
    }
}

void EvalResultsWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Placed over the main window, the window can reach past the screen's edge at a large scaling:
    // it is kept within the screen's available area, so its buttons stay in reach.
    const QScreen* shownOn = screen();
    if (!shownOn)
        return;
    const QRect area = shownOn->availableGeometry();
    const QSize border = frameGeometry().size() - size();
    resize(size().boundedTo(area.size() - border));
    const QRect frame = frameGeometry();
    const int left =
        std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() + 1 - frame.width()));
    const int top =
        std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height()));
    move(left, top);
}
