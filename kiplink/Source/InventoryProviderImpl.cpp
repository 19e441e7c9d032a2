#include "kiplink/Source/InventoryProviderImpl.h"

#include "kiplink/Public/IStore.h"
#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/Lua/Exports/ExportSupport.h"
#include "kiplink/Source/Lua/LuaVM.h"
#include "kiplink/Source/Transaction.h"
#include "kiplink/Source/UserImpl.h"
#include "kiplink/Source/ValuePath.h"

namespace Kiplink {

namespace {

const char* TextOr(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

InventoryImpl::InventoryImpl(KiplinkProviderImpl* root, IUser* user)
    : m_root(root), m_user(user), m_lua(root->GetLuaVM()) {
    if (m_lua) {
        m_lua->NewTable();
        m_dataTable = new LuaRegistryRef(m_lua.Get(), -1);
        m_lua->Pop(1);
    }
}

IUser* InventoryImpl::GetUser() {
    m_user->Reference();
    return m_user.Get();
}

int32_t InventoryImpl::GetItemCountById(const char* catalogueId) const {
    if (catalogueId == nullptr || catalogueId[0] == '\0') {
        return 0;
    }
    const auto& state = static_cast<const UserImpl&>(*m_user).GetState();
    const IValue* inventory = FindMember(state, "inventory");
    const IValue* entry = inventory != nullptr ? FindPath(*inventory, SplitDottedKey(catalogueId)) : nullptr;
    const IValue* count = entry != nullptr ? FindMember(*entry, "count") : nullptr;
    return count != nullptr ? count->AsInt(0) : 0;
}

int32_t InventoryImpl::GetItemCount(const IStoreItem* item) const {
    return item != nullptr ? GetItemCountById(item->GetReferenceId()) : 0;
}

int32_t InventoryImpl::AmountAfterScript(const char* catalogueId, int32_t amount) {
    LuaVM* vm = m_root->GetLuaVM();
    auto store = RefPtr<IStoreProvider>::Adopt(m_root->GetStoreProvider());
    auto item = store && vm != nullptr ? RefPtr<IStoreItem>::Adopt(store->GetItem(catalogueId)) : RefPtr<IStoreItem>();
    if (!item) {
        return amount;  // not in the catalogue: added as it is
    }
    static const uint32_t kItemTypeId = LuaTypeId("Kiplink::IStoreItem");
    static const uint32_t kUserTypeId = LuaTypeId("Kiplink::IUser");
    ScriptHookCall call;
    if (!call.Begin(*vm, kItemTypeId, item.Get(), "OnAddedToInventory")) {
        return amount;
    }
    call.PushObjectArgument(kUserTypeId, m_user.Get());
    call.PushInt(amount);
    int32_t answered = 0;
    return call.CallForInt(&answered) ? answered : amount;
}

int32_t InventoryImpl::ModifyItemCountById(const char* catalogueId, int32_t amount) {
    if (amount == 0 || catalogueId == nullptr) {
        return GetItemCountById(catalogueId);
    }
    const int32_t added = AmountAfterScript(catalogueId, amount);
    auto& user = static_cast<UserImpl&>(*m_user);  // users come only from the root
    user.Record(new Transaction_InventoryAdd(m_root, catalogueId, added));
    RefPtr<InventoryImpl> self(this);  // a listener may drop the last other reference
    m_listeners.Notify(&IInventoryCallbacks::OnInventoryUpdated, static_cast<IInventory*>(this));
    return GetItemCountById(catalogueId);
}

int32_t InventoryImpl::ModifyItemCount(const IStoreItem* item, int32_t amount) {
    return item != nullptr ? ModifyItemCountById(item->GetReferenceId(), amount) : 0;
}

int32_t InventoryImpl::GetInventoryCount() const {
    const IValue* inventory = FindMember(static_cast<const UserImpl&>(*m_user).GetState(), "inventory");
    return inventory != nullptr && inventory->IsObject() ? static_cast<int32_t>(inventory->GetMemberCount()) : 0;
}

const char* InventoryImpl::GetInventoryItem(int32_t index) const {
    if (index < 0 || index >= GetInventoryCount()) {
        return nullptr;
    }
    const IValue* inventory = FindMember(static_cast<const UserImpl&>(*m_user).GetState(), "inventory");
    const IValue* entry = inventory->GetMemberAt(static_cast<uint32_t>(index));
    return entry != nullptr ? FindString(*entry, "catalogueId") : nullptr;
}

void InventoryForwarder::OnInventoryUpdated(IInventory* inventory) {
    if (m_provider != nullptr) {
        m_provider->ForwardInventory(inventory);
    }
}

InventoryProviderImpl::~InventoryProviderImpl() {
    if (m_forwarder) {
        m_forwarder->Detach();  // inventories a caller still holds keep it
    }
}

void InventoryProviderImpl::ForwardInventory(IInventory* inventory) {
    m_listeners.Notify(&IInventoryProviderCallbacks::OnInventoryUpdated, inventory);
}

IInventory* InventoryProviderImpl::GetInventory(IUser* user) {
    if (user == nullptr) {
        return nullptr;
    }
    RefPtr<InventoryImpl>& inventory = m_inventories[user];
    if (!inventory) {
        if (!m_forwarder) {
            m_forwarder = new InventoryForwarder(this);
        }
        inventory = new InventoryImpl(m_root, user);
        inventory->AddCallbacks(m_forwarder.Get());
    }
    inventory->Reference();
    return inventory.Get();
}

bool PurchaseProviderImpl::AddPurchase(IUser* user, const char* catalogueId, const char* obj,
                                       const char* transactionIdentifier, const char* receipt) {
    if (user == nullptr) {
        return false;
    }
    Transaction_Purchase::Receipt record{TextOr(obj), TextOr(catalogueId), TextOr(transactionIdentifier),
                                         TextOr(receipt)};
    static_cast<UserImpl*>(user)->Record(new Transaction_Purchase(m_root, std::move(record)));
    return true;
}

}  // namespace Kiplink
