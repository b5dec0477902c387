// Text export of a scan: a tab-separated file with one line per exported point.
#pragma once

#include "records/trecdata.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace records {

struct ExportedPoint {
    double degrees; // displayed angle, applied offset included
    double rate;    // counting rate averaged over the step's fill window, cps
};

// The points a scan exports, in ascending cell order: every valid cell whose displayed angle is a
// multiple of the angular step. A scan at step 10 thus gives one point per 0.5 degree.
std::vector<ExportedPoint> exportedPoints(const trecdata& record);

// The text file's bytes: "angle [deg]\tcounting rate [cps]\r\n", then "%.2f\t%.2f\r\n" per point with
// the locale's decimal separator, in Windows-1252.
QByteArray exportTextBytes(const trecdata& record, const QLocale& locale = QLocale());

// Appends Format("%.2f", value) (exactly rounded, whatever the C library's locale) with `separator`
// as the decimal point.
void appendTwoDecimals(std::string& out, double value, std::string_view separator);

// Writes the text export safely (temporary file + rename); false when it cannot be written, and the
// reason in *error.
bool exportText(const trecdata& record, const QString& path, const QLocale& locale = QLocale(),
                QString* error = nullptr);

} // namespace records
