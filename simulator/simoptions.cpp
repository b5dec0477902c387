#include "simulator/simoptions.h"

#include "simulator/faultcontrol.h"
#include "simulator/simprovider.h"

#include <charconv>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>

namespace sim {

namespace {

template <class Number>
bool parseNumber(const std::string& text, Number& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && !text.empty();
}

// "Ni:10" or "Ni" (thickness defaults to 10 um).
bool parseFilter(const std::string& text, Bench& bench) {
    const std::size_t colon = text.find(':');
    const Element* element = elementBySymbol(text.substr(0, colon));
    if (element == nullptr) {
        return false;
    }
    double thickness = 10.0;
    if (colon != std::string::npos && !parseNumber(text.substr(colon + 1), thickness)) {
        return false;
    }
    bench.filterZ = element->z;
    bench.filterUm = thickness;
    return true;
}

using Setter = std::function<bool(const std::string&, ProgramOptions&)>;

const std::map<std::string, Setter>& valueOptions() {
    static const std::map<std::string, Setter> options{
        {"--seed",
         [](const std::string& v, ProgramOptions& o) { return parseNumber(v, o.apparatus.firmware.seed); }},
        {"--time-scale",
         [](const std::string& v, ProgramOptions& o) { return parseNumber(v, o.apparatus.timeScale); }},
        {"--byte-time",
         [](const std::string& v, ProgramOptions& o) {
             return parseNumber(v, o.apparatus.firmware.byteTime) && o.apparatus.firmware.byteTime >= 0;
         }},
        {"--arm-step-time",
         [](const std::string& v, ProgramOptions& o) {
             return parseNumber(v, o.apparatus.firmware.armStepTime) && o.apparatus.firmware.armStepTime >= 0;
         }},
        {"--anode",
         [](const std::string& v, ProgramOptions& o) {
             const auto anode = anodeByName(v);
             o.apparatus.firmware.bench.anode = anode.value_or(Anode::Cu);
             return anode.has_value();
         }},
        {"--crystal",
         [](const std::string& v, ProgramOptions& o) {
             const auto crystal = crystalByName(v);
             o.apparatus.firmware.bench.crystal = crystal.value_or(Crystal::NaCl);
             return crystal.has_value();
         }},
        {"--kv", [](const std::string& v,
                    ProgramOptions& o) { return parseNumber(v, o.apparatus.firmware.bench.tubeKv); }},
        {"--current",
         [](const std::string& v, ProgramOptions& o) {
             return parseNumber(v, o.apparatus.firmware.bench.tubeCurrentUa);
         }},
        {"--filter",
         [](const std::string& v, ProgramOptions& o) { return parseFilter(v, o.apparatus.firmware.bench); }},
        {"--radiator",
         [](const std::string& v, ProgramOptions& o) {
             const Element* element = elementBySymbol(v);
             o.apparatus.firmware.bench.radiatorZ = element != nullptr ? element->z : 0;
             return element != nullptr;
         }},
        {"--arm-error",
         [](const std::string& v, ProgramOptions& o) {
             return parseNumber(v, o.apparatus.firmware.bench.armAngleError);
         }},
        {"--control",
         [](const std::string& v, ProgramOptions& o) {
             o.controlPath = v;
             return !v.empty();
         }},
        {"--link",
         [](const std::string& v, ProgramOptions& o) {
             o.linkPath = v;
             return !v.empty();
         }},
        {"--background",
         [](const std::string& v, ProgramOptions& o) {
             return parseNumber(v, o.apparatus.firmware.bench.backgroundCps);
         }},
    };
    return options;
}

} // namespace

ParsedOptions parseOptions(const std::vector<std::string>& arguments) {
    ParsedOptions parsed;
    ProgramOptions& options = parsed.options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::string value;
        bool hasValue = false;
        if (const std::size_t equals = name.find('=');
            name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
            hasValue = true;
        }
        if (name == "--help" || name == "-h") {
            options.help = true;
            continue;
        }
        if (name == "--version" && !hasValue) {
            options.version = true;
            continue;
        }
        if (name == "--blank-config" && !hasValue) {
            options.apparatus.firmware.memory = ConfigMemory::blank();
            continue;
        }
        if (name == "--baud" && !hasValue) {
            options.apparatus.firmware.byteTime = kByteTime115200;
            continue;
        }
        const auto option = valueOptions().find(name);
        if (option == valueOptions().end()) {
            parsed.error = "unknown option " + arguments[i];
            return parsed;
        }
        if (!hasValue) {
            if (i + 1 >= arguments.size()) {
                parsed.error = "option " + name + " needs a value";
                return parsed;
            }
            value = arguments[++i];
        }
        if (!option->second(value, options)) {
            parsed.error = "bad value for " + name + ": " + value;
            return parsed;
        }
    }
    const double scale = options.apparatus.timeScale;
    if (!(scale >= Apparatus::kMinTimeScale && scale <= Apparatus::kMaxTimeScale)) {
        parsed.error = "time scale must lie between 0.01 and 10000000";
    } else if (const std::string problem = benchProblem(options.apparatus.firmware.bench); !problem.empty()) {
        parsed.error = problem;
    }
    return parsed;
}

ParsedOptions environmentOptions() {
    const char* text = std::getenv("ZAVO_SIM");
    std::vector<std::string> arguments;
    std::istringstream words(text != nullptr ? text : "");
    for (std::string word; words >> word;) {
        arguments.push_back(word);
    }
    ParsedOptions parsed = parseOptions(arguments);
    if (!parsed.ok()) {
        parsed.error = "ZAVO_SIM: " + parsed.error;
    }
    return parsed;
}

std::unique_ptr<ft::Provider> makeSimProviderFromEnvironment(std::string* error) {
    const ParsedOptions parsed = environmentOptions();
    if (!parsed.ok()) {
        if (error != nullptr) {
            *error = parsed.error;
        }
        return nullptr;
    }
    return makeSimProvider(parsed.options.apparatus);
}

std::string usageText() {
    return "Usage: zavo-apparatus-sim [options]\n"
           "Serves a simulated X-ray apparatus on a pseudo-terminal; prints the terminal's path on the\n"
           "first line and runs until interrupted (SIGINT or SIGTERM).\n"
           "\n"
           "  --seed N            seed of the counting noise (default 1)\n"
           "  --time-scale X      1 = real time; 100 runs a hundred times faster (default 1)\n"
           "  --byte-time US      microseconds a byte takes on the line (default 0)\n"
           "  --baud              byte time of 115200 baud (87 us)\n"
           "  --arm-step-time US  microseconds of one 0.05-degree arm step (default 5000)\n"
           "  --anode Cu|Mo|Fe    X-ray tube anode (default Cu)\n"
           "  --crystal NaCl|LiF  analyser crystal (default NaCl)\n"
           "  --kv X              tube voltage in kV (default 35)\n"
           "  --current UA        tube current in microamperes, 0..255 (default 200)\n"
           "  --filter EL[:UM]    filter foil V, Cr, Mn, Fe, Co, Ni, Cu or Zn, thickness in um (default 10)\n"
           "  --radiator EL       fluorescence radiator in the beam instead of the crystal\n"
           "  --arm-error STEPS   true angle minus the arm's counter at power-up (default 0)\n"
           "  --background CPS    background rate (default 0.3)\n"
           "  --blank-config      start with a factory-new (blank) configuration memory\n"
           "  --control FIFO      also read fault commands from this FIFO (created when absent)\n"
           "  --link PATH         keep a symbolic link to the terminal at PATH; after an unplug and\n"
           "                      replug the terminal is new, the link follows it\n"
           "  --help              this text\n"
           "  --version           the program's version\n"
           "\n"
           "While it serves, fault commands are read one a line from standard input (unless it is\n"
           "a terminal of a background job) and from the --control FIFO; what each did is told on\n"
           "standard error. At the end the number of sweep steps sent is told there too.\n"
           "\n" +
           FaultControl::helpText() +
           "\n"
           "The in-process simulated apparatus takes the same options from the environment variable\n"
           "ZAVO_SIM, e.g. ZAVO_SIM=\"--time-scale 10 --seed 7\".\n";
}

} // namespace sim
