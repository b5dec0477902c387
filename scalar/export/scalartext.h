// The text form of the scalar-mode export: one tab-separated line per grid row whose first cell is
// not empty (the header "No." ... "Intensity" and the data rows), CR LF line ends, Windows-1252.
// The series' evaluation follows the table as lines that start with "# ", so that a program reading
// the table can skip them.
#pragma once

#include "scalar/export/scalartable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace scalar {

// Columns 1, 5, 6 and 7 lose their blanks; the others ("E. S. 13") are written as they stand.
// `evaluation` lines come after the table, each after "# "; signs the character set lacks are spelt
// out ("mu", "sqrt", "-").
QByteArray scalarTextBytes(const ScalarTable& table, const QStringList& evaluation = {});

// Writes the text file safely: the previous file stays unless every byte of the new one is on disk.
bool exportScalarText(const ScalarTable& table, const QString& path, QString* error = nullptr,
                      const QStringList& evaluation = {});

} // namespace scalar
