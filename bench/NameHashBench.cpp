// The name hash, and look-ups keyed by engine strings against the standard
// string-keyed hash map, on the same 1000 names of 5 to 40 characters.
#include "engine/core/AsciiString.h"
#include "engine/core/HashName.h"
#include "engine/core/NameMap.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr int kKeyCount = 1000;

const std::vector<std::string>& Names() {
    static const std::vector<std::string> names = [] {
        std::mt19937 random(2053);
        std::uniform_int_distribution<int> length(5, 40);
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

std::vector<Varnok::AsciiString> EngineNames() {
    std::vector<Varnok::AsciiString> out;
    for (const std::string& name : Names()) {
        out.emplace_back(name.c_str(), static_cast<int>(name.size()));
    }
    return out;
}

void BM_HashName(benchmark::State& state) {
    const auto& names = Names();
    int64_t bytes = 0;
    for (auto _ : state) {
        for (const std::string& name : names) {
            benchmark::DoNotOptimize(Varnok::HashName(name.data(), static_cast<int>(name.size())));
            bytes += static_cast<int64_t>(name.size());
        }
    }
    state.SetBytesProcessed(bytes);
    state.SetItemsProcessed(state.iterations() * kKeyCount);
}
BENCHMARK(BM_HashName);

void BM_StdHash(benchmark::State& state) {
    const auto& names = Names();
    int64_t bytes = 0;
    std::hash<std::string> hasher;
    for (auto _ : state) {
        for (const std::string& name : names) {
            benchmark::DoNotOptimize(hasher(name));
            bytes += static_cast<int64_t>(name.size());
        }
    }
    state.SetBytesProcessed(bytes);
    state.SetItemsProcessed(state.iterations() * kKeyCount);
}
BENCHMARK(BM_StdHash);

// Look-ups of every key, in a shuffled order. Each benchmark reports one
// look-up as an item.
std::vector<int> ShuffledOrder() {
    std::vector<int> order(kKeyCount);
    for (int i = 0; i < kKeyCount; ++i) {
        order[i] = i;
    }
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    return order;
}

void BM_StdUnorderedMap(benchmark::State& state) {
    std::unordered_map<std::string, int> map;
    for (int i = 0; i < kKeyCount; ++i) {
        map[Names()[i]] = i;
    }
    const std::vector<std::string> queries = Names();  // separate copies
    const std::vector<int> order = ShuffledOrder();
    for (auto _ : state) {
        int sum = 0;
        for (int i : order) {
            sum += map.find(queries[i])->second;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kKeyCount);
}
BENCHMARK(BM_StdUnorderedMap);

// Engine code hashes the names it looks up once (statics, stored names), so
// the keys carry their cached hashes.
template <typename Map>
void EngineLookups(benchmark::State& state) {
    Map map;
    const std::vector<Varnok::AsciiString> keys = EngineNames();
    for (int i = 0; i < kKeyCount; ++i) {
        map[keys[i]] = i;
    }
    const std::vector<Varnok::AsciiString> queries = EngineNames();
    for (const auto& q : queries) {
        q.GetHash();
    }
    const std::vector<int> order = ShuffledOrder();
    for (auto _ : state) {
        int sum = 0;
        for (int i : order) {
            sum += map.find(queries[i])->second;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kKeyCount);
}

using OrderedNameMap = std::map<Varnok::AsciiString, int, Varnok::AsciiStringLess>;

void BM_EngineOrderedMap(benchmark::State& state) {
    EngineLookups<OrderedNameMap>(state);
}
BENCHMARK(BM_EngineOrderedMap);

void BM_EngineNameMap(benchmark::State& state) {
    EngineLookups<Varnok::NameMap<int>>(state);
}
BENCHMARK(BM_EngineNameMap);

// Both sides build the query key from a C string on every look-up, so every
// look-up hashes: the worst case for the engine string.
void BM_StdUnorderedMapFromCString(benchmark::State& state) {
    std::unordered_map<std::string, int> map;
    for (int i = 0; i < kKeyCount; ++i) {
        map[Names()[i]] = i;
    }
    const std::vector<int> order = ShuffledOrder();
    for (auto _ : state) {
        int sum = 0;
        for (int i : order) {
            sum += map.find(std::string(Names()[i].c_str()))->second;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kKeyCount);
}
BENCHMARK(BM_StdUnorderedMapFromCString);

template <typename Map>
void EngineLookupsFromCString(benchmark::State& state) {
    Map map;
    const std::vector<Varnok::AsciiString> keys = EngineNames();
    for (int i = 0; i < kKeyCount; ++i) {
        map[keys[i]] = i;
    }
    const std::vector<int> order = ShuffledOrder();
    for (auto _ : state) {
        int sum = 0;
        for (int i : order) {
            sum += map.find(Varnok::AsciiString(Names()[i].c_str()))->second;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kKeyCount);
}

void BM_EngineOrderedMapFromCString(benchmark::State& state) {
    EngineLookupsFromCString<OrderedNameMap>(state);
}
BENCHMARK(BM_EngineOrderedMapFromCString);

void BM_EngineNameMapFromCString(benchmark::State& state) {
    EngineLookupsFromCString<Varnok::NameMap<int>>(state);
}
BENCHMARK(BM_EngineNameMapFromCString);

// Keeps each run's time per item so that main can print the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                m_nsPerIteration[run.benchmark_name()] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatio(const char* engine, const char* standard) const {
        auto e = m_nsPerIteration.find(engine);
        auto s = m_nsPerIteration.find(standard);
        if (e == m_nsPerIteration.end() || s == m_nsPerIteration.end() || e->second <= 0) {
            return;
        }
        printf("%-32s vs %-32s: %.2fx the standard map's speed (%.1f vs %.1f ns per look-up)\n",
               engine, standard, s->second / e->second, e->second / kKeyCount,
               s->second / kKeyCount);
    }

private:
    std::map<std::string, double> m_nsPerIteration;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("BM_EngineOrderedMap", "BM_StdUnorderedMap");
    reporter.PrintRatio("BM_EngineNameMap", "BM_StdUnorderedMap");
    reporter.PrintRatio("BM_EngineOrderedMapFromCString", "BM_StdUnorderedMapFromCString");
    reporter.PrintRatio("BM_EngineNameMapFromCString", "BM_StdUnorderedMapFromCString");
    benchmark::Shutdown();
    return 0;
}
