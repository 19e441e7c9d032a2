// A purchase's states, its progress event and the grant of what was bought.
#include "providers/Provider_Kiplink/KiplinkStorePurchase.h"

#include "engine/core/Event.h"
#include "engine/services/IInventoryService.h"
#include "engine/services/ServiceManager.h"
#include "engine/services/User.h"
#include "kiplink/Public/IInventory.h"
#include "kiplink/Public/IKiplinkProvider.h"
#include "providers/Provider_Kiplink/UserComponent_Kiplink.h"

#include <map>
#include <string>

namespace Varnok {

bool KiplinkStorePurchase::IsComplete() const {
    return m_state == STOREPURCHASE::Succeeded || m_state == STOREPURCHASE::Failed;
}

void KiplinkStorePurchase::SetTransactionInfo(const char* object, const char* identifier, const char* receipt) {
    m_transactionObject = object != nullptr ? object : "";
    m_transactionIdentifier = identifier != nullptr ? identifier : "";
    m_transactionReceipt = receipt != nullptr ? receipt : "";
}

void KiplinkStorePurchase::SetState(STOREPURCHASE state) {
    if (state == m_state || IsComplete()) {
        return;
    }
    m_state = state;
    if (m_paymentKind == STOREPAYMENTMETHOD::RealMoney) {
        FireProgress();
    }
    if (!IsComplete()) {
        return;
    }
    if (m_state == STOREPURCHASE::Succeeded) {
        Grant(true);
    }
    m_def.onDone(this, m_state);
}

void KiplinkStorePurchase::GrantWithoutNotice() {
    m_state = STOREPURCHASE::Succeeded;
    Grant(false);
}

void KiplinkStorePurchase::FireProgress() const {
    Event event("iap_progress");
    const char* category = m_def.item != nullptr ? m_def.item->GetCategoryId() : nullptr;
    event.SetString("name", category != nullptr && category[0] != '\0' ? category : "none");
    const char* itemId = m_def.item != nullptr ? m_def.item->GetId() : nullptr;
    event.SetString("item", itemId != nullptr ? itemId : "");
    switch (m_state) {
        case STOREPURCHASE::Failed:
            event.SetString("event", "failed");
            event.SetString("reason", m_error.c_str());
            break;
        case STOREPURCHASE::Succeeded: event.SetString("event", "succeeded"); break;
        case STOREPURCHASE::Initiated: event.SetString("event", "initiated"); break;
        default: break;
    }
    EventDispatcher::Get().Fire(event);
}

void KiplinkStorePurchase::Grant(bool drawEachUnit) {
    User* user = m_def.user;
    IStoreItem* item = m_def.item;
    if (user == nullptr || item == nullptr) {
        return;
    }
    if (!user->IsInTransaction()) {
        user->BeginTransaction();
    }
    Kiplink::IUser* libraryUser = UserComponent_Kiplink::LibraryUserOf(user);
    auto records = Kiplink::RefPtr<Kiplink::IPurchaseProvider>::Adopt(
        m_def.root != nullptr ? m_def.root->GetPurchaseProvider() : nullptr);
    if (records && libraryUser != nullptr) {
        (void)records->AddPurchase(libraryUser, item->GetId(), m_transactionObject.c_str(),
                                   m_transactionIdentifier.c_str(), m_transactionReceipt.c_str());
    }
    auto* inventory = m_def.manager != nullptr ? m_def.manager->GetService<IInventoryService>() : nullptr;
    if (inventory != nullptr) {
        // Tallied by id, so that each item gets one change, in byte order.
        std::map<std::string, int> grants;
        if (!item->IsBundle()) {
            grants[item->GetId() != nullptr ? item->GetId() : ""] += 1;
        } else if (drawEachUnit) {
            for (int i = 0; i < item->GetBundleCount(); ++i) {
                IStoreItem* drawn = item->GetBundledItem();
                if (drawn != nullptr && drawn->GetId() != nullptr) {
                    grants[drawn->GetId()] += 1;
                }
            }
        } else if (IStoreItem* drawn = item->GetBundledItem(); drawn != nullptr && drawn->GetId() != nullptr) {
            grants[drawn->GetId()] += item->GetBundleCount();
        }
        for (const auto& grant : grants) {
            if (!grant.first.empty() && grant.second >= 1) {
                inventory->ModifyItemCount(user, grant.first.c_str(), grant.second);
            }
        }
    }
    user->EndTransaction();
    user->SaveComponents();
}

}  // namespace Varnok
