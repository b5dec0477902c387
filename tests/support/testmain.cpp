// The main of every test and benchmark program: the process's one Qt application object, created
// before any test runs and living until the end. Programs with windows get a QApplication on the
// offscreen platform unless the environment names another; the others a QCoreApplication (port and
// process notifiers need the main thread to be Qt's own).
#ifdef ZAVO_SUPPORT_WIDGETS
#include <QApplication>
#else
#include <QCoreApplication>
#endif

#ifdef ZAVO_SUPPORT_BENCHMARK
#include <benchmark/benchmark.h>
#else
#include <gmock/gmock.h>
#endif

int main(int argc, char** argv) {
#ifdef ZAVO_SUPPORT_WIDGETS
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
#else
    QCoreApplication application(argc, argv);
#endif
#ifdef ZAVO_SUPPORT_BENCHMARK
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
#else
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
#endif
}
