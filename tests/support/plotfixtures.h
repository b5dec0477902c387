// Records for the scan plot's tests, benchmarks and demo.
#pragma once

#include "records/trecdata.h"

#include <QString>

#include <cmath>
#include <memory>
#include <ostream>

// Readable QStrings in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace plotfixtures {

// A Bragg spectrum of a copper tube on a rock-salt crystal: the continuum plus the K lines in
// first and second order, in counts per second, at an angle in degrees.
inline double spectrum(double degrees) {
    auto line = [degrees](double centre, double height, double width) {
        const double d = (degrees - centre) / width;
        return height * std::exp(-0.5 * d * d);
    };
    const double continuum = degrees > 4 ? 900 * (degrees - 4) / 10 * std::exp(-(degrees - 4) / 10) : 0;
    return 12 + continuum + line(20.2, 1100, 0.18) + line(22.6, 3100, 0.2) + line(43.6, 420, 0.25) +
           line(48.4, 1050, 0.25);
}

// A record from `start` to `end` (angle units) with the spectrum at every step, offset disabled,
// automatic range.
inline std::unique_ptr<trecdata> spectrumRecord(int step = 1, int start = 100, int end = 2699) {
    auto record = trecdata::Create(step, start, end, 0, 10);
    record->offsetEnabled = false;
    for (int i = 0; i <= end - start && i < trecdata::kCellCount; i += step) {
        record->SetPoint(i, spectrum((start + i) / 20.0));
    }
    record->detectorHv = 800;
    record->tubeCurrent = 80;
    record->SetRangeMode(0);
    return record;
}

// A record with the constant rate `value` at every step of start..end.
inline std::unique_ptr<trecdata> flatRecord(double value, int step, int start, int end) {
    auto record = trecdata::Create(step, start, end, 0, 10);
    record->offsetEnabled = false;
    for (int i = 0; i <= end - start && i < trecdata::kCellCount; i += step) {
        record->SetPoint(i, value);
    }
    record->SetRangeMode(0);
    return record;
}

} // namespace plotfixtures
