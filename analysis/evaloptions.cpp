#include "analysis/evaloptions.h"

#include "analysis/bragg.h"
#include "analysis/xraydata.h"

#include <QRegularExpression>

#include <cmath>

namespace analysis {

namespace {

const QString kCustom = QStringLiteral("custom");

int crystalIndex(const QString& name) {
    const auto crystals = knownCrystals();
    for (std::size_t i = 0; i < crystals.size(); ++i) {
        if (name.compare(QLatin1String(crystals[i].name), Qt::CaseInsensitive) == 0) {
            return static_cast<int>(i);
        }
    }
    return static_cast<int>(crystals.size());
}

bool positiveNumber(const QString& text, double& value) {
    bool ok = false;
    value = text.toDouble(&ok); // QString::toDouble: always a dot, whatever the locale
    return ok && std::isfinite(value) && value > 0;
}

// Applies one key=value word; false when the key is known but its value cannot be used, nothing
// when the key is not one of ours.
std::optional<bool> applyWord(EvalOptions& options, const QString& key, const QString& value) {
    double number = 0;
    if (key == QLatin1String("crystal")) {
        return setCrystal(options, value);
    }
    if (key == QLatin1String("d")) {
        return positiveNumber(value, number) && setCustomSpacing(options, number);
    }
    if (key == QLatin1String("anode")) {
        const int z = atomicNumber(value);
        if (z > 0) {
            options.anodeZ = z;
        }
        return z > 0;
    }
    if (key == QLatin1String("kv")) {
        const bool ok = positiveNumber(value, number);
        if (ok) {
            options.tubeKv = number;
        }
        return ok;
    }
    if (key == QLatin1String("tau") || key == QLatin1String("deadtime") ||
        key == QLatin1String("dead-time")) {
        const bool ok = value == QLatin1String("0") || positiveNumber(value, number);
        if (ok) {
            options.deadTimeUs = value == QLatin1String("0") ? 0 : number;
        }
        return ok;
    }
    if (key == QLatin1String("orders")) {
        bool ok = false;
        const int orders = value.toInt(&ok);
        ok = ok && orders >= 1 && orders <= kMaxOrders;
        if (ok) {
            options.orders = orders;
        }
        return ok;
    }
    return std::nullopt;
}

} // namespace

bool setCrystal(EvalOptions& options, QStringView name) {
    const std::optional<double> d = crystalSpacingPm(name);
    if (!d) {
        return false;
    }
    options.crystal = QLatin1String(knownCrystals()[crystalIndex(name.toString())].name);
    options.dPm = *d;
    return true;
}

bool setCustomSpacing(EvalOptions& options, double dPm) {
    if (!(dPm > 0) || !std::isfinite(dPm)) {
        return false;
    }
    options.crystal = kCustom;
    options.dPm = dPm;
    return true;
}

QString optionsProblem(const EvalOptions& options) {
    if (!(options.dPm > 0) || !std::isfinite(options.dPm)) {
        return QStringLiteral("The lattice spacing must be positive.");
    }
    if (elementSymbol(options.anodeZ).isEmpty() || characteristicLines(options.anodeZ).empty()) {
        return QStringLiteral("The anode element is not known.");
    }
    if (!(options.tubeKv >= 0) || !std::isfinite(options.tubeKv)) {
        return QStringLiteral("The tube voltage must not be negative.");
    }
    if (!(options.deadTimeUs >= 0) || !std::isfinite(options.deadTimeUs)) {
        return QStringLiteral("The dead time must not be negative.");
    }
    if (options.orders < 1 || options.orders > kMaxOrders) {
        return QStringLiteral("The number of orders must lie between 1 and %1.").arg(kMaxOrders);
    }
    return {};
}

EvalOptions applyComment(EvalOptions defaults, const QString& comment, QStringList* problems) {
    static const QRegularExpression word(QStringLiteral("([A-Za-z-]+)=(\\S+)"));
    for (const QString& line : comment.split(QRegularExpression(QStringLiteral("[\r\n]+")))) {
        bool used = false;
        for (const QRegularExpressionMatch& match : word.globalMatch(line)) {
            const QString key = match.captured(1).toLower();
            const std::optional<bool> applied = applyWord(defaults, key, match.captured(2));
            if (!applied) {
                continue;
            }
            used = true;
            if (!*applied && problems != nullptr) {
                problems->append(
                    QStringLiteral("The comment's \"%1\" cannot be used.").arg(match.captured(0)));
            }
        }
        if (used) {
            break;
        }
    }
    return defaults;
}

EvalOptions readEvalSettings(const ReadInt& read) {
    EvalOptions options;
    const int crystal = read(QStringLiteral("crystal"), 0);
    const auto crystals = knownCrystals();
    if (crystal >= 0 && crystal < static_cast<int>(crystals.size())) {
        setCrystal(options, QString::fromLatin1(crystals[crystal].name));
    } else if (crystal == static_cast<int>(crystals.size())) {
        setCustomSpacing(options, read(QStringLiteral("d"), 28201) / 100.0);
    }
    const int anode = read(QStringLiteral("anode"), options.anodeZ);
    if (!elementSymbol(anode).isEmpty() && !characteristicLines(anode).empty()) {
        options.anodeZ = anode;
    }
    options.tubeKv = std::max(0, read(QStringLiteral("kV"), 35));
    options.deadTimeUs = std::max(0, read(QStringLiteral("deadtime"), 0)) / 1000.0;
    const int orders = read(QStringLiteral("orders"), options.orders);
    if (orders >= 1 && orders <= kMaxOrders) {
        options.orders = orders;
    }
    return options;
}

void writeEvalSettings(const EvalOptions& options, const WriteInt& write) {
    const int crystal = crystalIndex(options.crystal);
    write(QStringLiteral("crystal"), crystal);
    if (crystal == static_cast<int>(knownCrystals().size())) {
        write(QStringLiteral("d"), static_cast<int>(std::lround(options.dPm * 100)));
    }
    write(QStringLiteral("anode"), options.anodeZ);
    write(QStringLiteral("kV"), static_cast<int>(std::lround(options.tubeKv)));
    write(QStringLiteral("deadtime"), static_cast<int>(std::lround(options.deadTimeUs * 1000)));
    write(QStringLiteral("orders"), options.orders);
}

} // namespace analysis
