// Chooses the device the acquisition thread talks to, from the program's arguments and environment
// (--simulate, --device NAME, --port PATH; ZAVO_DEVICE, ZAVO_PORT, ZAVO_SIM), and installs its
// provider in the USB access layer. Qt Core only: the windows and the command line share it.
#pragma once

#include <QString>
#include <QStringList>

namespace devicesetup {

// Makes the in-process simulated apparatus available under the device name "simulator".
void registerSimulator();

// Parses the choice, creates the provider and installs it. On failure nothing is installed and
// *error says why (a bad option, an unknown device, a vendor library that does not load).
bool installProvider(const QStringList& arguments, QString* error);

// When the installed device is the in-process simulated apparatus, puts on its bench what the user
// declares: the radiator ("N/A": the crystal is in the beam), the filter ("none") and the filter
// thickness in millimetres, as a person at a real bench would turn and insert them. With any other
// device it does nothing: a real apparatus has no command for these and is sent nothing.
// Returns true when the simulated bench took the declaration.
bool declareOnSimulatedBench(const QString& radiator, const QString& filter, double thicknessMm);

} // namespace devicesetup
