#include "records/transmission.h"

#include <cmath>
#include <vector>

namespace records {

namespace {

double secondsOf(int countingTenths) {
    return countingTenths / 10.0;
}

} // namespace

bool isTransmission(const trecdata& record) {
    return record.countingTime == 0;
}

std::optional<double> rateUncertainty(double rate, int countingTenths) {
    if (!(rate >= 0) || countingTenths <= 0) {
        return std::nullopt;
    }
    return std::sqrt(rate / secondsOf(countingTenths));
}

std::optional<double> cellUncertainty(const trecdata& record, int index) {
    const trecdata::Cell cell = record.ReadCell(index);
    if (!cell.valid) {
        return std::nullopt;
    }
    if (record.uncertainty) {
        if (index < 0 || static_cast<std::size_t>(index) >= record.uncertainty->size()) {
            return std::nullopt;
        }
        const double sigma = (*record.uncertainty)[static_cast<std::size_t>(index)];
        return sigma >= 0 ? std::optional<double>(sigma) : std::nullopt;
    }
    return rateUncertainty(cell.value, record.countingTime);
}

QString transmissionRefusal(const trecdata& first, const trecdata& second) {
    if (isTransmission(first) || isTransmission(second)) {
        return QStringLiteral("A transmission needs two counted scans, not a transmission.");
    }
    if (first.angularStep != second.angularStep) {
        return QStringLiteral("The two records have different angular steps.");
    }
    return {};
}

std::unique_ptr<trecdata> makeTransmission(const trecdata& first, const QString& firstLabel,
                                           const trecdata& second, const QString& secondLabel,
                                           QString* error) {
    const QString refusal = transmissionRefusal(first, second);
    if (!refusal.isEmpty()) {
        if (error) {
            *error = refusal;
        }
        return nullptr;
    }
    // Step 1 while filling: every cell is then stored on its own, not into a step's fill window.
    std::unique_ptr<trecdata> ratio =
        trecdata::Create(1, first.startAngle, first.endAngle, first.angleOffset, 0);
    ratio->offsetEnabled = first.offsetEnabled;
    ratio->detectorHv = first.detectorHv;
    ratio->tubeCurrent = first.tubeCurrent;
    ratio->radiator = first.radiator;
    ratio->filter = first.filter;
    ratio->detectorPosition = first.detectorPosition;
    ratio->filterThickness = first.filterThickness;
    first.CopyRegions(ratio->regionCount, ratio->regions);
    ratio->currentRegion = first.currentRegion;
    auto sigma = std::make_shared<std::vector<double>>(trecdata::kCellCount, -1.0);
    const double t1 = secondsOf(first.countingTime);
    const double t2 = secondsOf(second.countingTime);
    for (std::int32_t index = 0; index <= first.LastCell(); ++index) {
        const trecdata::Cell a = first.ReadCell(index);
        const trecdata::Cell b = second.ReadCell(second.AngleToIndex(first.IndexToAngle(index)));
        if (!a.valid || !b.valid || !(b.value > 0) || !(a.value >= 0)) {
            continue;
        }
        const double t = a.value / b.value;
        ratio->SetPoint(index, 100 * t);
        // sigma(T)^2 = (sigma1 / R2)^2 + (R1 sigma2 / R2^2)^2 with sigma_i^2 = R_i / t_i.
        const double variance =
            (a.value / t1) / (b.value * b.value) + t * t * (b.value / t2) / (b.value * b.value);
        (*sigma)[static_cast<std::size_t>(index)] = 100 * std::sqrt(variance);
    }
    ratio->angularStep = first.angularStep;
    ratio->uncertainty = std::move(sigma);
    ratio->comment =
        QStringLiteral("%1: %2 / %3").arg(QLatin1String(kTransmissionLabel), firstLabel, secondLabel);
    // The save dialog suggests this name; closing asks about it by this name.
    ratio->fileName = QStringLiteral("transmission.RTG");
    ratio->SetRangeMode(0);
    ratio->modified = true;
    return ratio;
}

} // namespace records
