// The counting itself, the call-id counter and the functor type ids.
#include "kiplink/Public/RefCounted.h"

#include "kiplink/Public/Functor.h"

namespace Kiplink {

namespace {

uint32_t s_nextCallId = 1;
uint32_t s_nextFunctorTypeId = 1;

}  // namespace

RefCounted::~RefCounted() {
    // Deleting an object somebody still holds is the holder's bug.
    KIPLINK_ASSERT(m_refCount <= 0);
}

int RefCounted::Reference() const { return ++m_refCount; }

int RefCounted::Release() const {
    const int count = --m_refCount;
    if (count > 0) {
        return count;
    }
    delete this;
    return 0;
}

int RefCounted::GetRefCount() const { return m_refCount; }

uint32_t NextCallId(uint32_t* outId) {
    const uint32_t id = s_nextCallId++;
    if (outId != nullptr) {
        *outId = id;
    }
    return id;
}

uint32_t NextFunctorTypeId() { return s_nextFunctorTypeId++; }

}  // namespace Kiplink
