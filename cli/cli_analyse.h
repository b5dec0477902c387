// The analyse command's two forms of the evaluation: the table a person reads and the JSON object a
// script reads (its fields are listed in the README).
#pragma once

#include "analysis/evaluation.h"

#include <QByteArray>
#include <QTextStream>

namespace cli {

void printSpectrumTable(const QString& file, const analysis::SpectrumResult& result, QTextStream& out);
QByteArray spectrumJson(const QString& file, const analysis::SpectrumResult& result);

} // namespace cli
