// Program start of zavo-driver. A command on the command line runs headless, without any GUI
// object; otherwise the windows start.
#include "app/project1.h"
#include "cli/cli.h"

int main(int argc, char** argv) {
    if (cli::isCommandLine(argc, argv)) {
        return cli::main(argc, argv);
    }
    return project1::run(argc, argv);
}
