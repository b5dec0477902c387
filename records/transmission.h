// The transmission of one scan through another: the counting rate of the first record over the
// second's, cell by cell, as a record of its own that is saved, exported and printed like a scan.
//
// Its cells hold the transmission in percent (100 x R1 / R2), so the record's full scales (50 ..
// 50000) and whole-number axis labels serve it unchanged. A transmission record is told from a scan
// by its counting time 0: no scan has one (the apparatus counts at least 0.1 s per step), and the
// record file keeps the field, so a saved transmission is recognised again when it is loaded.
#pragma once

#include "records/trecdata.h"

#include <QString>

#include <memory>
#include <optional>

namespace records {

inline constexpr const char* kTransmissionLabel = "transmission";

bool isTransmission(const trecdata& record);

// The standard uncertainty of a counted rate R (cps) measured for `countingTenths` tenths of a
// second: sqrt(R / t), from the Poisson statistics of the R t counts. Empty without a rate or time.
std::optional<double> rateUncertainty(double rate, int countingTenths);

// The uncertainty of a cell of any record: a transmission's from the list it was made with, a scan's
// from its counting statistics. Empty for a cell without data or a transmission loaded from a file
// (the file has no place for it).
std::optional<double> cellUncertainty(const trecdata& record, int index);

// Why two records cannot form a transmission ("" when they can): different angular steps, or the
// second is itself without a counting time.
QString transmissionRefusal(const trecdata& first, const trecdata& second);

// The transmission record of `first` over `second`: the first's angles, offset and
// settings, cells 100 x R1 / R2 at the same displayed angle, empty where either cell is empty or R2
// is not above 0; its uncertainty from both rates' counting statistics. The comment's first line
// names both records (their list labels). Null and *error set when transmissionRefusal refuses.
std::unique_ptr<trecdata> makeTransmission(const trecdata& first, const QString& firstLabel,
                                           const trecdata& second, const QString& secondLabel,
                                           QString* error = nullptr);

} // namespace records
