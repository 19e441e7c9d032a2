// Item counts of the online service behind the engine's inventory service;
// the store's purchases grant through the first registered one.
#pragma once

#include "engine/services/IInventoryService.h"
#include "kiplink/Public/IInventory.h"
#include "kiplink/Public/RefCounted.h"
#include "providers/Provider_Kiplink/KiplinkDelegateList.h"

namespace Kiplink {
class IKiplinkProvider;
}

namespace Varnok {

class KiplinkInventoryService final : public IInventoryService {
public:
    explicit KiplinkInventoryService(Kiplink::IKiplinkProvider* root);
    ~KiplinkInventoryService() override;

    bool Initialise() override { return true; }
    const AsciiString& GetProviderName() const override;
    // Every copy runs on each inventory change.
    void AddInventoryUpdateListener(Delegate0<void> listener) override;
    void RemoveInventoryUpdateListener(Delegate0<void> listener) override;
    // Each answers 0 (or null) for a user not signed in to the online service.
    int GetItemCount(User* user, const char* itemId) override;
    int ModifyItemCount(User* user, const char* itemId, int amount) override;
    int GetInventoryCount(User* user) override;
    const char* GetInventoryItem(User* user, int index) override;

private:
    class Listener;

    // The provider is asked for on every call rather than held: the root
    // may make it later than this service.
    Kiplink::RefPtr<Kiplink::IInventoryProvider> Inventories() const;
    Kiplink::RefPtr<Kiplink::IInventory> InventoryOf(const User* user) const;

    Kiplink::IKiplinkProvider* m_root;  // not referenced
    Kiplink::RefPtr<Listener> m_listener;
};

}  // namespace Varnok
