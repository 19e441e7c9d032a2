// One cloud object: the server's last copy, the view with this device's
// unconfirmed edits applied, and its file in the user's folder holding the
// copy ("base", own objects only) and the edits not yet sent ("local").
#pragma once

#include "kiplink/Public/ICloud.h"
#include "kiplink/Public/IUser.h"
#include "kiplink/Source/DataFiles.h"

#include <string>

namespace Kiplink {

class KiplinkProviderImpl;
class Transaction_CloudObjectUpdate;

// SHA-1 of "<owner>_<object id>" in lower-case hex, then ".json".
std::string CloudObjectFileName(const std::string& ownerId, const std::string& objectId);

class CloudObject final : public ICloudObject {
public:
    // own: synchronised through the user's game sync.
    CloudObject(KiplinkProviderImpl* root, IUser* user, std::string ownerId, std::string objectId, bool own);
    ~CloudObject() override;

    void AddCallbacks(ICloudObjectCallbacks* listener) override { m_listeners.Add(listener); }
    void RemoveCallbacks(ICloudObjectCallbacks* listener) override { m_listeners.Remove(listener); }
    IValue* GetData() override;
    bool SetMembers(const IValue* target, int mode, const IValue& members) override;
    bool Set(const IValue* target, int mode, const IValue& value) override;
    bool SetInt(const IValue* target, int mode, int32_t value) override;
    bool SetFloat(const IValue* target, int mode, float value) override;
    bool SetUInt(const IValue* target, int mode, uint32_t value) override;
    bool SetBool(const IValue* target, int mode, bool value) override;
    bool SetString(const IValue* target, int mode, const char* value) override;
    bool SetStringWithLength(const IValue* target, int mode, const char* value, uint32_t length) override;
    bool ModifyUnary(const IValue* target, int mode) override;
    bool Modify(const IValue* target, int mode, const IValue& operand) override;
    bool ModifyInt(const IValue* target, int mode, int32_t operand) override;
    bool ModifyFloat(const IValue* target, int mode, float operand) override;
    bool ModifyUInt(const IValue* target, int mode, uint32_t operand) override;
    bool ModifyBool(const IValue* target, int mode, bool operand) override;
    bool ModifyString(const IValue* target, int mode, const char* operand) override;
    bool AppendCapped(const IValue* target, int mode, const IValue& value, uint32_t maximum) override;
    void Save() override;

    bool IsOwn() const { return m_own; }
    const std::string& GetOwnerId() const { return m_ownerId; }
    const std::string& GetObjectId() const { return m_objectId; }
    uint32_t GetCrc() const { return m_crc; }
    const IValue& GetView() const { return *m_view; }
    const IValue& GetServerCopy() const { return *m_server; }
    const std::string& GetFilePath() const { return m_file->GetPath(); }

    bool HasLocalChanges() const;
    // Moves the file's "local" list behind the sent operations, saves the
    // file and answers the sent operations.
    const IValue& TakeLocalOps();
    void ClearSentOps();
    void SetServerData(const IValue& copy);
    // The folded local edits as a transaction (count 0, the caller takes the
    // first reference), or null when there are none; the file no longer
    // holds them.
    Transaction_CloudObjectUpdate* MakeUpdateTransaction();

private:
    // Keys from the data root down to target; false when it is not inside
    // the view's data (or is the data itself).
    bool PathTo(const IValue* target, IValue& outKeys) const;
    // Runs the operation for target at once and keeps it as a local edit.
    bool Edit(const IValue* target, const IValue& operation);
    bool SetWith(const IValue* target, int mode, const IValue& value, bool merge);
    IValue& Local() { return m_file->GetData()["local"]; }

    ListenerSet<ICloudObjectCallbacks> m_listeners;
    KiplinkProviderImpl* m_root;  // not referenced
    RefPtr<IUser> m_user;
    RefPtr<EncryptedJsonFile> m_file;
    std::string m_ownerId;
    std::string m_objectId;
    bool m_own;
    uint32_t m_crc = 0;
    IValue* m_server;  // owned
    IValue* m_view;    // owned
    IValue* m_sent;    // owned: an array once used
};

}  // namespace Kiplink
