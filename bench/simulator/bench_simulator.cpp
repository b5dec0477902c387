// How fast the simulated apparatus runs: counted sweep steps per second of the firmware model in
// virtual time, and status round trips per second through the in-process provider.
#include "simulator/simprovider.h"

#include <benchmark/benchmark.h>

namespace {

// A counted sweep over the whole arm range (3600 steps) with zero counting time.
void BM_FirmwareSweepSteps(benchmark::State& state) {
    std::int64_t steps = 0;
    for (auto _ : state) {
        sim::FirmwareOptions options;
        options.memory = sim::ConfigMemory::blank(); // range 0..3600
        sim::Firmware firmware(options);
        firmware.receive(std::string("H\x56\x64T\x00\x00\x1B\x0E\x10S\x00", 11));
        while (firmware.activity() == sim::Firmware::Activity::Sweeping) {
            firmware.advanceTo(firmware.nextDue());
            benchmark::DoNotOptimize(firmware.takeReady());
        }
        steps += 3601;
    }
    state.counters["steps/s"] = benchmark::Counter(static_cast<double>(steps), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FirmwareSweepSteps)->Unit(benchmark::kMillisecond);

// 0x0E and its three replies (9 bytes) through the provider, as the device layer would do it.
void BM_ProviderStatusRoundTrip(benchmark::State& state) {
    auto apparatus = std::make_shared<sim::Apparatus>(sim::ApparatusOptions{{}, 1.0});
    sim::SimProvider provider(apparatus);
    ft::Handle handle = nullptr;
    provider.OpenEx(const_cast<char*>("QM417"), ft::OPEN_BY_DESCRIPTION, &handle);
    provider.SetTimeouts(handle, 100, 100);
    char buffer[16];
    ft::Dword done = 0;
    provider.Write(handle, "T\x7F\xFF", 3, &done); // a gate of minutes: no display rates in between
    provider.Read(handle, buffer, 1, &done);
    for (auto _ : state) {
        ft::Dword count = 0;
        provider.Write(handle, "\x0E", 1, &count);
        ft::Dword got = 0;
        std::size_t total = 0;
        while (total < 9) {
            provider.Read(handle, buffer, static_cast<ft::Dword>(9 - total), &got);
            total += got;
        }
    }
    state.counters["round trips/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ProviderStatusRoundTrip)->Unit(benchmark::kMicrosecond);

} // namespace
