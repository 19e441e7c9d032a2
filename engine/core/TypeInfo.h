// Small per-type ids, handed out in static initialisation order from 1.
#pragma once

#include <atomic>

namespace Varnok {

// Hands out ids 1, 2, 3, ... in order of asking.
class TypeIdCounter {
public:
    int Next() { return ++currID; }
    int Count() const { return currID.load(); }

    std::atomic<int> currID{0};
};

// The process-wide counter behind TypeInfo<T>::ID; returns the next id.
int __INIT_TYPE_ID();
// How many type ids have been handed out so far (every id is in 1..count).
int TypeIdCount();

template <typename T>
struct TypeInfo {
    // Assigned on first use and never 0. Prefer this during static
    // initialisation, where ID may not have been set yet.
    static int GetID() {
        static const int id = __INIT_TYPE_ID();
        return id;
    }
    static inline const int ID = GetID();
};

}  // namespace Varnok
