// The texts that name a record in the main window's record list.
#pragma once

#include <QString>

class trecdata;

namespace records {

// "0.05", "0.1", "0.2" or "0.5" degree for an angular step of 1, 2, 4 or 10 angle units; empty for
// any other step.
QString angularStepText(int step);

// The entry of a loaded record: its file name without the folder, ": ", the step text, the counting
// time per step and " [deg/sec]", as in "scan.RTG: 0.05/1.0  [deg/sec]".
QString loadedEntryLabel(const trecdata& record);

} // namespace records
