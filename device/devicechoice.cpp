#include "device/devicechoice.h"

#include "device/d2xxprovider.h"
#include "device/serialprovider.h"

#include <QProcessEnvironment>

#include <map>

namespace zavo {

namespace {

const QStringList knownDevices{QStringLiteral("simulator"), QStringLiteral("serial"), QStringLiteral("d2xx")};

// The choice made at one level (command line or environment) before the two are combined.
struct Level {
    QString device;
    QString port;
    QString error;
};

QString badName(const QString& name, const QString& source) {
    return QStringLiteral("Unknown device \"%1\" in %2: use simulator, serial or d2xx.").arg(name, source);
}

QString checkPortAgainstDevice(const Level& level, const QString& source) {
    if (!level.port.isEmpty() && !level.device.isEmpty() && level.device != QLatin1String("serial"))
        return QStringLiteral("A port (%1) can only be used with the serial device, not with %2.")
            .arg(source, level.device);
    return {};
}

Level parseArguments(const QStringList& arguments) {
    Level level;
    const auto setDevice = [&level](const QString& name, const QString& option) {
        if (!knownDevices.contains(name))
            level.error = badName(name, option);
        else if (!level.device.isEmpty() && level.device != name)
            level.error = QStringLiteral("Conflicting device options: %1 and %2.").arg(level.device, name);
        else
            level.device = name;
    };
    for (qsizetype i = 1; i < arguments.size() && level.error.isEmpty(); ++i) {
        const QString& arg = arguments[i];
        QString value;
        bool isDevice = false;
        bool isPort = false;
        if (arg == QLatin1String("--device") || arg == QLatin1String("--port")) {
            isDevice = arg == QLatin1String("--device");
            isPort = !isDevice;
            if (i + 1 >= arguments.size()) {
                level.error = QStringLiteral("The option %1 needs a value.").arg(arg);
                break;
            }
            value = arguments[++i];
        } else if (arg.startsWith(QLatin1String("--device="))) {
            isDevice = true;
            value = arg.mid(9);
        } else if (arg.startsWith(QLatin1String("--port="))) {
            isPort = true;
            value = arg.mid(7);
        } else if (arg == QLatin1String("--simulate")) {
            setDevice(QStringLiteral("simulator"), arg);
            continue;
        } else {
            continue; // not ours
        }
        if (isDevice)
            setDevice(value, QStringLiteral("--device"));
        else if (isPort && value.isEmpty())
            level.error = QStringLiteral("The option --port needs a path.");
        else
            level.port = value;
    }
    if (level.error.isEmpty())
        level.error = checkPortAgainstDevice(level, QStringLiteral("--port"));
    return level;
}

Level parseEnvironment(const DeviceEnvironment& environment) {
    Level level;
    if (environment.device && !environment.device->isEmpty()) {
        if (!knownDevices.contains(*environment.device))
            level.error = badName(*environment.device, QStringLiteral("ZAVO_DEVICE"));
        else
            level.device = *environment.device;
    }
    if (environment.port)
        level.port = *environment.port;
    if (level.error.isEmpty())
        level.error = checkPortAgainstDevice(level, QStringLiteral("ZAVO_PORT"));
    return level;
}

std::map<QString, ProviderFactory>& factories() {
    static std::map<QString, ProviderFactory> registry{
        {QStringLiteral("serial"),
         [](const DeviceChoice& choice) -> std::unique_ptr<ft::Provider> {
             return std::make_unique<SerialProvider>(choice.port);
         }},
        {QStringLiteral("d2xx"),
         [](const DeviceChoice&) -> std::unique_ptr<ft::Provider> { return D2xxProvider::create(); }},
    };
    return registry;
}

} // namespace

DeviceEnvironment DeviceEnvironment::fromProcess() {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    DeviceEnvironment out;
    if (const QString v = env.value(QStringLiteral("ZAVO_DEVICE")); !v.isEmpty())
        out.device = v;
    if (const QString v = env.value(QStringLiteral("ZAVO_PORT")); !v.isEmpty())
        out.port = v;
    return out;
}

DeviceChoice parseDeviceChoice(const QStringList& arguments, const DeviceEnvironment& environment) {
    const Level cli = parseArguments(arguments);
    if (!cli.error.isEmpty())
        return {{}, {}, cli.error};
    // A device or port on the command line replaces the environment's choice as a whole, except that
    // "--device serial" still takes ZAVO_PORT.
    if (!cli.device.isEmpty() || !cli.port.isEmpty()) {
        DeviceChoice choice{cli.port.isEmpty() ? cli.device : QStringLiteral("serial"), cli.port, {}};
        if (choice.device == QLatin1String("serial") && choice.port.isEmpty() && environment.port)
            choice.port = *environment.port;
        return choice;
    }
    const Level env = parseEnvironment(environment);
    if (!env.error.isEmpty())
        return {{}, {}, env.error};
    return {env.port.isEmpty() ? env.device : QStringLiteral("serial"), env.port, {}};
}

QString resolvedProviderName(const DeviceChoice& choice) {
    if (!choice.device.isEmpty())
        return choice.device;
    return D2xxProvider::available() ? QStringLiteral("d2xx") : QStringLiteral("serial");
}

void registerProviderFactory(const QString& name, ProviderFactory factory) {
    factories()[name] = std::move(factory);
}

bool hasProviderFactory(const QString& name) {
    return factories().count(name) != 0;
}

std::unique_ptr<ft::Provider> createProvider(const DeviceChoice& choice, QString* error) {
    const auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return std::unique_ptr<ft::Provider>{};
    };
    if (!choice.ok())
        return fail(choice.error);
    const QString name = resolvedProviderName(choice);
    const auto it = factories().find(name);
    if (it == factories().end())
        return fail(QStringLiteral("The %1 device is not part of this program.").arg(name));
    auto provider = it->second(choice);
    if (!provider)
        return fail(name == QLatin1String("d2xx")
                        ? QStringLiteral("The d2xx device is %1").arg(D2xxProvider::unavailableReason())
                        : QStringLiteral("The %1 device could not be made.").arg(name));
    return provider;
}

} // namespace zavo
