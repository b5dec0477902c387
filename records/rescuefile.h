// A scan whose save failed is rescued into a file of its own: never the periodic safety copy,
// which the next scan overwrites, nor an earlier rescue.
#pragma once

#include "records/trecdata.h"

#include <QDateTime>
#include <QString>

namespace records {

// "rescue-YYYYMMDD-HHMMSS.rtg" in `folder` for the time `when`; "-2", "-3", ... before the
// extension when that name is taken.
QString rescueFilePath(const QString& folder, const QDateTime& when);

// Writes the record to a fresh rescue file in `folder` (see writeRecordFile: `modified` stays).
// The file's path in *path; false with the reason in *error.
bool writeRescueFile(const trecdata& record, const QString& folder, QString* path, QString* error,
                     const QDateTime& when = QDateTime::currentDateTime());

} // namespace records
