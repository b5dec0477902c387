#include "mainwindow/plot/printgeometry.h"

#include "mainwindow/plot/plotgeometry.h"

#include <QRegularExpression>

#include <algorithm>

namespace printing {

int lineHeight(int textHeight) {
    return textHeight * 5 / 4;
}

QStringList commentLines(const QString& comment) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = comment.split(lineBreak);
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

PageLayout pageLayout(QSize page, int lineHeight, int commentLineCount) {
    return pageLayout(page, lineHeight, PageLines{0, 0, commentLineCount});
}

PageLayout pageLayout(QSize page, int lineHeight, const PageLines& lines) {
    PageLayout layout;
    const int info = std::max(lines.info, 0);
    const int table = std::max(lines.table, 0);
    const int n = std::max(lines.comment, 0);
    layout.lineHeight = lineHeight;
    layout.title = QRect(0, 0, page.width(), lineHeight);
    for (int i = 0; i < info; ++i) {
        layout.info.push_back((i + 1) * lineHeight);
    }
    for (int i = 0; i < table; ++i) {
        layout.table.push_back(page.height() - (n + table - i) * lineHeight);
    }
    for (int i = 0; i < n; ++i) {
        layout.comment.push_back(page.height() - (n - i) * lineHeight);
    }
    const int top = (1 + info) * lineHeight;
    layout.plotArea =
        QRect(0, top, page.width(), std::max(page.height() - top - (table + n) * lineHeight, 0));
    return layout;
}

QSize plotWindow(QSize axesBox) {
    return {axesBox.width(), axesBox.height() + kBelowAxesBox};
}

QTransform plotTransform(QSize window, const QRect& area) {
    if (window.width() <= 0 || window.height() <= 0) {
        return QTransform::fromTranslate(area.left(), area.top());
    }
    const double scale = std::min(static_cast<double>(area.width()) / window.width(),
                                  static_cast<double>(area.height()) / window.height());
    QTransform transform;
    transform.translate(area.left(), area.top());
    transform.scale(scale, scale);
    return transform;
}

QSize filledWindow(QSize window, QSize area) {
    if (window.width() <= 0 || window.height() <= 0 || area.width() <= 0 || area.height() <= 0) {
        return window;
    }
    // Compare the shapes by cross-multiplying, in 64 bits; the grown side is rounded down so that
    // the window still fits the area.
    const qint64 wide = qint64(window.width()) * area.height();
    const qint64 tall = qint64(window.height()) * area.width();
    if (wide > tall) {
        return {window.width(), static_cast<int>(qint64(window.width()) * area.height() / area.width())};
    }
    return {static_cast<int>(qint64(window.height()) * area.width() / area.height()), window.height()};
}

QRect curveFrame(QSize curveArea) {
    return QRect(QPoint(plot::kCurveLeft, plot::kCurveTop),
                 QPoint(curveArea.width() + plot::kCurveLeft, curveArea.height() + plot::kCurveTop + 1));
}

} // namespace printing
