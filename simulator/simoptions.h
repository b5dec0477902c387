// Options of the simulated apparatus as text: the command line of zavo-apparatus-sim, and the
// environment variable ZAVO_SIM that holds the same options for the in-process apparatus.
#pragma once

#include "device/ftprovider.h"
#include "simulator/apparatus.h"

#include <memory>

#include <string>
#include <vector>

namespace sim {

struct ProgramOptions {
    ApparatusOptions apparatus;
    bool help = false;
    bool version = false;
    std::string controlPath; // FIFO for fault commands; empty: standard input only
    std::string linkPath;    // symbolic link kept to the current terminal; empty: none
};

struct ParsedOptions {
    ProgramOptions options;
    std::string error; // empty when the options are usable
    bool ok() const { return error.empty(); }
};

// Parses options (without the program name); both "--name value" and "--name=value" are accepted.
ParsedOptions parseOptions(const std::vector<std::string>& arguments);
// Parses the options in the environment variable ZAVO_SIM (split at blanks); none when unset.
ParsedOptions environmentOptions();
// The in-process provider for the program's device choice "simulator": a new apparatus with the
// options of ZAVO_SIM (the defaults when it is unset). Null, with the reason in *error, when ZAVO_SIM
// holds unusable options.
std::unique_ptr<ft::Provider> makeSimProviderFromEnvironment(std::string* error = nullptr);
// The option summary for --help.
std::string usageText();

} // namespace sim
