// Small text values under text keys, kept in three places at once so that a
// value survives a reinstall and is shared with the maker's other
// applications: a keychain item (plain UTF-8), an enciphered item on a named
// persistent pasteboard, and a file "KeyStore.<key>.txt" in "save" (the
// text and a zero byte). The keychain and pasteboard are the platform's
// (platform/ has file-backed stand-ins in a shared folder). Main thread only.
#pragma once

#include "engine/core/Aes.h"

#include <cstdint>
#include <string>

namespace Varnok {

class SecureKeychain {
public:
    virtual ~SecureKeychain() = default;
    // The generic-password item's value; false when there is no item.
    virtual bool Find(const char* service, const char* group, const char* account, std::string* outValue) = 0;
    virtual bool Add(const char* service, const char* group, const char* account, const std::string& value) = 0;
    virtual bool Update(const char* service, const char* group, const char* account, const std::string& value) = 0;
};

class SecurePasteboard {
public:
    virtual ~SecurePasteboard() = default;
    // Whether the named pasteboard exists (it is never created by asking).
    virtual bool Exists(const char* name) = 0;
    // The data of the item of this type under the key; false when missing.
    virtual bool GetItem(const char* name, const char* type, const char* key, std::string* outData) = 0;
    // Creates the pasteboard when missing, makes it persistent and stores the
    // item; false when it could not.
    virtual bool SetItem(const char* name, const char* type, const char* key, const std::string& data) = 0;
};

class SecureKeyStore {
public:
    static constexpr const char* kKeychainService = "com.vellmarch.keystore";
    static constexpr const char* kKeychainGroup = "VELLMARCH.shared";
    static constexpr const char* kPasteboardName = "com.vellmarch.pasteboard";
    static constexpr const char* kPasteboardType = "kiplinkUIPasteboardData";

    // Either place may be null (then skipped). fileSystemKey: where the
    // files go ("save" by default).
    SecureKeyStore(SecureKeychain* keychain, SecurePasteboard* pasteboard, uint32_t fileSystemKey = 0);

    // The process's store over the installed places.
    static SecureKeyStore& GetDefault();
    static void InstallDefault(SecureKeychain* keychain, SecurePasteboard* pasteboard);

    // The pasteboard's item for the key when there is one, else a non-empty
    // keychain value, else the file.
    bool Get(const char* key, std::string& outText);
    // All three places; true when the keychain or the file write succeeded.
    bool Write(const char* key, const std::string& text);
    // Compare-before-write: when the stored value differs from lastRead,
    // another writer changed it and only the file is written.
    bool Set(const char* key, const std::string& text, const std::string& lastRead);
    bool ReadFile(const char* key, std::string& outText);
    bool WriteFile(const char* key, const std::string& text);

    static const Cipher& GetCipher();
    static std::string Encipher(const std::string& text);
    // Up to the first zero byte.
    static std::string Decipher(const std::string& data);

private:
    SecureKeychain* m_keychain;
    SecurePasteboard* m_pasteboard;
    uint32_t m_fileSystemKey;
};

// "LocalKeyStore.<key>.txt" in "save": the text and a zero byte.
class LocalKeyStore {
public:
    static bool Get(const char* key, std::string& outText, uint32_t fileSystemKey = 0);
    static bool Set(const char* key, const std::string& text, const std::string& previous,
                    uint32_t fileSystemKey = 0);
};

// Shared by both stores: the text up to its first zero byte.
bool ReadZeroTerminatedFile(const std::string& path, uint32_t fileSystemKey, std::string& outText);
bool WriteZeroTerminatedFile(const std::string& path, uint32_t fileSystemKey, const std::string& text);

}  // namespace Varnok
