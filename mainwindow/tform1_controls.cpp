// The main window's controls: creation, captions, hints and the wiring of their handlers.
#include "mainwindow/tform1.h"

#include "mainwindow/plot/scanplot.h"
#include "widgets/controls.h"
#include "widgets/glyphs.h"
#include "widgets/spinbutton.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>

namespace {

constexpr int kToolButton = 23; // square tool buttons of the bottom bar
constexpr int kButtonHeight = 25;
constexpr int kReadoutHeight = 21;
constexpr int kRegionRowHeight = 16;
constexpr int kRegionColumnWidth = 60;

SpeedButton* makeSpeedButton(QWidget* parent, const char* name, ui::Glyph picture, const QString& hint,
                             int left) {
    auto* button = new SpeedButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(ui::glyph(picture));
    button->setToolTip(hint);
    button->setGeometry(left, 8, kToolButton, kToolButton - 1);
    return button;
}

SpeedButton* makeToggle(QWidget* parent, const char* name, ui::Glyph picture, const QString& hint, int left) {
    SpeedButton* button = makeSpeedButton(parent, name, picture, hint, left);
    button->setCheckable(true);
    return button;
}

QPushButton* makeBitBtn(QWidget* parent, const char* name, ui::Glyph picture, const QString& caption,
                        const QString& hint, int width) {
    auto* button = new QPushButton(ui::glyph(picture), caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::TabFocus);
    button->setAutoDefault(false);
    button->resize(width, kButtonHeight);
    button->move(0, 6);
    return button;
}

QLabel* makeNamedReadout(QWidget* parent, const char* name, QRect place) {
    QLabel* readout = ui::makeReadout(parent);
    readout->setObjectName(QLatin1String(name));
    readout->setGeometry(place);
    return readout;
}

SpinButton* makeSpin(QWidget* parent, const char* name, int tag, int x, int y) {
    auto* button = new SpinButton(tag, parent);
    button->setObjectName(QLatin1String(name));
    button->move(x, y);
    return button;
}

QComboBox* makeList(QWidget* parent, const char* name, const QStringList& items, QRect place) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->addItems(items);
    list->setGeometry(place);
    return list;
}

// `arangesDrawCell`: the header row on the grid's fixed colour, the regions on its own colour; the
// text right-aligned 8 pixels in from the cell's right edge, 2 pixels below its top; the row of the
// selected region in bold.
class RegionCellPainter : public QStyledItemDelegate {
public:
    RegionCellPainter(const TForm1& form, QObject* parent) : QStyledItemDelegate(parent), form_(form) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QPalette& colours = option.palette;
        const int row = index.row();
        painter->fillRect(option.rect, row == 0 ? colours.button() : colours.base());
        QFont font = option.font;
        font.setBold(row > 0 && row == form_.selectedRegionButton());
        painter->setFont(font);
        painter->setPen(colours.color(QPalette::Text));
        const QRect text = option.rect.adjusted(0, 2, -8, 0);
        painter->drawText(text, Qt::AlignRight | Qt::AlignTop, index.data().toString());
    }

private:
    const TForm1& form_;
};

} // namespace

void TForm1::createBottomBar() {
    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Raised);

    rec = makeToggle(Panel2, "rec", ui::Glyph::record, QStringLiteral("Start scaning"), 8);
    _pause = makeToggle(Panel2, "_pause", ui::Glyph::pause, QStringLiteral("Pause scanning"), 32);
    _stop = makeSpeedButton(Panel2, "_stop", ui::Glyph::stop, QStringLiteral("Stop scanning"), 56);
    ssleft = makeSpeedButton(Panel2, "ssleft", ui::Glyph::fastDown,
                             QStringLiteral("Move arm continuously down"), 96);
    sleft =
        makeSpeedButton(Panel2, "sleft", ui::Glyph::stepDown, QStringLiteral("Move arm 0.05 deg down"), 120);
    sright =
        makeSpeedButton(Panel2, "sright", ui::Glyph::stepUp, QStringLiteral("Move arm 0.05 deg up"), 144);
    ssright = makeSpeedButton(Panel2, "ssright", ui::Glyph::fastUp,
                              QStringLiteral("Move arm continuously up"), 168);
    HV = makeToggle(Panel2, "HV", ui::Glyph::highVoltage, QStringLiteral("Turn HV on/off"), 208);
    speaker = makeToggle(Panel2, "speaker", ui::Glyph::speaker, QStringLiteral("Turn speaker on/off"), 240);

    BitBtn3 = makeBitBtn(Panel2, "BitBtn3", ui::Glyph::reset, QStringLiteral("Reset"),
                         QStringLiteral("Clear scan data"), 66);
    BitBtn3->move(272, 6);
    smode = new QPushButton(QStringLiteral("SM"), Panel2);
    smode->setObjectName(QStringLiteral("smode"));
    smode->setAutoDefault(false);
    smode->setGeometry(344, 6, 41, kButtonHeight);
    BitBtn4 = makeBitBtn(Panel2, "BitBtn4", ui::Glyph::save, QStringLiteral("Save"),
                         QStringLiteral("Save scan"), 75);
    BitBtn5 = makeBitBtn(Panel2, "BitBtn5", ui::Glyph::load, QStringLiteral("Load"),
                         QStringLiteral("Load saved scan"), 75);
    BitBtn2 = makeBitBtn(Panel2, "BitBtn2", ui::Glyph::close, QStringLiteral("Close"),
                         QStringLiteral("Remove current scan from a list"), 75);
    SpeedButton2 =
        makeSpeedButton(Panel2, "SpeedButton2", ui::Glyph::print, QStringLiteral("print current scan"), 0);
    SpeedButton2->resize(kButtonHeight, kButtonHeight);
    SpeedButton2->move(0, 6);
    setup = makeBitBtn(Panel2, "setup", ui::Glyph::setup, QStringLiteral("Setup"),
                       QStringLiteral("Go to setup dialog box"), 75);
    BitBtn7 = makeBitBtn(Panel2, "BitBtn7", ui::Glyph::exit, QStringLiteral("Exit"), QString(), 75);
}

void TForm1::createUpperArea() {
    Panel3 = new QFrame(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));

    // Two rows of read-outs above the plot, each with its label at the left.
    struct Place {
        const char* label;
        int labelX;
        int x;
        int width;
        int row;
    };
    constexpr std::array<Place, 6> places = {{{"Intensity:", 16, 72, 100, 0},
                                              {"Arm position:", 184, 260, 76, 0},
                                              {"X-ray Tube Current:", 346, 460, 76, 0},
                                              {"Detector HV:", 548, 622, 60, 0},
                                              {"Status:", 16, 72, 264, 1},
                                              {"Data:", 346, 460, 196, 1}}};
    std::array<QLabel*, 6> fields{};
    const char* names[] = {"CV", "CA", "CI", "CHV", "scanstate"};
    for (std::size_t i = 0; i < places.size(); ++i) {
        const Place& place = places[i];
        const int y = 6 + place.row * 25;
        readoutLabels[i] = ui::makeLabel(Panel3, QLatin1String(place.label), place.labelX, y + 3);
        if (i < 5)
            fields[i] = makeNamedReadout(Panel3, names[i], {place.x, y, place.width, kReadoutHeight});
    }
    CV = fields[0];
    CA = fields[1];
    CI = fields[2];
    CHV = fields[3];
    scanstate = fields[4];
    scanstate->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    offseton = new SpeedButton(Panel3);
    offseton->setObjectName(QStringLiteral("offseton"));
    offseton->setCheckable(true);
    offseton->setText(QStringLiteral("+/-"));
    offseton->setToolButtonStyle(Qt::ToolButtonTextOnly);
    offseton->setGeometry(668, 31, kToolButton, kToolButton - 1);
    Label10 = ui::makeLabel(Panel3, QStringLiteral("Offset Enabled"), 696, 35, true);
    Label10->setObjectName(QStringLiteral("Label10"));

    SpeedButton3 = new SpeedButton(Panel3);
    SpeedButton3->setObjectName(QStringLiteral("SpeedButton3"));
    SpeedButton3->setIcon(ui::glyph(ui::Glyph::help));
    SpeedButton3->setToolTip(QStringLiteral("Opens help system"));
    SpeedButton3->resize(kButtonHeight, kButtonHeight);
    SpeedButton3->move(0, 6);

    Panel1 = new QFrame(Panel3);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(kMargin, 56, 800 - 2 * kMargin, 570 - 121);
    plot = new ScanPlot(Panel1, Panel3);
    QLabel* coords = plot->coords();
    coords->setGeometry(places[5].x, 6 + 25, places[5].width, kReadoutHeight);
    coords->setAutoFillBackground(true);
    QPalette palette = coords->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Base));
    coords->setPalette(palette);

    viewRecordLabel = new QLabel(QStringLiteral("View record"), Panel3);
    viewRecordLabel->adjustSize();
    // Narrower than the settings strip by the compare buttons and the error bar switch after it.
    lista =
        makeList(Panel3, "lista", {QStringLiteral("Live at 0.5 deg angular res.")}, {176, 0, 352 - 81, 22});
    lista->setToolTip(QStringLiteral("Select record to display"));
    createCompareButtons();
    commentLabel = new QLabel(QStringLiteral("Comment"), Panel3);
    commentLabel->adjustSize();
    comment = new QPlainTextEdit(Panel3);
    comment->setObjectName(QStringLiteral("comment"));
    comment->setLineWrapMode(QPlainTextEdit::NoWrap);
    comment->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    comment->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    comment->setTabChangesFocus(true);
    comment->setGeometry(176, 0, 352, 22);
    comment->document()->setDocumentMargin(2);

    createRegionPanel();
    createSettingsStrip();
}

void TForm1::createRegionPanel() {
    Panel5 = new QFrame(Panel3);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    Panel5->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel5->setAutoFillBackground(true);
    regionsLabel = ui::makeLabel(Panel5, QStringLiteral("Regions of interest"), 0, 4, true);

    rngbutton = new QPushButton(QStringLiteral("Edit ROI"), Panel5);
    rngbutton->setObjectName(QStringLiteral("rngbutton"));
    rngbutton->setToolTip(QStringLiteral("Define area of interest"));
    rngbutton->setAutoDefault(false);
    rngbutton->setGeometry(8, 40, 75, kButtonHeight);

    aranges = new QTableWidget(6, 2, Panel5);
    aranges->setObjectName(QStringLiteral("aranges"));
    aranges->horizontalHeader()->hide();
    aranges->verticalHeader()->hide();
    aranges->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    aranges->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    aranges->setEditTriggers(QAbstractItemView::NoEditTriggers);
    aranges->setSelectionMode(QAbstractItemView::NoSelection);
    aranges->setFocusPolicy(Qt::NoFocus);
    aranges->setItemDelegate(new RegionCellPainter(*this, aranges));
    QFont gridFont = aranges->font();
    gridFont.setPixelSize(9);
    aranges->setFont(gridFont);
    for (int column = 0; column < 2; ++column)
        aranges->setColumnWidth(column, kRegionColumnWidth);
    for (int row = 0; row < 6; ++row) {
        aranges->setRowHeight(row, kRegionRowHeight);
        for (int column = 0; column < 2; ++column)
            aranges->setItem(row, column, new QTableWidgetItem);
    }
    const int frame = 2 * aranges->frameWidth();
    aranges->resize(2 * kRegionColumnWidth + frame + 1, 6 * kRegionRowHeight + frame + 1);

    const char* names[] = {"dall", "d1", "d2", "d3", "d4", "d5"};
    for (int i = 0; i < 6; ++i) {
        auto* button = new SpeedButton(Panel5);
        button->setObjectName(QLatin1String(names[i]));
        button->setCheckable(true);
        button->setAllowAllUp(false);
        button->setText(i == 0 ? QStringLiteral("All") : QString::number(i));
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setAutoExclusive(true);
        button->resize(28, kRegionRowHeight);
        if (i == 0)
            dall = button;
        else
            d[static_cast<std::size_t>(i - 1)] = button;
    }
    dall->setChecked(true);
}

void TForm1::createSettingsStrip() {
    QFrame* strip = plot->Panel4();
    // The strip is an ordinary panel inside the dark plot panel: it takes the usual colours.
    QPalette colours = strip->palette();
    const QPalette standard = QApplication::palette();
    for (const QPalette::ColorRole role : {QPalette::Window, QPalette::WindowText, QPalette::Base,
                                           QPalette::Text, QPalette::Button, QPalette::ButtonText}) {
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            colours.setColor(group, role, standard.color(group, role));
    }
    strip->setPalette(colours);
    strip->setFrameStyle(QFrame::Panel | QFrame::Raised);

    // Labels above their controls; a long one wraps onto a second line.
    const auto caption = [strip](const QString& text, int x, int width) {
        auto* label = new QLabel(text, strip);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        label->setGeometry(x, 2, width, 28);
        return label;
    };
    ui::makeLabel(strip, QStringLiteral("Counting time"), 6, 3);
    ui::makeLabel(strip, QStringLiteral("per step [s] "), 6, 16);
    sfrq = makeNamedReadout(strip, "sfrq", {6, 31, 52, kReadoutHeight});
    SpinButton3 = makeSpin(strip, "SpinButton3", 100, 60, 29);
    SpinButton2 = makeSpin(strip, "SpinButton2", 10, 81, 29);
    SpinButton1 = makeSpin(strip, "SpinButton1", 1, 102, 29);

    caption(QStringLiteral("Angular res. [deg]"), 132, 84);
    st = makeList(strip, "st",
                  {QStringLiteral("0.5 deg"), QStringLiteral("0.2 deg"), QStringLiteral("0.1 deg"),
                   QStringLiteral("0.05 deg")},
                  {132, 30, 84, 22});
    caption(QStringLiteral("Experiment Length"), 224, 84);
    tl = makeNamedReadout(strip, "tl", {224, 31, 84, kReadoutHeight});
    caption(QStringLiteral("Range"), 316, 90);
    QStringList ranges = {QStringLiteral("auto")};
    for (const char* scale : {"50", "100", "200", "500", "1000", "2000", "5000", "10000", "20000", "50000"})
        ranges << QLatin1String(scale) + QStringLiteral(" cps");
    range = makeList(strip, "range", ranges, {316, 30, 90, 22});
    caption(QStringLiteral("Detector HV [V]"), 414, 98);
    HVctrl = makeNamedReadout(strip, "HVctrl", {414, 31, 56, kReadoutHeight});
    SpinButton5 = makeSpin(strip, "SpinButton5", 50, 472, 29);
    SpinButton4 = makeSpin(strip, "SpinButton4", 5, 493, 29);
}

void TForm1::connectHandlers() {
    connect(rec, &SpeedButton::clicked, this, &TForm1::recClick);
    connect(_pause, &SpeedButton::clicked, this, &TForm1::_pauseClick);
    connect(_stop, &SpeedButton::clicked, this, &TForm1::_stopClick);
    connect(HV, &SpeedButton::clicked, this, &TForm1::HVClick);
    connect(speaker, &SpeedButton::clicked, this, &TForm1::speakerClick);
    connect(sleft, &SpeedButton::clicked, this, &TForm1::sleftClick);
    connect(sright, &SpeedButton::clicked, this, &TForm1::srightClick);
    ssleft->installEventFilter(this);
    ssright->installEventFilter(this);
    ui::connectSpinGroup({SpinButton1, SpinButton2, SpinButton3}, this,
                         [this](int step, bool up) { SpinButton3Click(step, up); });
    ui::connectSpinGroup({SpinButton4, SpinButton5}, this,
                         [this](int step, bool up) { SpinButton5Click(step, up); });
    makeSettingsTypeable();
    connect(st, &QComboBox::activated, this, &TForm1::stChange);
    connect(range, &QComboBox::activated, this, [this] { rangeChange(true); });
    connect(lista, &QComboBox::activated, this, &TForm1::listaChange);
    connect(comment, &QPlainTextEdit::textChanged, this, &TForm1::commentChange);
    connect(offseton, &SpeedButton::clicked, this, &TForm1::offsetonClick);
    connect(smode, &QPushButton::clicked, this, &TForm1::smodeClick);
    connect(setup, &QPushButton::clicked, this, &TForm1::setupClick);
    connect(SpeedButton3, &SpeedButton::clicked, this, &TForm1::SpeedButton3Click);
    connect(BitBtn7, &QPushButton::clicked, this, &QWidget::close);
    connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &TForm1::BitBtn3Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TForm1::BitBtn4Click);
    connect(BitBtn5, &QPushButton::clicked, this, &TForm1::BitBtn5Click);
    connect(rngbutton, &QPushButton::clicked, this, &TForm1::rngbuttonClick);
    connect(SpeedButton2, &SpeedButton::clicked, this, &TForm1::SpeedButton2Click);
    connect(dall, &SpeedButton::clicked, this, &TForm1::d1Click);
    for (SpeedButton* button : d)
        connect(button, &SpeedButton::clicked, this, &TForm1::d1Click);
    Panel2->installEventFilter(this);
    Panel3->installEventFilter(this);
}
