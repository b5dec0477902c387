// The evaluated points of a record as comma-separated text for pandas, LabPlot or a spreadsheet:
// UTF-8, dot decimals, "# key: value" lines with the record's settings, comment and the evaluation's
// crystal, then the columns angle_deg,rate_cps,rate_sigma_cps,wavelength_pm,energy_keV.
#pragma once

#include "analysis/evaluation.h"

#include <QByteArray>

class trecdata;

namespace analysis {

QByteArray spectrumCsv(const trecdata& record, const SpectrumResult& result);

} // namespace analysis
