#include "kiplink/Source/StaticDataManager.h"

#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/Log.h"
#include "kiplink/Source/Wire.h"

#include <strings.h>

#include <algorithm>
#include <utility>

namespace Kiplink {

namespace {

const char* const kTypeNames[kStaticUnknown] = {
    "catalogue", "items",       "categories", "scripts",      "currencies", "paymentproviders",
    "achievements", "leaderboards", "settings", "offlineinfo", "itemgroups", "cloudobjects"};

const char* const kShippedInfo = "offlineInfo.offline";

// The completion of one static-data download.
struct StaticDownload {
    StaticDataManager* manager;
    std::string remotePath;
    bool signature;
    void Complete(const char* localPath) { manager->OnFileDownloaded(localPath, remotePath, signature); }
    bool operator==(const StaticDownload& other) const {
        return manager == other.manager && remotePath == other.remotePath && signature == other.signature;
    }
};

bool HasData(const SignedDataFile* file) { return file != nullptr && !file->GetData().IsNull(); }

}  // namespace

int StaticDataTypeOf(const char* name) {
    if (name == nullptr) {
        return kStaticUnknown;
    }
    for (int type = 0; type < kStaticUnknown; ++type) {
        if (strcasecmp(name, kTypeNames[type]) == 0) {
            return type;
        }
    }
    return kStaticUnknown;
}

const char* StaticDataTypeName(int type) {
    return type >= 0 && type < kStaticUnknown ? kTypeNames[type] : "";
}

StaticDataManager::StaticDataManager(KiplinkProviderImpl* root)
    : m_root(root),
      m_index(new EncryptedJsonFile(root->Platform(), root->GetRootDataPath("StaticData.json"))) {
    if (!m_index->Load()) {
        ResetToShipped();
    }
}

StaticDataManager::~StaticDataManager() { ReleaseFiles(&m_files); }

void StaticDataManager::ReleaseFiles(std::map<int, SignedDataFile*>* files) {
    for (auto& entry : *files) {
        entry.second->Release();
    }
    files->clear();
}

const SignedDataFile* StaticDataManager::GetFile(int type) const {
    auto found = m_files.find(type);
    return found != m_files.end() ? found->second : nullptr;
}

bool StaticDataManager::ReadOfflineInfo(const std::string& path, std::vector<std::string>* outNames,
                                        bool* outItemLayout) {
    outNames->assign(1, "offlineInfo");
    RefPtr<SignedDataFile> info(new SignedDataFile(m_root->Platform(), path));
    if (!info->Load()) {
        return false;
    }
    const IValue& data = info->GetData();
    const IValue& files = *data.GetMemberByString("files");
    for (uint32_t i = 0; i < files.GetMemberCount() && files.IsArray(); ++i) {
        const IValue& name = *files.GetMemberByInt(static_cast<int32_t>(i));
        if (name.IsString()) {
            outNames->push_back(name.AsString(""));
        }
    }
    const IValue& version = *data.GetMemberByString("version");
    const std::string versionText = version.IsString() ? version.AsString("") : "";
    if (!files.IsArray() || (versionText != "v3" && versionText != "v2")) {
        Log("kiplink: static data %s has no usable file list or version", path.c_str());
        return false;
    }
    *outItemLayout = versionText == "v3";
    return true;
}

void StaticDataManager::ResetToShipped() {
    IValue& current = m_index->GetData()["current"];
    IValue* fresh = CreateValue();
    fresh->Parse("{}");
    current.SetAsValue(*fresh);  // no entry of an earlier set survives
    fresh->Release();
    current["offlineInfo"].SetAsString(kShippedInfo);
    std::vector<std::string> names;
    bool itemLayout = false;
    ReadOfflineInfo(kShippedInfo, &names, &itemLayout);
    for (size_t i = 1; i < names.size(); ++i) {
        current[names[i].c_str()].SetAsString((names[i] + ".offline").c_str());
    }
    m_index->Save();
}

void StaticDataManager::Load() {
    const IValue& current = *static_cast<const IValue&>(m_index->GetData()).GetMemberByString("current");
    const IValue& infoPath = *current.GetMemberByString("offlineInfo");
    if (!infoPath.IsString()) {
        Log("kiplink: the static-data index names no offline information");
        return;
    }
    std::vector<std::string> names;
    bool itemLayout = false;
    if (!ReadOfflineInfo(infoPath.AsString(""), &names, &itemLayout)) {
        ResetToShipped();
        if (m_retry) {
            m_retry = false;
            Load();
        }
        return;
    }
    std::map<int, SignedDataFile*> loaded;
    bool ok = true;
    for (const std::string& name : names) {
        // An update records its files under the lower-case type name; the
        // shipped set under the names of its list.
        const int typeOfName = StaticDataTypeOf(name.c_str());
        const IValue* path = current.GetMemberByString(
            typeOfName != kStaticUnknown && typeOfName != kStaticOfflineInfo ? StaticDataTypeName(typeOfName)
                                                                               : name.c_str());
        if (!path->IsString()) {
            path = current.GetMemberByString(name.c_str());
        }
        if (!path->IsString()) {
            ok = false;
            break;
        }
        auto* file = new SignedDataFile(m_root->Platform(), path->AsString(""));
        file->Reference();
        const int type = typeOfName;
        if (!file->Load() || type == kStaticUnknown) {
            file->Release();
            ok = type == kStaticUnknown && ok;  // an unknown name is skipped, a failed load is not
            if (!ok) {
                break;
            }
            continue;
        }
        auto existing = loaded.find(type);
        if (existing != loaded.end()) {
            existing->second->Release();
        }
        loaded[type] = file;
    }
    if (!ok) {
        ReleaseFiles(&loaded);
        ResetToShipped();
        return;
    }
    ReleaseFiles(&m_files);
    m_files = std::move(loaded);
    ComputeHash();
    Apply(itemLayout);
}

void StaticDataManager::ComputeHash() {
    std::vector<std::string> hashes;
    for (const auto& entry : m_files) {
        hashes.push_back(entry.second->GetHash());
    }
    std::sort(hashes.begin(), hashes.end());
    std::string joined;
    for (const std::string& hash : hashes) {
        joined += hash;
    }
    m_hash = Sha1Hex(joined.data(), joined.size());
}

void StaticDataManager::Apply(bool itemLayout) {
    static const int kItemLayoutTypes[] = {kStaticItems,      kStaticLeaderboards, kStaticPaymentProviders,
                                           kStaticAchievements, kStaticCurrencies, kStaticScripts,
                                           kStaticItemGroups, kStaticCloudObjects, kStaticSettings};
    static const int kCatalogueLayoutTypes[] = {kStaticCatalogue, kStaticCategories, kStaticPaymentProviders,
                                                kStaticAchievements, kStaticCurrencies};
    const int* required = itemLayout ? kItemLayoutTypes : kCatalogueLayoutTypes;
    const size_t count = itemLayout ? 9 : 5;
    for (size_t i = 0; i < count; ++i) {
        if (!HasData(GetFile(required[i]))) {
            Log("kiplink: static data lacks %s; nothing applied", StaticDataTypeName(required[i]));
            return;
        }
    }
    // The store, achievement, bank, leaderboard, cloud-object, setting and
    // script providers take their types from here once they exist.
    m_itemLayout = itemLayout;
    ++m_appliedCount;
    m_root->ApplyStaticData(itemLayout);
    m_root->ApplyStoreStaticData(*this, itemLayout);
}

void StaticDataManager::RequestUpdate(const char* hash, const char* baseUrl, const IValue& hashTable) {
    const std::string wanted = hash != nullptr ? hash : "";
    if (wanted == m_hash || wanted == m_requestedHash) {
        return;
    }
    m_requestedHash = wanted;
    m_pending.clear();
    std::string base = baseUrl != nullptr ? baseUrl : "";
    if (base.empty() || base.back() != '/') {
        base += '/';
    }
    for (uint32_t i = 0; i < hashTable.GetMemberCount() && hashTable.IsObject(); ++i) {
        const IValue* value = hashTable.GetMemberAt(i);
        IValue* key = value->GetKey();
        if (key == nullptr) {
            continue;
        }
        const int type = key->IsString() ? StaticDataTypeOf(key->AsString("")) : kStaticUnknown;
        if (type != kStaticUnknown && value->IsString()) {
            PendingFile pending;
            pending.type = type;
            pending.remotePath = value->AsString("");
            m_pending.push_back(pending);
        }
        key->Release();
    }
    const std::vector<PendingFile> queued = m_pending;  // completions may run at once
    for (const PendingFile& pending : queued) {
        for (bool signature : {false, true}) {
            const std::string url = base + pending.remotePath + (signature ? ".sig" : "");
            m_root->Downloads().Download(
                url,
                BoundRecordFunctor<StaticDownload, const char*>(
                    StaticDownload{this, pending.remotePath, signature}, &StaticDownload::Complete),
                "", false);
        }
    }
}

void StaticDataManager::OnFileDownloaded(const char* localPath, const std::string& remotePath, bool signature) {
    bool matched = false;
    for (PendingFile& pending : m_pending) {
        if (pending.remotePath != remotePath) {
            continue;
        }
        matched = true;
        if (localPath == nullptr) {
            pending.failed = true;
        } else if (signature) {
            pending.signatureArrived = true;
        } else {
            pending.dataArrived = true;
            pending.localPath = localPath;
        }
    }
    if (!matched) {
        return;
    }
    for (const PendingFile& pending : m_pending) {
        if (pending.failed) {
            // A download that failed for good abandons the update; a later
            // announcement of the same hash is not tried again this run.
            Log("kiplink: static-data update abandoned: %s did not download", pending.remotePath.c_str());
            m_pending.clear();
            return;
        }
        if (!pending.dataArrived || !pending.signatureArrived) {
            return;
        }
    }
    std::vector<PendingFile> arrived;
    arrived.swap(m_pending);
    std::map<int, SignedDataFile*> fresh;
    bool itemLayout = false;
    for (const PendingFile& pending : arrived) {
        auto* file = new SignedDataFile(m_root->Platform(), pending.localPath);
        file->Reference();
        const bool loaded = file->Load();
        if (pending.type == kStaticOfflineInfo) {
            const IValue& data = file->GetData();
            if (!loaded || !data.IsObject()) {
                file->Release();
                continue;
            }
            const IValue& version = *data.GetMemberByString("version");
            const std::string text = version.IsString() ? version.AsString("") : "";
            if (text != "v3" && text != "v2") {
                file->Release();
                ReleaseFiles(&fresh);
                Log("kiplink: static-data update abandoned: unknown version");
                return;
            }
            itemLayout = text == "v3";
        } else if (!loaded) {
            file->Release();
            ReleaseFiles(&fresh);
            Log("kiplink: static-data update abandoned: %s did not verify", pending.localPath.c_str());
            return;
        }
        auto existing = fresh.find(pending.type);
        if (existing != fresh.end()) {
            existing->second->Release();
        }
        fresh[pending.type] = file;
    }
    IValue& current = m_index->GetData()["current"];
    for (auto& entry : fresh) {
        const char* key = entry.first == kStaticOfflineInfo ? "offlineInfo" : StaticDataTypeName(entry.first);
        current[key].SetAsString(entry.second->GetPath().c_str());
        auto old = m_files.find(entry.first);
        if (old != m_files.end()) {
            old->second->Release();
        }
        m_files[entry.first] = entry.second;
    }
    m_index->Save();
    ComputeHash();
    Apply(itemLayout);
}

}  // namespace Kiplink
