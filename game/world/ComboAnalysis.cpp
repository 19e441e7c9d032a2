// The combo ranking: a tally of kinds in order of first appearance, then
// tests by the number of distinct kinds, then a fallback by size.
#include "game/world/ComboAnalysis.h"

#include "game/world/FruitCatalogue.h"

namespace Varnok {
namespace {

struct Tally {
    int32_t kind;
    int32_t count;
};

struct SingleKindSlot {
    int32_t kind;
    int32_t pattern;
};

constexpr int kSingleKindSlots = 16;
// "kiwi" stays as it is: with a catalogue that says "kiwifruit" it matches
// nothing.
const char* const kSingleKindNames[] = {"apple", "apple_red", "orange",     "pineapple", "watermelon",
                                        "kiwi",  "mango",     "strawberry", "pear",      "banana",
                                        "lime",  "lemon",     "coconut",    "passionfruit"};
constexpr int kNamedSlots = sizeof(kSingleKindNames) / sizeof(kSingleKindNames[0]);

SingleKindSlot g_singleKinds[kSingleKindSlots];
bool g_singleKindsFilled = false;

void FillSingleKinds() {
    const FruitCatalogue& catalogue = FruitCatalogue::Get();
    for (int i = 0; i < kSingleKindSlots; ++i) {
        if (i < kNamedSlots) {
            // Both apples share 6; the others follow from 7.
            g_singleKinds[i] = {catalogue.IndexOf(kSingleKindNames[i], 0), i == 0 ? 6 : 5 + i};
        } else {
            g_singleKinds[i] = {-1, 0};  // unused slots hold no kind
        }
    }
    g_singleKindsFilled = true;
}

int32_t SizeFallback(int count) {
    switch (count) {
        case 0:
        case 1:
        case 2:
            return -1;
        case 3:
            return 0;
        case 4:
            return 1;
        case 5:
            return 2;
        case 6:
            return 3;
        default:
            return 5;
    }
}

int32_t RunTest(const Tally* tallies, int n) {
    int32_t result = -1;
    for (int i = 0; i < n; ++i) {
        if (tallies[i].count == 3 && result == -1) {
            result = 22;
        } else if (tallies[i].count == 4 && result < 23) {
            result = 23;
        }
    }
    return result;
}

}  // namespace

void ResetComboKindTable() {
    g_singleKindsFilled = false;
}

int32_t AnalyseComboFruit(const int32_t* kinds, int count) {
    if (kinds == nullptr || count < 0) {
        count = 0;
    }
    if (count > kComboMaxFruit) {
        count = kComboMaxFruit;
    }
    Tally tallies[kComboMaxFruit];
    int n = 0;
    bool ordered = true;
    for (int i = 0; i < count; ++i) {
        int found = -1;
        for (int t = 0; t < n; ++t) {
            if (tallies[t].kind == kinds[i]) {
                found = t;
                break;
            }
        }
        if (found >= 0) {
            ++tallies[found].count;
            if (found != n - 1) {
                ordered = false;
            }
        } else {
            tallies[n++] = {kinds[i], 1};
        }
    }
    const bool twoTwoOne = count == 5 && n >= 2 && (tallies[0].count == 2 || tallies[1].count == 2);
    bool runTest = false;
    if (n == 3) {
        if (twoTwoOne) {
            return 21;
        }
        runTest = true;
    } else if (n == 2) {
        if (!ordered) {
            bool alternates = true;
            for (int i = 0; i < count && alternates; ++i) {
                alternates = kinds[i] == tallies[i % 2].kind;
            }
            if (alternates) {
                return 24;
            }
        }
        if (twoTwoOne) {
            return 20;
        }
        runTest = true;
    } else if (n == 1) {
        if (!g_singleKindsFilled) {
            FillSingleKinds();
        }
        for (const SingleKindSlot& slot : g_singleKinds) {
            if (slot.kind == kinds[0]) {
                return slot.pattern;
            }
        }
        return SizeFallback(count);
    } else {
        if (count == n && count > 4) {
            return 4;
        }
        runTest = n >= 2;
    }
    if (runTest) {
        const int32_t result = RunTest(tallies, n);
        if (result != -1) {
            return result;
        }
    }
    return SizeFallback(count);
}

}  // namespace Varnok
