// Compares contenders on one workload, each run in a fresh process of its
// own and alternating, so neither inherits the other's heap, caches or GL
// state. A benchmark's main hands its contenders to RunSideBySide: started
// plainly the program re-runs itself once per contender and round
// ("--side NAME") and prints every contender's median, range and ratio to the
// first; started with --side it runs that contender once and prints its
// figure.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

namespace Bench {

struct Contender {
    std::string name;
    // One measurement in this process; the figure in the comparison's unit,
    // or a negative number when the contender cannot run here.
    std::function<double()> measure;
};

struct Comparison {
    std::string workload;           // printed first: what exactly is measured
    std::string unit;               // of the figures ("ms per frame")
    bool lowerIsBetter = true;      // times: lower; rates: higher
    int rounds = 5;
    std::vector<Contender> contenders;  // the first is ours; ratios are to it
};

namespace internal {

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

// The figure a child printed as "figure: X"; negative when it printed none.
inline double RunChild(const std::string& self, const std::string& side, const std::string& extraArgs) {
    const std::string command = "'" + self + "' --side '" + side + "'" + extraArgs;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1.0;
    }
    double figure = -1.0;
    char line[512];
    while (fgets(line, sizeof(line), pipe) != nullptr) {
        if (strncmp(line, "figure: ", 8) == 0) {
            figure = strtod(line + 8, nullptr);
        } else {
            fputs(line, stdout);  // the child's own notes (sizes, checks)
        }
    }
    const int status = pclose(pipe);
    return status == 0 ? figure : -1.0;
}

}  // namespace internal

// Arguments after the program name that are not "--side NAME" are passed to
// every child unchanged (quoted), so a benchmark may take its own options.
inline int RunSideBySide(int argc, char** argv, const Comparison& comparison) {
    std::string side;
    std::string extraArgs;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--side") == 0 && i + 1 < argc) {
            side = argv[++i];
        } else {
            extraArgs += std::string(" '") + argv[i] + "'";
        }
    }
    if (!side.empty()) {
        for (const Contender& contender : comparison.contenders) {
            if (contender.name == side) {
                const double figure = contender.measure();
                printf("figure: %.6g\n", figure);
                return figure < 0.0 ? 1 : 0;
            }
        }
        fprintf(stderr, "no contender named %s\n", side.c_str());
        return 2;
    }

    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
    if (length <= 0) {
        fprintf(stderr, "cannot find this program's own path\n");
        return 1;
    }
    self[length] = '\0';

    printf("workload: %s\n", comparison.workload.c_str());
    printf("each contender in a fresh process, alternating, %d rounds; unit: %s (%s is better)\n",
           comparison.rounds, comparison.unit.c_str(), comparison.lowerIsBetter ? "lower" : "higher");
    fflush(stdout);
    const size_t count = comparison.contenders.size();
    std::vector<std::vector<double>> figures(count);
    for (int round = 0; round < comparison.rounds; ++round) {
        // Alternate the order as well, so neither side always runs on a
        // machine the other has just warmed or loaded.
        for (size_t k = 0; k < count; ++k) {
            const size_t i = round % 2 == 0 ? k : count - 1 - k;
            const double figure = internal::RunChild(self, comparison.contenders[i].name, extraArgs);
            if (figure >= 0.0) {
                figures[i].push_back(figure);
            }
            fflush(stdout);
        }
    }

    const double ours = figures[0].empty() ? -1.0 : internal::Median(figures[0]);
    for (size_t i = 0; i < count; ++i) {
        const Contender& contender = comparison.contenders[i];
        if (figures[i].empty()) {
            printf("%-28s could not run here\n", contender.name.c_str());
            continue;
        }
        const auto [low, high] = std::minmax_element(figures[i].begin(), figures[i].end());
        const double median = internal::Median(figures[i]);
        printf("%-28s median %10.4g  range %.4g-%.4g %s", contender.name.c_str(), median, *low, *high,
               comparison.unit.c_str());
        if (i > 0 && ours > 0.0 && median > 0.0) {
            // Above 1: ours is better by that factor.
            const double ratio = comparison.lowerIsBetter ? median / ours : ours / median;
            printf("  ratio %.2fx", ratio);
        }
        printf("\n");
    }
    return figures[0].empty() ? 1 : 0;
}

// Times one pass of a workload inside a contender's process: doubles the
// passes per batch until a batch lasts batchSeconds, then answers the median
// of `batches` such batches, in microseconds per pass.
template <class Pass>
double MedianMicrosecondsPerPass(Pass pass, double batchSeconds, int batches) {
    using Clock = std::chrono::steady_clock;
    int passesPerBatch = 1;
    for (;;) {
        const auto start = Clock::now();
        for (int i = 0; i < passesPerBatch; ++i) pass();
        if (std::chrono::duration<double>(Clock::now() - start).count() >= batchSeconds) break;
        passesPerBatch *= 2;
    }
    std::vector<double> times;
    for (int b = 0; b < batches; ++b) {
        const auto start = Clock::now();
        for (int i = 0; i < passesPerBatch; ++i) pass();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count() / passesPerBatch);
    }
    return internal::Median(times);
}

// A program holding several comparisons: the parent runs each in turn; a
// child started with --side NAME runs the comparison that names it.
inline int RunComparisons(int argc, char** argv, const std::vector<Comparison>& comparisons) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == "--side") {
            for (const Comparison& comparison : comparisons) {
                for (const Contender& contender : comparison.contenders) {
                    if (contender.name == argv[i + 1]) {
                        return RunSideBySide(argc, argv, comparison);
                    }
                }
            }
            fprintf(stderr, "no contender named %s\n", argv[i + 1]);
            return 2;
        }
    }
    int status = 0;
    for (const Comparison& comparison : comparisons) {
        status |= RunSideBySide(argc, argv, comparison);
        printf("\n");
    }
    return status;
}

}  // namespace Bench
