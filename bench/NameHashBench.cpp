// Name look-ups in the engine's hash map against the standard string-keyed
// hash map, on the same 1000 names. The headline builds the query key from a
// C string on every look-up on both sides, so both hash every time; the
// cached-hash line shows the usual engine case (stored or static names that
// hashed once), and the hash line shows the two hash functions alone.
#include "bench/SideBySide.h"
#include "engine/core/AsciiString.h"
#include "engine/core/HashName.h"
#include "engine/core/NameMap.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kKeyCount = 1000;
constexpr int kMinLength = 5;
constexpr int kMaxLength = 40;
constexpr int kBatches = 31;                 // timed batches per process; the median counts
constexpr double kBatchSeconds = 0.004;      // about this long each

// Lower-case letters, digits and '_', '/', '.', as asset and event names are.
const std::vector<std::string>& Names() {
    static const std::vector<std::string> names = [] {
        std::mt19937 random(2053);
        std::uniform_int_distribution<int> length(kMinLength, kMaxLength);
        const char alphabet[] = "abcdefghijklmnopqrstuvwxyz_/.0123456789";
        std::uniform_int_distribution<int> letter(0, sizeof(alphabet) - 2);
        std::vector<std::string> out;
        while (static_cast<int>(out.size()) < kKeyCount) {
            std::string name;
            const int n = length(random);
            for (int i = 0; i < n; ++i) {
                name += alphabet[letter(random)];
            }
            out.push_back(name);
        }
        return out;
    }();
    return names;
}

// Every key once, in a shuffled order.
std::vector<int> ShuffledOrder() {
    std::vector<int> order(kKeyCount);
    for (int i = 0; i < kKeyCount; ++i) {
        order[i] = i;
    }
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    return order;
}

// The query texts as C strings, in look-up order: copies of their own, apart
// from the maps' keys, the same bytes at the same addresses for both sides.
std::vector<const char*> QueryCStrings() {
    static const std::vector<std::string> copies = [] {
        std::vector<std::string> out;
        for (int i : ShuffledOrder()) {
            out.push_back(Names()[i]);
        }
        return out;
    }();
    std::vector<const char*> out;
    for (const std::string& s : copies) {
        out.push_back(s.c_str());
    }
    return out;
}

// Runs `pass` (one pass over all kKeyCount keys) in batches of about
// kBatchSeconds after a warm-up, and answers the median batch in ns per key.
template <typename Pass>
double NanosecondsPerKey(Pass pass) {
    using Clock = std::chrono::steady_clock;
    int passesPerBatch = 1;
    for (;;) {  // warm-up that also sizes the batch
        const auto start = Clock::now();
        for (int i = 0; i < passesPerBatch; ++i) {
            pass();
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (seconds >= kBatchSeconds) {
            break;
        }
        passesPerBatch *= 2;
    }
    std::vector<double> batches;
    for (int b = 0; b < kBatches; ++b) {
        const auto start = Clock::now();
        for (int i = 0; i < passesPerBatch; ++i) {
            pass();
        }
        const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
        batches.push_back(ns / (static_cast<double>(passesPerBatch) * kKeyCount));
    }
    std::sort(batches.begin(), batches.end());
    return batches[batches.size() / 2];
}

// Each look-up's value is summed so that none can be skipped; a miss would
// be a broken benchmark, not a figure.
constexpr int kExpectedSum = kKeyCount * (kKeyCount - 1) / 2;

bool CheckSum(int sum, const char* side) {
    if (sum != kExpectedSum) {
        fprintf(stderr, "%s: look-ups summed to %d, expected %d\n", side, sum, kExpectedSum);
        return false;
    }
    return true;
}

std::unordered_map<std::string, int> StdMap() {
    std::unordered_map<std::string, int> map;
    for (int i = 0; i < kKeyCount; ++i) {
        map[Names()[i]] = i;
    }
    return map;
}

Varnok::NameMap<int> EngineMap() {
    Varnok::NameMap<int> map;
    for (int i = 0; i < kKeyCount; ++i) {
        map[Varnok::AsciiString(Names()[i].c_str(), static_cast<int>(Names()[i].size()))] = i;
    }
    return map;
}

double EngineFromCString() {
    const Varnok::NameMap<int> map = EngineMap();
    const std::vector<const char*> queries = QueryCStrings();
    int sum = 0;
    const double ns = NanosecondsPerKey([&] {
        sum = 0;
        for (const char* q : queries) {
            sum += map.find(Varnok::AsciiString(q))->second;
        }
        benchmark::DoNotOptimize(sum);
    });
    return CheckSum(sum, "NameMap") ? ns : -1.0;
}

double StdFromCString() {
    const std::unordered_map<std::string, int> map = StdMap();
    const std::vector<const char*> queries = QueryCStrings();
    int sum = 0;
    const double ns = NanosecondsPerKey([&] {
        sum = 0;
        for (const char* q : queries) {
            sum += map.find(std::string(q))->second;
        }
        benchmark::DoNotOptimize(sum);
    });
    return CheckSum(sum, "std::unordered_map") ? ns : -1.0;
}

// Query keys built once; the engine's carry their hashes from then on, the
// standard strings are hashed on every look-up as that map always does.
double EngineCachedHash() {
    const Varnok::NameMap<int> map = EngineMap();
    std::vector<Varnok::AsciiString> queries;
    for (const char* q : QueryCStrings()) {
        queries.emplace_back(q);
        queries.back().GetHash();
    }
    int sum = 0;
    const double ns = NanosecondsPerKey([&] {
        sum = 0;
        for (const Varnok::AsciiString& q : queries) {
            sum += map.find(q)->second;
        }
        benchmark::DoNotOptimize(sum);
    });
    return CheckSum(sum, "NameMap") ? ns : -1.0;
}

double StdPrebuiltKeys() {
    const std::unordered_map<std::string, int> map = StdMap();
    std::vector<std::string> queries;
    for (const char* q : QueryCStrings()) {
        queries.emplace_back(q);
    }
    int sum = 0;
    const double ns = NanosecondsPerKey([&] {
        sum = 0;
        for (const std::string& q : queries) {
            sum += map.find(q)->second;
        }
        benchmark::DoNotOptimize(sum);
    });
    return CheckSum(sum, "std::unordered_map") ? ns : -1.0;
}

// The hash functions alone over the same texts, lengths known.
double HashNameAlone() {
    const std::vector<const char*> queries = QueryCStrings();
    std::vector<std::string_view> texts(queries.begin(), queries.end());
    return NanosecondsPerKey([&] {
        for (std::string_view t : texts) {
            benchmark::DoNotOptimize(Varnok::HashName(t.data(), static_cast<int>(t.size())));
        }
    });
}

double StdHashAlone() {
    const std::vector<const char*> queries = QueryCStrings();
    std::vector<std::string_view> texts(queries.begin(), queries.end());
    const std::hash<std::string_view> hasher;
    return NanosecondsPerKey([&] {
        for (std::string_view t : texts) {
            benchmark::DoNotOptimize(hasher(t));
        }
    });
}

std::string Workload(const char* what) {
    char text[512];
    snprintf(text, sizeof(text),
             "%s; %d distinct names of %d-%d characters ([a-z0-9_/.], uniform lengths), "
             "each once per pass in a shuffled order",
             what, kKeyCount, kMinLength, kMaxLength);
    return text;
}

std::vector<Bench::Comparison> Comparisons() {
    std::vector<Bench::Comparison> out(3);
    out[0].workload = Workload(
        "NameMap<int> against std::unordered_map<std::string, int>, looked up by a key "
        "built from a C string on every look-up (both sides hash every time)");
    out[0].unit = "ns per look-up";
    out[0].contenders = {{"NameMap from C string", EngineFromCString},
                         {"unordered_map from C string", StdFromCString}};

    out[1].workload = Workload(
        "the same maps looked up by keys built once (the engine's carry their cached "
        "hashes; std::string keys are hashed per look-up, as that map does)");
    out[1].unit = "ns per look-up";
    out[1].contenders = {{"NameMap cached hash", EngineCachedHash},
                         {"unordered_map prebuilt", StdPrebuiltKeys}};

    out[2].workload = Workload("the hash alone over the text and its length");
    out[2].unit = "ns per name";
    out[2].contenders = {{"HashName", HashNameAlone},
                         {"std::hash<string_view>", StdHashAlone}};
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    return Bench::RunComparisons(argc, argv, Comparisons());
}
