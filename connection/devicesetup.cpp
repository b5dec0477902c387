#include "connection/devicesetup.h"

#include "device/d2xxunit.h"
#include "device/devicechoice.h"
#include "simulator/benchdeclare.h"
#include "simulator/simoptions.h"
#include "simulator/simprovider.h"

namespace devicesetup {

void registerSimulator() {
    zavo::registerProviderFactory(QStringLiteral("simulator"), [](const zavo::DeviceChoice&) {
        return sim::makeSimProviderFromEnvironment();
    });
}

bool installProvider(const QStringList& arguments, QString* error) {
    registerSimulator();
    const zavo::DeviceChoice choice =
        zavo::parseDeviceChoice(arguments, zavo::DeviceEnvironment::fromProcess());
    if (!choice.ok()) {
        *error = choice.error;
        return false;
    }
    if (zavo::resolvedProviderName(choice) == QLatin1String("simulator")) {
        // Report unusable simulator options by name rather than as a provider that could not be made.
        if (const sim::ParsedOptions options = sim::environmentOptions(); !options.ok()) {
            *error = QString::fromStdString(options.error);
            return false;
        }
    }
    std::unique_ptr<ft::Provider> provider = zavo::createProvider(choice, error);
    if (!provider)
        return false;
    D2XXUnit::setProvider(std::move(provider));
    return true;
}

bool declareOnSimulatedBench(const QString& radiator, const QString& filter, double thicknessMm) {
    auto* simulated = dynamic_cast<sim::SimProvider*>(D2XXUnit::provider());
    if (simulated == nullptr) {
        return false;
    }
    return simulated->apparatus()->withFirmware([&](sim::Firmware& firmware) {
        sim::Bench bench = firmware.bench();
        if (!sim::declareOnBench(bench, radiator.toStdString(), filter.toStdString(), thicknessMm * 1000.0)) {
            return false;
        }
        firmware.setBench(bench);
        return true;
    });
}

} // namespace devicesetup
