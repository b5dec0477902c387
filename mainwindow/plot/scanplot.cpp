// The scan plot: its components, layout, displayed record and view state.
#include "mainwindow/plot/scanplot.h"

#include "mainwindow/plot/plotaxes.h"
#include "mainwindow/plot/plotcursors.h"
#include "mainwindow/plot/plotwidgets.h"
#include "records/trecdata.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QRubberBand>
#include <QScrollBar>
#include <QToolButton>

namespace {

constexpr int kToolSize = 25;

void setBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
}

} // namespace

ScanPlot::ScanPlot(QWidget* panel1, QWidget* toolParent) : QObject(panel1), panel1_(panel1) {
    setBackground(panel1_, plot::kBackground);
    panel1_->setAutoFillBackground(true);

    QFont font = panel1_->font();
    font.setPointSize(plot::kAxisFontPointSize);

    axes_ = new PlotAxesBox(*this, panel1_);
    axes_->setObjectName(QStringLiteral("PaintBox2"));
    axes_->setFont(font);
    axes_->setAttribute(Qt::WA_OpaquePaintEvent);

    area_ = new PlotScrollArea(*this, panel1_);
    area_->setObjectName(QStringLiteral("ScrollBox1"));
    area_->viewport()->setObjectName(QStringLiteral("PaintBox1"));
    area_->setFrameStyle(QFrame::Box | QFrame::Plain);
    area_->setLineWidth(1);
    QPalette framePalette = area_->palette();
    framePalette.setColor(QPalette::WindowText, plot::kLime);
    area_->setPalette(framePalette);
    setBackground(area_->viewport(), plot::kBackground);
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->horizontalScrollBar()->setSingleStep(1);
    area_->verticalScrollBar()->setSingleStep(1);

    panel4_ = new QFrame(panel1_);
    panel4_->setObjectName(QStringLiteral("Panel4"));
    panel4_->setAutoFillBackground(true);

    createTools(toolParent);
    band_ = new QRubberBand(QRubberBand::Rectangle, area_->viewport());
    panel1_->installEventFilter(this);
    Panel1Resize();
    setRecord(nullptr);
}

ScanPlot::~ScanPlot() {
    // The two widgets call back into the plot; they must not outlive it.
    delete axes_.data();
    delete area_.data();
}

void ScanPlot::createTools(QWidget* toolParent) {
    auto makeTool = [toolParent](const char* name, const QString& caption, const QString& hint) {
        auto* tool = new QToolButton(toolParent);
        tool->setObjectName(QString::fromLatin1(name));
        tool->setText(caption);
        tool->setToolTip(hint);
        tool->setFixedSize(kToolSize, kToolSize);
        return tool;
    };
    pointto_ = makeTool("pointto", QStringLiteral("?"), QStringLiteral("Show data under cursor"));
    zoomx_ = makeTool("zoomx", QStringLiteral("X"), QStringLiteral("Zoom X scale at cursor position"));
    zoomy_ = makeTool("zoomy", QStringLiteral("Y"), QStringLiteral("Zoom Y scale at cursor position"));
    unzoomx_ = makeTool("unzoomx", QStringLiteral("X"), QStringLiteral("Unyoom X scale"));
    unzoomy_ = makeTool("unzoomy", QStringLiteral("Y"), QStringLiteral("Unzoom Z scale"));
    linebtn_ = makeTool("linebtn", QString(), QString());
    linebtn_->setIcon(plot::lineModeIcon());
    errbars_ = makeTool("errbars", QStringLiteral("\u221aN"),
                        QStringLiteral("Show error bars of the counting statistics"));
    errbars_->setCheckable(true);

    tools_ = new QButtonGroup(this);
    tools_->setExclusive(true);
    for (QToolButton* tool : {pointto_, zoomx_, zoomy_}) {
        tool->setCheckable(true);
        tools_->addButton(tool);
    }
    pointto_->setChecked(true);
    linebtn_->setCheckable(true);
    linebtn_->setChecked(true);

    connect(pointto_, &QToolButton::clicked, this, &ScanPlot::pointtoClick);
    connect(zoomx_, &QToolButton::clicked, this, &ScanPlot::zoomxClick);
    connect(zoomy_, &QToolButton::clicked, this, &ScanPlot::zoomyClick);
    connect(unzoomx_, &QToolButton::clicked, this, &ScanPlot::unzoomxClick);
    connect(unzoomy_, &QToolButton::clicked, this, &ScanPlot::unzoomyClick);
    connect(linebtn_, &QToolButton::clicked, this, &ScanPlot::linebtnClick);
    connect(errbars_, &QToolButton::clicked, this, &ScanPlot::repaintCurve);

    coords_ = new QLabel(toolParent);
    coords_->setObjectName(QStringLiteral("coords"));
    coords_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    coords_->setMinimumWidth(180);
    coordsBragg_ = new QLabel(toolParent);
    coordsBragg_->setObjectName(QStringLiteral("coordsBragg"));
    coordsBragg_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
}

QWidget* ScanPlot::PaintBox2() const {
    return axes_;
}

QWidget* ScanPlot::ScrollBox1() const {
    return area_;
}

QWidget* ScanPlot::PaintBox1() const {
    return area_->viewport();
}

// ---- The displayed record ----

void ScanPlot::setRecord(trecdata* record) {
    if (record != record_) {
        evalMarks_.reset();
    }
    record_ = record;
    freeScaleX_.reset();
    freeY_ = false;
    zoomXLevel_ = 0;
    zoomYLevel_ = 0;
    scrollRangeX_ = 0;
    scrollRangeY_ = 0;
    applyScrollRanges();
    setScrollPositions(0, 0);
    pointto_->setEnabled(record_ != nullptr);
    if (record_ == nullptr) {
        for (QToolButton* tool : {zoomx_, unzoomx_, zoomy_, unzoomy_}) {
            tool->setEnabled(false);
        }
        coords_->clear();
        coordsBragg_->clear();
    }
    pressPointto();
    panel4_->setEnabled(record_ != nullptr);
    if (record_ != nullptr) {
        showUnzoomed();
    } else {
        repaintAll();
    }
}

void ScanPlot::setEvalMarks(std::optional<plot::EvalMarks> marks) {
    evalMarks_ = std::move(marks);
    repaintCurve();
}

void ScanPlot::setOverlays(std::vector<plot::Overlay> overlays, const QString& shownLabel) {
    overlays_ = std::move(overlays);
    shownLabel_ = shownLabel;
    repaintCurve();
}

std::vector<plot::LegendLine> ScanPlot::legend() const {
    if (record_ == nullptr) {
        return {};
    }
    return plot::legendLines(*record_, shownLabel_, overlays_, false);
}

void ScanPlot::showUnzoomed() {
    freeScaleX_.reset();
    freeY_ = false;
    zoomXLevel_ = 0;
    scrollRangeX_ = 0;
    applyScrollRanges();
    setScrollPositions(0, scrollPosY());
    setToolEnabled(zoomx_, record_ != nullptr && record_->ZoomXLimit() > 0);
    setToolEnabled(unzoomx_, false);
    resetVerticalZoom();
}

// ---- View state ----

int ScanPlot::scrollPosX() const {
    return area_->horizontalScrollBar()->value();
}

int ScanPlot::scrollPosY() const {
    return area_->verticalScrollBar()->value();
}

void ScanPlot::saveViewTo(trecdata& record) const {
    record.zoomXLevel = zoomXLevel_;
    record.zoomYLevel = zoomYLevel_;
    record.scrollPosX = scrollPosX();
    record.scrollPosY = scrollPosY();
    record.scrollRangeX = scrollRangeX_;
    record.scrollRangeY = scrollRangeY_;
}

int ScanPlot::clientWidth() const {
    return area_->viewport()->width();
}

int ScanPlot::clientHeight() const {
    return area_->viewport()->height();
}

QSize ScanPlot::curveAreaSize() const {
    return area_->size();
}

plot::Scale ScanPlot::horizontalScale() const {
    if (record_ == nullptr) {
        return {};
    }
    if (freeScaleX_) {
        return *freeScaleX_;
    }
    return plot::horizontalScale(clientWidth(), record_->ViewSpan(), scrollRangeX_, record_->ZoomXLimit(),
                                 zoomXLevel_);
}

printing::PrintView ScanPlot::printView() const {
    printing::PrintView view;
    view.axesBox = PaintBox2()->size();
    view.curveArea = curveAreaSize();
    view.scrollRangeX = scrollRangeX_;
    view.scrollPosX = scrollPosX();
    view.scrollRangeY = scrollRangeY_;
    view.scrollPosY = scrollPosY();
    view.zoomXLevel = zoomXLevel_;
    view.freeScaleX = freeScaleX_;
    view.pointMode = linebtn_->isChecked();
    view.errorBars = errbars_->isChecked();
    view.overlays = overlays_;
    const int pointSize = PaintBox2()->font().pointSize();
    view.screenPointSize = pointSize > 0 ? pointSize : plot::kAxisFontPointSize;
    return view;
}

void ScanPlot::applyScrollRanges() {
    // A scroll range narrower than the visible area does not scroll: the curve is stretched instead.
    QScrollBar* horizontal = area_->horizontalScrollBar();
    horizontal->setRange(0, std::max(scrollRangeX_ - clientWidth(), 0));
    horizontal->setPageStep(std::max(clientWidth(), 1));
    QScrollBar* vertical = area_->verticalScrollBar();
    vertical->setRange(0, std::max(scrollRangeY_ - clientHeight(), 0));
    vertical->setPageStep(std::max(clientHeight(), 1));
}

void ScanPlot::setScrollPositions(int x, int y) {
    area_->horizontalScrollBar()->setValue(x);
    area_->verticalScrollBar()->setValue(y);
}

int ScanPlot::highestVerticalLevel() const {
    return record_ != nullptr ? plot::highestVerticalZoomLevel(record_->rangeIndex) : 0;
}

// ---- Repaints ----

void ScanPlot::repaintAxes() {
    axes_->update();
}

void ScanPlot::repaintScrollArea() {
    area_->update();
}

void ScanPlot::repaintCurve() {
    area_->viewport()->update();
}

void ScanPlot::repaintAll() {
    repaintAxes();
    repaintScrollArea();
    repaintCurve();
}

void ScanPlot::invalidateHeader() {
    axes_->update(
        QRect(plot::kCurveLeft, 0, std::max(axes_->width() - plot::kCurveLeft, 0), plot::kCurveTop));
}

// ---- Layout ----

void ScanPlot::Panel1Resize() {
    const plot::PlotLayout layout = plot::plotLayout(panel1_->size());
    axes_->setGeometry(layout.axes);
    area_->setGeometry(layout.curveArea);
    panel4_->setGeometry(layout.settingsStrip);
}

void ScanPlot::ScrollBox1Resize() {
    applyScrollRanges();
    repaintCurve();
    if (zoomYLevel_ == 0) {
        repaintAxes();
    }
}

bool ScanPlot::eventFilter(QObject* watched, QEvent* event) {
    if (watched == panel1_ && event->type() == QEvent::Resize) {
        Panel1Resize();
    }
    return QObject::eventFilter(watched, event);
}
