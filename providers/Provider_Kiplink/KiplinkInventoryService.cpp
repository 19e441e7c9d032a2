// Item counts through the client library's inventory provider.
#include "providers/Provider_Kiplink/KiplinkInventoryService.h"

#include "kiplink/Public/IKiplinkProvider.h"
#include "providers/Provider_Kiplink/Provider_Kiplink.h"
#include "providers/Provider_Kiplink/UserComponent_Kiplink.h"

namespace Varnok {

class KiplinkInventoryService::Listener final : public Kiplink::IInventoryProviderCallbacks {
public:
    void OnInventoryUpdated(Kiplink::IInventory*) override { delegates.CallAll(); }

    KiplinkDelegateList delegates;
};

KiplinkInventoryService::KiplinkInventoryService(Kiplink::IKiplinkProvider* root) : m_root(root) {}

KiplinkInventoryService::~KiplinkInventoryService() {
    if (m_listener) {
        if (auto inventories = Inventories()) {
            inventories->RemoveCallbacks(m_listener.Get());
        }
    }
}

const AsciiString& KiplinkInventoryService::GetProviderName() const { return Provider_Kiplink::GetProviderName(); }

Kiplink::RefPtr<Kiplink::IInventoryProvider> KiplinkInventoryService::Inventories() const {
    return Kiplink::RefPtr<Kiplink::IInventoryProvider>::Adopt(m_root != nullptr ? m_root->GetInventoryProvider()
                                                                                 : nullptr);
}

Kiplink::RefPtr<Kiplink::IInventory> KiplinkInventoryService::InventoryOf(const User* user) const {
    Kiplink::IUser* libraryUser = UserComponent_Kiplink::LibraryUserOf(user);
    auto inventories = libraryUser != nullptr ? Inventories() : Kiplink::RefPtr<Kiplink::IInventoryProvider>();
    if (!inventories) {
        return {};
    }
    return Kiplink::RefPtr<Kiplink::IInventory>::Adopt(inventories->GetInventory(libraryUser));
}

void KiplinkInventoryService::AddInventoryUpdateListener(Delegate0<void> listener) {
    if (listener.IsEmpty()) {
        return;
    }
    if (!m_listener) {
        m_listener = new Listener;
    }
    if (auto inventories = Inventories()) {
        inventories->AddCallbacks(m_listener.Get());
    }
    m_listener->delegates.Add(listener);
}

void KiplinkInventoryService::RemoveInventoryUpdateListener(Delegate0<void> listener) {
    if (!listener.IsEmpty() && m_listener) {
        m_listener->delegates.RemoveAll(listener);
    }
}

int KiplinkInventoryService::GetItemCount(User* user, const char* itemId) {
    auto inventory = InventoryOf(user);
    return inventory ? inventory->GetItemCountById(itemId) : 0;
}

int KiplinkInventoryService::ModifyItemCount(User* user, const char* itemId, int amount) {
    auto inventory = InventoryOf(user);
    return inventory ? inventory->ModifyItemCountById(itemId, amount) : 0;
}

int KiplinkInventoryService::GetInventoryCount(User* user) {
    auto inventory = InventoryOf(user);
    return inventory ? inventory->GetInventoryCount() : 0;
}

const char* KiplinkInventoryService::GetInventoryItem(User* user, int index) {
    auto inventory = InventoryOf(user);
    // The id lives in the user's state, which outlasts this reference.
    return inventory ? inventory->GetInventoryItem(index) : nullptr;
}

}  // namespace Varnok
