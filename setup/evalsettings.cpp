#include "setup/evalsettings.h"

#include "analysis/bragg.h"
#include "analysis/xraydata.h"
#include "engine/evalprofile.h"
#include "engine/profilefile.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace evalsettings {

namespace {

engine::ProfileFile settingsFile(const QString& path) {
    return engine::ProfileFile(path.isEmpty() ? engine::ProfileFile::defaultPath() : path);
}

} // namespace

analysis::EvalOptions load(const QString& path) {
    return engine::loadEvalOptions(settingsFile(path));
}

bool save(const QString& path, const analysis::EvalOptions& options) {
    engine::ProfileFile file = settingsFile(path);
    return engine::saveEvalOptions(file, options);
}

const std::vector<int>& offeredAnodes() {
    // The anodes of teaching tubes: Cr, Fe, Co, Cu, Mo, Rh, Ag, W.
    static const std::vector<int> anodes = {24, 26, 27, 29, 42, 45, 47, 74};
    return anodes;
}

} // namespace evalsettings

namespace {

constexpr const char* kCustomItem = "custom d";

QDoubleSpinBox* makeNumber(QWidget* parent, const char* name, double low, double high, int decimals,
                           const QString& suffix) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(low, high);
    box->setDecimals(decimals);
    box->setSuffix(suffix);
    // Typed values use '.', like every number the program reads.
    box->setLocale(QLocale::c());
    return box;
}

} // namespace

EvalSettingsDialog::EvalSettingsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("EvalSettingsDialog"));
    setWindowTitle(QStringLiteral("Evaluation settings"));

    crystal = new QComboBox(this);
    crystal->setObjectName(QStringLiteral("crystal"));
    for (const analysis::Crystal& known : analysis::knownCrystals()) {
        crystal->addItem(QLatin1String(known.name));
    }
    crystal->addItem(QLatin1String(kCustomItem));
    dPm = makeNumber(this, "dPm", 1, 10000, 2, QStringLiteral(" pm"));
    anode = new QComboBox(this);
    anode->setObjectName(QStringLiteral("anode"));
    for (const int z : evalsettings::offeredAnodes()) {
        anode->addItem(analysis::elementSymbol(z), z);
    }
    tubeKv = makeNumber(this, "tubeKv", 0, 100, 0, QStringLiteral(" kV"));
    tubeKv->setSpecialValueText(QStringLiteral("unknown"));
    deadTimeUs = makeNumber(this, "deadTimeUs", 0, 1000, 1, QStringLiteral(" \u00b5s"));
    deadTimeUs->setSpecialValueText(QStringLiteral("off"));
    orders = new QSpinBox(this);
    orders->setObjectName(QStringLiteral("orders"));
    orders->setRange(1, analysis::kMaxOrders);
    problem = new QLabel(this);
    problem->setObjectName(QStringLiteral("problem"));
    problem->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Crystal"), crystal);
    form->addRow(QStringLiteral("Lattice spacing d"), dPm);
    form->addRow(QStringLiteral("Anode"), anode);
    form->addRow(QStringLiteral("Tube voltage"), tubeKv);
    form->addRow(QStringLiteral("Dead time"), deadTimeUs);
    form->addRow(QStringLiteral("Orders"), orders);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(problem);
    column->addWidget(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);

    connect(crystal, &QComboBox::currentIndexChanged, this, &EvalSettingsDialog::crystalChanged);
    connect(buttons, &QDialogButtonBox::accepted, this, &EvalSettingsDialog::okClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showOptions({});
}

void EvalSettingsDialog::showOptions(const analysis::EvalOptions& options) {
    const int known = crystal->findText(options.crystal, Qt::MatchFixedString);
    crystal->setCurrentIndex(known >= 0 ? known : crystal->count() - 1);
    dPm->setValue(options.dPm);
    dPm->setEnabled(crystal->currentIndex() == crystal->count() - 1);
    int anodeIndex = anode->findData(options.anodeZ);
    if (anodeIndex < 0) {
        // An anode from the settings file that the list does not offer stays choosable.
        anode->addItem(analysis::elementSymbol(options.anodeZ), options.anodeZ);
        anodeIndex = anode->count() - 1;
    }
    anode->setCurrentIndex(anodeIndex);
    tubeKv->setValue(options.tubeKv);
    deadTimeUs->setValue(options.deadTimeUs);
    orders->setValue(options.orders);
    problem->clear();
}

analysis::EvalOptions EvalSettingsDialog::chosenOptions() const {
    analysis::EvalOptions options;
    if (crystal->currentIndex() == crystal->count() - 1) {
        analysis::setCustomSpacing(options, dPm->value());
    } else {
        analysis::setCrystal(options, crystal->currentText());
    }
    options.anodeZ = anode->currentData().toInt();
    options.tubeKv = tubeKv->value();
    options.deadTimeUs = deadTimeUs->value();
    options.orders = orders->value();
    return options;
}

void EvalSettingsDialog::crystalChanged() {
    const bool custom = crystal->currentIndex() == crystal->count() - 1;
    dPm->setEnabled(custom);
    if (!custom) {
        if (const auto d = analysis::crystalSpacingPm(crystal->currentText())) {
            dPm->setValue(*d);
        }
    }
}

void EvalSettingsDialog::okClicked() {
    const analysis::EvalOptions options = chosenOptions();
    const QString why = analysis::optionsProblem(options);
    if (!why.isEmpty()) {
        problem->setText(why);
        return;
    }
    if (!evalsettings::save(settingsPath_, options)) {
        problem->setText(QStringLiteral("The settings file cannot be written."));
        return;
    }
    accept();
    emit optionsChanged(options);
}

bool EvalSettingsDialog::edit() {
    showOptions(evalsettings::load(settingsPath_));
    return exec() == QDialog::Accepted;
}
