// Which provider stands behind D2XXUnit: the command-line and environment parser, the registry of
// provider factories and the factory call.
//
//   --device simulator|serial|d2xx   (or --device=NAME; environment ZAVO_DEVICE)
//   --simulate                       short for --device simulator
//   --port PATH                      (or --port=PATH; environment ZAVO_PORT) the serial provider on
//                                    that one port; implies --device serial
// The command line wins over the environment. Without a choice the vendor library is used where it
// loads, else serial ports.
#pragma once

#include "device/ftprovider.h"

#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zavo {

struct DeviceChoice {
    QString device; // "simulator", "serial", "d2xx"; empty = default
    QString port;   // named port for the serial provider; empty = enumerate the system's ports
    QString error;  // not empty when the arguments or environment are unusable (the rest is then unset)
    bool ok() const { return error.isEmpty(); }
};

struct DeviceEnvironment {
    std::optional<QString> device; // ZAVO_DEVICE
    std::optional<QString> port;   // ZAVO_PORT
    // The process environment (empty values count as unset).
    static DeviceEnvironment fromProcess();
};

// Pure: arguments (program name first, as QCoreApplication::arguments() gives them; unknown arguments
// are left alone) and environment to a choice, with an error text for a bad or missing name and for
// contradicting options.
DeviceChoice parseDeviceChoice(const QStringList& arguments, const DeviceEnvironment& environment);

// The provider name the choice resolves to: the named one, or for the default "d2xx" when the vendor
// library loads, else "serial".
QString resolvedProviderName(const DeviceChoice& choice);

using ProviderFactory = std::function<std::unique_ptr<ft::Provider>(const DeviceChoice& choice)>;

// Registers (or replaces) the factory of a provider name. "serial" and "d2xx" are built in; the
// simulated apparatus registers "simulator" from its own library.
void registerProviderFactory(const QString& name, ProviderFactory factory);
bool hasProviderFactory(const QString& name);

// Creates the provider of a choice. Returns null with a reason in *error (if given) when the choice
// has an error, no factory is registered for the name, or the provider cannot be made (for "d2xx":
// the vendor library is not available).
std::unique_ptr<ft::Provider> createProvider(const DeviceChoice& choice, QString* error = nullptr);

} // namespace zavo
