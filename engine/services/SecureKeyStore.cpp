#include "engine/services/SecureKeyStore.h"

#include "engine/core/FileSystem.h"

namespace Varnok {

namespace {

const char kKeyStoreKey[17] = "9D3A61F0C84B2E75";
const char kKeyStoreIv[17] = "B1E8475A2F0C96D3";

SecureKeychain* g_keychain = nullptr;
SecurePasteboard* g_pasteboard = nullptr;

uint32_t SaveKey(uint32_t key) {
    return key != 0 ? key : FileSystemKey("save");
}

}  // namespace

bool ReadZeroTerminatedFile(const std::string& path, uint32_t fileSystemKey, std::string& outText) {
    auto stream = FileSystemRegistry::Get().Open(path.c_str(), kOpenRead, SaveKey(fileSystemKey));
    if (stream == nullptr) {
        return false;
    }
    const int32_t length = stream->GetLength();
    std::string bytes(static_cast<size_t>(length > 0 ? length : 0), '\0');
    const bool read = length <= 0 || stream->Read(&bytes[0], length);
    stream->Close();
    if (!read) {
        return false;
    }
    const size_t end = bytes.find('\0');
    outText = bytes.substr(0, end);
    return true;
}

bool WriteZeroTerminatedFile(const std::string& path, uint32_t fileSystemKey, const std::string& text) {
    auto stream = FileSystemRegistry::Get().Open(path.c_str(), kOpenWrite, SaveKey(fileSystemKey));
    if (stream == nullptr) {
        return false;
    }
    const bool written = stream->Write(text.c_str(), static_cast<int32_t>(text.size() + 1));
    stream->Close();
    return written;
}

SecureKeyStore::SecureKeyStore(SecureKeychain* keychain, SecurePasteboard* pasteboard, uint32_t fileSystemKey)
    : m_keychain(keychain), m_pasteboard(pasteboard), m_fileSystemKey(fileSystemKey) {}

SecureKeyStore& SecureKeyStore::GetDefault() {
    static SecureKeyStore s_store(nullptr, nullptr);
    s_store.m_keychain = g_keychain;
    s_store.m_pasteboard = g_pasteboard;
    return s_store;
}

void SecureKeyStore::InstallDefault(SecureKeychain* keychain, SecurePasteboard* pasteboard) {
    g_keychain = keychain;
    g_pasteboard = pasteboard;
}

const Cipher& SecureKeyStore::GetCipher() {
    // Never destroyed: the user store saves from static destructors at exit.
    static const AesCbcCipher* s_cipher = [] {
        auto* cipher = new AesCbcCipher();
        cipher->SetKey(kKeyStoreKey, kKeyStoreIv);
        return cipher;
    }();
    return *s_cipher;
}

std::string SecureKeyStore::Encipher(const std::string& text) {
    std::string out;
    GetCipher().EncryptString(text.c_str(), out);
    return out;
}

std::string SecureKeyStore::Decipher(const std::string& data) {
    if (data.empty()) {
        return std::string();
    }
    std::string plain;
    GetCipher().DecryptToString(data.data(), static_cast<int>(data.size()), plain);
    return plain.substr(0, plain.find('\0'));
}

bool SecureKeyStore::Get(const char* key, std::string& outText) {
    if (key == nullptr) {
        return false;
    }
    std::string data;
    if (m_pasteboard != nullptr && m_pasteboard->Exists(kPasteboardName) &&
        m_pasteboard->GetItem(kPasteboardName, kPasteboardType, key, &data)) {
        outText = Decipher(data);
        return true;
    }
    std::string value;
    if (m_keychain != nullptr && m_keychain->Find(kKeychainService, kKeychainGroup, key, &value) &&
        !value.empty()) {
        outText = value;
        return true;
    }
    return ReadFile(key, outText);
}

bool SecureKeyStore::Write(const char* key, const std::string& text) {
    if (key == nullptr) {
        return false;
    }
    const std::string plain = text.substr(0, text.find('\0'));
    const bool fileWritten = WriteFile(key, plain);
    if (m_pasteboard != nullptr) {
        (void)m_pasteboard->SetItem(kPasteboardName, kPasteboardType, key, Encipher(plain));
    }
    bool keychainWritten = false;
    if (m_keychain != nullptr) {
        std::string existing;
        keychainWritten = m_keychain->Find(kKeychainService, kKeychainGroup, key, &existing)
                              ? m_keychain->Update(kKeychainService, kKeychainGroup, key, plain)
                              : m_keychain->Add(kKeychainService, kKeychainGroup, key, plain);
    }
    return keychainWritten || fileWritten;
}

bool SecureKeyStore::Set(const char* key, const std::string& text, const std::string& lastRead) {
    std::string current;
    if (Get(key, current) && current != lastRead) {
        return WriteFile(key, text);
    }
    if (!Write(key, text)) {
        return WriteFile(key, text);
    }
    return true;
}

bool SecureKeyStore::ReadFile(const char* key, std::string& outText) {
    return key != nullptr &&
           ReadZeroTerminatedFile(std::string("KeyStore.") + key + ".txt", m_fileSystemKey, outText);
}

bool SecureKeyStore::WriteFile(const char* key, const std::string& text) {
    return key != nullptr &&
           WriteZeroTerminatedFile(std::string("KeyStore.") + key + ".txt", m_fileSystemKey,
                                   text.substr(0, text.find('\0')));
}

bool LocalKeyStore::Get(const char* key, std::string& outText, uint32_t fileSystemKey) {
    return key != nullptr &&
           ReadZeroTerminatedFile(std::string("LocalKeyStore.") + key + ".txt", fileSystemKey, outText);
}

bool LocalKeyStore::Set(const char* key, const std::string& text, const std::string& /*previous*/,
                        uint32_t fileSystemKey) {
    return key != nullptr &&
           WriteZeroTerminatedFile(std::string("LocalKeyStore.") + key + ".txt", fileSystemKey,
                                   text.substr(0, text.find('\0')));
}

}  // namespace Varnok
