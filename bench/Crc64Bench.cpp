// The CRC-64/XZ behind the Kontagent device key against liblzma's
// lzma_crc64, which is what a user would reach for, on the same 1 MiB of
// bytes. The parent checks that both give the same value before timing;
// each side prints its value from its own process as well.
#include "bench/SideBySide.h"
#include "providers/Provider_Kontagent/KontagentKeys.h"

#include <benchmark/benchmark.h>
#include <lzma.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr size_t kBytes = 1 << 20;
constexpr double kBatchSeconds = 0.02;
constexpr int kBatches = 21;

const std::vector<uint8_t>& Buffer() {
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> out(kBytes);
        std::mt19937_64 random(0xC96C5795D7870F42ull);
        for (size_t i = 0; i < out.size(); i += 8) {
            const uint64_t word = random();
            std::memcpy(out.data() + i, &word, 8);
        }
        return out;
    }();
    return bytes;
}

uint64_t Ours() {
    return Varnok::Crc64Xz(Buffer().data(), Buffer().size());
}

uint64_t Lzma() {
    return lzma_crc64(Buffer().data(), Buffer().size(), 0);
}

template <typename Crc>
double MicrosecondsPerMiB(const char* side, Crc crc) {
    const uint64_t value = crc();
    std::printf("  %s: crc 0x%016" PRIx64 "\n", side, value);
    return Bench::MedianMicrosecondsPerPass([&] { benchmark::DoNotOptimize(crc()); }, kBatchSeconds, kBatches);
}

}  // namespace

int main(int argc, char** argv) {
    Bench::Comparison comparison;
    comparison.workload = "CRC-64/XZ of 1 MiB of pseudo-random bytes (one buffer, in cache after the first pass)";
    comparison.unit = "us per MiB";
    comparison.rounds = 5;
    comparison.contenders = {{"Varnok::Crc64Xz", [] { return MicrosecondsPerMiB("Varnok::Crc64Xz", Ours); }},
                             {"lzma_crc64", [] { return MicrosecondsPerMiB("lzma_crc64", Lzma); }}};
    bool child = false;
    for (int i = 1; i < argc; ++i) {
        child = child || std::strcmp(argv[i], "--side") == 0;
    }
    if (!child) {
        const uint64_t ours = Ours();
        const uint64_t lzma = Lzma();
        std::printf("values: ours 0x%016" PRIx64 ", liblzma 0x%016" PRIx64 " (%s)\n", ours, lzma,
                    ours == lzma ? "equal" : "DIFFERENT");
        if (ours != lzma) {
            return 1;
        }
    }
    return Bench::RunSideBySide(argc, argv, comparison);
}
