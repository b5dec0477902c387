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
    PageLayout layout;
    const int n = std::max(commentLineCount, 0);
    layout.lineHeight = lineHeight;
    layout.title = QRect(0, 0, page.width(), lineHeight);
    for (int i = 0; i < n; ++i) {
        layout.comment.push_back(page.height() - (n - i) * lineHeight);
    }
    layout.plotArea =
        QRect(0, lineHeight, page.width(), std::max(page.height() - lineHeight - n * lineHeight, 0));
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

QRect curveFrame(QSize curveArea) {
    return QRect(QPoint(plot::kCurveLeft, plot::kCurveTop),
                 QPoint(curveArea.width() + plot::kCurveLeft, curveArea.height() + plot::kCurveTop + 1));
}

} // namespace printing
