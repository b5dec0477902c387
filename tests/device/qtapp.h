// Gives the test process Qt's application object, as the program has: port and process notifiers need
// the main thread to be Qt's own.
#pragma once

#include <QCoreApplication>

namespace testing_device {

inline void ensureApplication() {
    static int argc = 1;
    static char name[] = "test_device";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv); // lives until the process ends
}

} // namespace testing_device
