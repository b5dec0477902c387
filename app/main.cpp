// Program start of zavo-driver. A command on the command line runs headless, without any GUI
// object; otherwise the windows start.
#include "cli.h"

int main(int argc, char** argv) {
    if (cli::isCommandLine(argc, argv)) {
        return cli::main(argc, argv);
    }
    // The windows are not part of this build yet: show what the command line offers.
    return cli::main(argc, argv);
}
