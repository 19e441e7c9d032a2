// Index range checks of MemoryIndexData.
#include "engine/model/MemoryModelData.h"

namespace Varnok {

int64_t MemoryIndexData::GetMaxIndex() const {
    int64_t largest = -1;
    for (uint32_t i = 0; i < m_indexCount; ++i) {
        const uint8_t* at = m_bytes.data() + static_cast<size_t>(i) * m_indexSize;
        int64_t value = at[0] | (at[1] << 8);
        if (m_indexSize == 4) {
            value |= (static_cast<int64_t>(at[2]) << 16) | (static_cast<int64_t>(at[3]) << 24);
        }
        if (value > largest) {
            largest = value;
        }
    }
    return largest;
}

}  // namespace Varnok
