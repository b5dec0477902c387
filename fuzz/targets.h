// The parsers that read what comes from outside, each behind one entry function that takes any
// bytes: libFuzzer drives them (scripts/fuzz.sh), and the replay program runs the committed corpus
// through the same functions in every normal build. An entry aborts when a property fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace fuzz {

using Entry = int (*)(const std::uint8_t* data, std::size_t size);

struct Target {
    const char* name; // also the corpus folder: fuzz/corpus/<name>/
    Entry entry;
};

// A record file: refused as "Wrong file format", or loaded, then saved and loaded again to the same
// bytes; the geometry queries of the loaded record stay defined.
int recordFile(const std::uint8_t* data, std::size_t size);
// A stream of replies read the way the acquisition thread reads them.
int replies(const std::uint8_t* data, std::size_t size);
// The 64-byte configuration block, in both byte orders.
int deviceConfig(const std::uint8_t* data, std::size_t size);
// The settings file: reading keys, and writing one that reads back.
int profileFile(const std::uint8_t* data, std::size_t size);

std::span<const Target> targets();

// Aborts with `what` on standard error when `holds` is false.
void require(bool holds, const char* what);

} // namespace fuzz
