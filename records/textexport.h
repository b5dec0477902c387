// Text export of a scan: a tab-separated file with one line per exported point.
#pragma once

#include "records/exportedpoints.h"
#include "records/trecdata.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

#include <string>
#include <string_view>

namespace records {

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
