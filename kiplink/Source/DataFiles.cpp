#include "kiplink/Source/DataFiles.h"

#include "kiplink/Source/Crypto.h"
#include "kiplink/Source/Log.h"
#include "kiplink/Source/Random.h"
#include "kiplink/Source/Wire.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace Kiplink {

namespace {

constexpr size_t kSignatureBytes = 128;
constexpr uint64_t kMaxFileBytes = 256u * 1024u * 1024u;

}  // namespace

bool ReadWholeFile(IPlatform& platform, const char* path, std::string* outBytes) {
    FileStatus status;
    if (platform.GetFileStatus(path, &status) == -1) {
        return false;
    }
    IFile* file = platform.OpenFile(path, kFileRead);
    if (file == nullptr) {
        return false;
    }
    bool ok = false;
    if (file->IsOpen()) {
        const uint64_t length = file->GetLength();
        if (length <= kMaxFileBytes) {
            outBytes->assign(static_cast<size_t>(length), '\0');
            const uint32_t count = static_cast<uint32_t>(length);
            ok = count == 0 || file->Read(count, &(*outBytes)[0], count) == count;
        }
        file->Close();
    }
    file->Release();
    return ok;
}

bool ParseEncryptedJson(const std::string& bytes, IValue* outData) {
    std::string plain;
    DecryptToString(GetStorageCipher(), bytes.data(), bytes.size(), &plain);
    IValue* parsed = CreateValue();
    const bool ok = parsed->Parse(plain.c_str());
    if (ok) {
        outData->SetAsValue(*static_cast<const IValue*>(parsed)->GetMemberByString("data"));
    }
    parsed->Release();
    return ok;
}

EncryptedJsonFile::EncryptedJsonFile(IPlatform* platform, std::string path)
    : m_platform(platform), m_path(std::move(path)), m_data(CreateValue()) {}

EncryptedJsonFile::~EncryptedJsonFile() { m_data->Release(); }

void EncryptedJsonFile::TakeData(const IValue& data) { m_data->SetAsValue(data); }

bool EncryptedJsonFile::Clear() {
    IValue* empty = CreateValue();
    m_data->SetAsValue(*empty);
    empty->Release();
    return Save();
}

bool EncryptedJsonFile::Load() {
    std::string bytes;
    if (!m_platform || !ReadWholeFile(*m_platform, m_path.c_str(), &bytes)) {
        return false;
    }
    IValue* data = CreateValue();
    const bool ok = ParseEncryptedJson(bytes, data);
    if (ok) {
        TakeData(*data);
    } else {
        Log("kiplink: %s is unreadable; keeping its defaults", m_path.c_str());
    }
    data->Release();
    return ok;
}

bool EncryptedJsonFile::Save() {
    if (!m_platform) {
        return false;
    }
    IValue* document = CreateValue();
    char salt[16];
    std::snprintf(salt, sizeof salt, "%u", XorShift128Random());
    (*document)["+"].SetAsString(salt);
    (*document)["data"].SetAsValue(*m_data);
    TextBuffer* text = document->ToText();
    std::string cipher;
    EncryptToString(GetStorageCipher(), text->GetText(), text->GetLength(), &cipher);
    text->Release();
    document->Release();

    IFile* file = m_platform->OpenFile(m_path.c_str(), kFileWriteFlags);
    if (file == nullptr) {
        return false;
    }
    bool ok = false;
    if (file->IsOpen()) {
        const auto count = static_cast<uint32_t>(cipher.size());
        ok = file->Write(count, cipher.data()) == count;
        file->Close();
    }
    file->Release();
    if (!ok) {
        Log("kiplink: could not write %s", m_path.c_str());
    }
    return ok;
}

bool VerifyStaticSignature(const std::string& file, const std::string& signature) {
    if (signature.size() != kSignatureBytes) {
        return false;
    }
    uint8_t block[kSignatureBytes];
    std::memcpy(block, signature.data(), kSignatureBytes);
    const size_t written = GetRsaPublicKey().PublicOperation(block, kSignatureBytes, block, kSignatureBytes);
    if (written == 0) {
        return false;
    }
    uint8_t digest[64];
    Sha512Digest(file.data(), file.size(), digest);
    return std::memcmp(block + 63, digest, 64) == 0;
}

bool OpenSignedData(const std::string& file, const std::string& signature, IValue* outData,
                    std::string* outHash, const char** outWhy) {
    if (!VerifyStaticSignature(file, signature)) {
        *outWhy = "signature does not match";
        return false;
    }
    std::string text;
    if (!UnframeBody(reinterpret_cast<const uint8_t*>(file.data()), file.size(), &text, outWhy)) {
        return false;
    }
    IValue* parsed = CreateValue();
    // The hash covers the inflated text as inflated; the parser stops at a
    // zero byte inside it.
    const bool ok = parsed->Parse(text.c_str());
    if (ok) {
        outData->SetAsValue(*static_cast<const IValue*>(parsed)->GetMemberByString("data"));
        *outHash = Sha1Hex(text.data(), text.size());
    } else {
        *outWhy = "not JSON";
    }
    parsed->Release();
    return ok;
}

SignedDataFile::SignedDataFile(IPlatform* platform, std::string path)
    : EncryptedJsonFile(platform, std::move(path)) {}

bool SignedDataFile::Clear() {
    IValue* empty = CreateValue();
    m_data->SetAsValue(*empty);
    empty->Release();
    m_hash.clear();
    return false;
}

bool SignedDataFile::Load() {
    std::string file;
    std::string signature;
    const std::string signaturePath = m_path + ".sig";
    if (!m_platform || !ReadWholeFile(*m_platform, m_path.c_str(), &file) ||
        !ReadWholeFile(*m_platform, signaturePath.c_str(), &signature)) {
        Log("kiplink: static data %s is missing", m_path.c_str());
        return false;
    }
    IValue* data = CreateValue();
    std::string hash;
    const char* why = nullptr;
    const bool ok = OpenSignedData(file, signature, data, &hash, &why);
    if (ok) {
        m_data->SetAsValue(*data);
        m_hash = hash;
    } else {
        Log("kiplink: static data %s refused: %s", m_path.c_str(), why);
    }
    data->Release();
    return ok;
}

}  // namespace Kiplink
