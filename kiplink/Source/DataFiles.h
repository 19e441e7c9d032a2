// The library's local files: JSON documents enciphered under the storage
// cipher (each save salted so that no two saves match), and signed static
// data (framed under the transport cipher beside a 128-byte RSA signature).
#pragma once

#include "kiplink/Public/IPlatform.h"
#include "kiplink/Public/IValue.h"
#include "kiplink/Public/RefCounted.h"

#include <cstdint>
#include <string>

namespace Kiplink {

// The whole file, or false (a missing file, a short read).
bool ReadWholeFile(IPlatform& platform, const char* path, std::string* outBytes);

// Deciphers a stored file and takes its "data" (null when absent); false
// when the plaintext is no JSON.
bool ParseEncryptedJson(const std::string& bytes, IValue* outData);

class EncryptedJsonFile : public RefCounted {
public:
    EncryptedJsonFile(IPlatform* platform, std::string path);
    ~EncryptedJsonFile() override;

    // Sets null data and saves.
    virtual bool Clear();
    // True when the file was read and its data taken; the data stays as it
    // was otherwise.
    virtual bool Load();
    virtual bool Save();
    virtual IValue& GetData() { return *m_data; }
    virtual const IValue& GetData() const { return *m_data; }
    virtual const std::string& GetPath() const { return m_path; }

protected:
    void TakeData(const IValue& data);

    RefPtr<IPlatform> m_platform;
    std::string m_path;
    IValue* m_data;
};

// Checks a signature over the stored file bytes; the signature must be
// exactly 128 bytes.
bool VerifyStaticSignature(const std::string& file, const std::string& signature);
// Signature, framing, JSON: the file's "data" and the SHA-1 of its text.
bool OpenSignedData(const std::string& file, const std::string& signature, IValue* outData,
                    std::string* outHash, const char** outWhy);

class SignedDataFile : public EncryptedJsonFile {
public:
    SignedDataFile(IPlatform* platform, std::string path);

    bool Clear() override;
    // Reads path and path + ".sig"; nothing partial is kept on failure.
    bool Load() override;
    // Signed files are never written.
    bool Save() override { return false; }
    // 40 lower-case hex digits of the SHA-1 of the inflated text.
    virtual const std::string& GetHash() const { return m_hash; }

private:
    std::string m_hash;
};

}  // namespace Kiplink
