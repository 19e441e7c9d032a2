// Cloud objects of the online service: one adapter per library object for
// the service's lifetime, and the requests that send other players' objects'
// edits and fetch their server copies, each answering its own delegate once.
#pragma once

#include "engine/services/ICloudService.h"
#include "engine/services/OnlineObjects.h"
#include "kiplink/Public/RefCounted.h"

#include <map>
#include <memory>

namespace Kiplink {
class ICloudObject;
class ICloudObjectSync;
class ICloudProvider;
class IKiplinkProvider;
}  // namespace Kiplink

namespace Varnok {

class KiplinkCloudObject;

class KiplinkCloudService final : public ICloudService {
public:
    explicit KiplinkCloudService(Kiplink::IKiplinkProvider* root);
    ~KiplinkCloudService() override;

    bool Initialise() override { return true; }
    const AsciiString& GetProviderName() const override;

    // Null without a library user, or when the static data defines no such
    // object.
    ICloudObject* GetCloudObject(User* user, const char* name) override;
    // Player: one of this provider's players.
    ICloudObject* GetPlayerCloudObject(User* user, IPlayerProfile* player, const char* name) override;
    // Failures answer at once, sending nothing: "offline", "invalid user",
    // "invalid object". Otherwise the library's text when the reply comes.
    void UpdateCloudObject(User* user, ICloudObject* object, UpdateDelegate onDone) override;
    void GetCloudObjects(User* user, ICloudObject** objects, int count, FetchDelegate onDone) override;

private:
    Kiplink::RefPtr<Kiplink::ICloudObjectSync> SyncOf(User* user) const;
    // Keeps the reference that object carries; null for null.
    KiplinkCloudObject* AdapterFor(Kiplink::ICloudObject* object);

    Kiplink::IKiplinkProvider* m_root;  // not referenced
    Kiplink::RefPtr<Kiplink::ICloudProvider> m_provider;
    // Each key holds one reference of its library object.
    std::map<Kiplink::ICloudObject*, std::unique_ptr<KiplinkCloudObject>> m_objects;
};

}  // namespace Varnok
