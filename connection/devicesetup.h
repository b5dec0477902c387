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

} // namespace devicesetup
