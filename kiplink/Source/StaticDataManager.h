// The static data in use: an index of the signed files ("StaticData.json"
// in the save area), their verified contents by type, the fingerprint of the
// loaded set, and the download of a newer set that the service announces.
#pragma once

#include "kiplink/Public/IValue.h"
#include "kiplink/Source/DataFiles.h"

#include <map>
#include <string>
#include <vector>

namespace Kiplink {

class KiplinkProviderImpl;

enum StaticDataType : int {
    kStaticCatalogue = 0,
    kStaticItems = 1,
    kStaticCategories = 2,
    kStaticScripts = 3,
    kStaticCurrencies = 4,
    kStaticPaymentProviders = 5,
    kStaticAchievements = 6,
    kStaticLeaderboards = 7,
    kStaticSettings = 8,
    kStaticOfflineInfo = 9,
    kStaticItemGroups = 10,
    kStaticCloudObjects = 11,
    kStaticUnknown = 12,
};

// The type index of a name (any case); kStaticUnknown for others.
int StaticDataTypeOf(const char* name);
const char* StaticDataTypeName(int type);  // lower case

class StaticDataManager {
public:
    explicit StaticDataManager(KiplinkProviderImpl* root);
    virtual ~StaticDataManager();
    StaticDataManager(const StaticDataManager&) = delete;
    StaticDataManager& operator=(const StaticDataManager&) = delete;

    void Load();
    // An announcement: the set hash, the folder it is served from and
    // {"<name>": "<remote path>"}.
    void RequestUpdate(const char* hash, const char* baseUrl, const IValue& hashTable);
    void GetHash(std::string* outHash) const { *outHash = m_hash; }
    // A download's end; localPath null when it failed for good.
    void OnFileDownloaded(const char* localPath, const std::string& remotePath, bool signature);

    // The loaded file of a type, or null.
    const SignedDataFile* GetFile(int type) const;
    const IValue& GetIndex() const { return m_index->GetData(); }
    // How many times a complete set was handed to the providers, and whether
    // the last was in the item layout ("v3").
    int GetAppliedCount() const { return m_appliedCount; }
    bool IsItemLayout() const { return m_itemLayout; }
    size_t GetPendingDownloadCount() const { return m_pending.size(); }

private:
    struct PendingFile {
        int type;
        std::string remotePath;
        bool dataArrived = false;
        bool signatureArrived = false;
        bool failed = false;
        std::string localPath;
    };

    void ResetToShipped();
    bool ReadOfflineInfo(const std::string& path, std::vector<std::string>* outNames, bool* outItemLayout);
    void ComputeHash();
    void Apply(bool itemLayout);
    void ReleaseFiles(std::map<int, SignedDataFile*>* files);

    KiplinkProviderImpl* m_root;
    RefPtr<EncryptedJsonFile> m_index;
    bool m_retry = true;
    std::map<int, SignedDataFile*> m_files;
    std::string m_hash;
    std::string m_requestedHash;
    std::vector<PendingFile> m_pending;
    bool m_itemLayout = false;
    int m_appliedCount = 0;
};

}  // namespace Kiplink
