// The widget tests' application object, created once for the whole test program.
#pragma once

#include <QApplication>

namespace scalar_tests {

inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "scalar_tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) {
        new QApplication(argc, argv); // lives until the process ends
    }
}

} // namespace scalar_tests
