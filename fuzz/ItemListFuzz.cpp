// Item catalogues from anywhere: every item equips, its sounds play and
// space out, and the item save written from it reads back to the same
// unlocked and equipped items. Run with -close_fd_mask=2.
#include "game/rules/GameRecord.h"
#include "game/rules/Items.h"

#include <tinyxml.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {
void Silent(const char*, float, float) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace Varnok;
    if (size > (1u << 16)) {
        return 0;
    }
    ItemManager::SetSoundSink(&Silent);
    ItemManager& items = ItemManager::Instance();
    items.LoadCatalogueText(reinterpret_cast<const char*>(data), size);
    std::vector<uint32_t> names;
    for (const auto& item : items.Items()) {
        names.push_back(item->nameHash);
    }
    for (uint32_t name : names) {
        items.UnlockItem(name);
        if (!items.EquipByHash(name)) {
            __builtin_trap();
        }
        for (int i = 0; i < 4; ++i) {
            items.PlaySwipeSound(1.0f);
            items.PlayImpactSound(0.5f);
            items.PlayComboSound(i * 5 - 3);
            items.UpdateSounds(0.3f);
        }
    }
    const int32_t unlocked = items.CountUnlocked();
    Item* equipped[kItemTypeCount];
    for (int type = 0; type < kItemTypeCount; ++type) {
        equipped[type] = items.Equipped(type);
    }
    TiXmlDocument save;
    items.WriteSave(save);
    items.ReadSave(save);
    if (items.CountUnlocked() != unlocked) {
        __builtin_trap();
    }
    for (int type = 0; type < kItemTypeCount; ++type) {
        if (items.Equipped(type) != equipped[type]) {
            __builtin_trap();
        }
    }
    items.DestroyItems();
    ItemManager::SetSoundSink(nullptr);
    return 0;
}
