// The one counter behind every TypeInfo<T>::ID in the process.
#include "engine/core/TypeInfo.h"

namespace Varnok {

namespace {

TypeIdCounter& Counter() {
    static TypeIdCounter counter;  // constant-initialised: safe from any static init
    return counter;
}

}  // namespace

int __INIT_TYPE_ID() {
    return Counter().Next();
}

int TypeIdCount() {
    return Counter().Count();
}

}  // namespace Varnok
