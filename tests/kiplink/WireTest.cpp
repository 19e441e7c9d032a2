// The byte layout of calls and replies, reply decoding in every failure,
// signed pairs refused for any changed byte, the request body's members and
// the paths of the library's files. OpenSSL and zlib make the reference bytes.
#include "kiplink/Source/DataFiles.h"
#include "kiplink/Source/KiplinkProviderImpl.h"
#include "kiplink/Source/Request.h"
#include "kiplink/Source/Wire.h"
#include "tests/kiplink/LogLines.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <zlib.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// 100 bytes of JSON that zlib level 9 squeezes into exactly 60.
const char kHundredBytes[] =
    "{\"a\":\"0gf9g79b4da83a18b83ac1ge160a4hb21ih9b4da\",\"b\":\"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\"}";

std::string OpenSslDecipher(const std::string& body) {
    std::string plain(body.size(), '\0');
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    EVP_DecryptInit_ex(context, EVP_aes_128_cbc(), nullptr,
                       reinterpret_cast<const uint8_t*>("5E0C9F21B7D4A386"),
                       reinterpret_cast<const uint8_t*>("C2F76B0E9A41D583"));
    EVP_CIPHER_CTX_set_padding(context, 0);
    int written = 0;
    EVP_DecryptUpdate(context, reinterpret_cast<uint8_t*>(&plain[0]), &written,
                      reinterpret_cast<const uint8_t*>(body.data()), static_cast<int>(body.size()));
    EVP_CIPHER_CTX_free(context);
    return plain;
}

std::string OpenSslEncipher(std::string plain) {
    plain.resize((plain.size() + 15) / 16 * 16, '\0');
    std::string body(plain.size(), '\0');
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(context, EVP_aes_128_cbc(), nullptr,
                       reinterpret_cast<const uint8_t*>("5E0C9F21B7D4A386"),
                       reinterpret_cast<const uint8_t*>("C2F76B0E9A41D583"));
    EVP_CIPHER_CTX_set_padding(context, 0);
    int written = 0;
    EVP_EncryptUpdate(context, reinterpret_cast<uint8_t*>(&body[0]), &written,
                      reinterpret_cast<const uint8_t*>(plain.data()), static_cast<int>(plain.size()));
    EVP_CIPHER_CTX_free(context);
    return body;
}

void PutLe32(std::string* out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out->push_back(static_cast<char>(value >> (8 * i)));
    }
}

// A frame whose header declares textLength, whatever the text is.
std::string FrameWithDeclaredLength(const std::string& text, uint32_t textLength) {
    uLongf length = compressBound(static_cast<uLong>(text.size()));
    std::string stream(length, '\0');
    compress2(reinterpret_cast<Bytef*>(&stream[0]), &length, reinterpret_cast<const Bytef*>(text.data()),
              static_cast<uLong>(text.size()), 9);
    stream.resize(length);
    std::string plain;
    PutLe32(&plain, static_cast<uint32_t>(stream.size()));
    PutLe32(&plain, textLength);
    return OpenSslEncipher(plain + stream);
}

Kiplink::IValue* Decode(const std::string& body, const char* contentType, const char** why) {
    return Kiplink::DecodeReply(reinterpret_cast<const uint8_t*>(body.data()), body.size(), contentType, why);
}

TEST(Wire, AHundredByteTextCompressedToSixtyIsEightyBytesOnTheWire) {
    std::string body;
    ASSERT_TRUE(Kiplink::FrameBody(kHundredBytes, 100, &body));
    EXPECT_EQ(body.size(), 80u);  // 8 + 60 = 68 before padding
    const std::string plain = OpenSslDecipher(body);
    const uint8_t header[8] = {0x3C, 0, 0, 0, 0x64, 0, 0, 0};
    EXPECT_EQ(plain.substr(0, 8), std::string(reinterpret_cast<const char*>(header), 8));
    EXPECT_EQ(plain.substr(68), std::string(12, '\0'));
    std::string inflated(100, '\0');
    uLongf length = 100;
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(&inflated[0]), &length,
                         reinterpret_cast<const Bytef*>(plain.data() + 8), 60),
              Z_OK);
    EXPECT_EQ(inflated, kHundredBytes);
}

TEST(Wire, ContentTypeDecidesBetweenFramedAndPlain) {
    const std::string json = "{\"error\":null,\"result\":7}";
    const char* why = nullptr;
    for (const char* type : {"application/x-kiplink", "APPLICATION/X-KIPLINK", "Application/X-Kiplink"}) {
        Kiplink::IValue* reply = Decode(FrameWithDeclaredLength(json, json.size()), type, &why);
        ASSERT_NE(reply, nullptr) << type;
        EXPECT_EQ((*reply)["result"].AsInt(0), 7);
        reply->Release();
    }
    for (const char* type : {"application/json", ""}) {
        Kiplink::IValue* reply = Decode(json, type, &why);
        ASSERT_NE(reply, nullptr) << type;
        EXPECT_EQ((*reply)["result"].AsInt(0), 7);
        reply->Release();
    }
    // A framed body under another type is not JSON text.
    EXPECT_EQ(Decode(FrameWithDeclaredLength(json, json.size()), "application/json", &why), nullptr);
}

TEST(Wire, DeclaredLengthsThatLieStillInflateWithinBounds) {
    std::string json = "{\"result\":\"";
    json += std::string(5000, 'k');
    json += "\"}";
    const char* why = nullptr;
    for (uint32_t declared : {0u, 1u, 100u, 0xFFFFFFFFu}) {
        Kiplink::IValue* reply = Decode(FrameWithDeclaredLength(json, declared), "application/x-kiplink", &why);
        ASSERT_NE(reply, nullptr) << declared;
        EXPECT_EQ(std::string((*reply)["result"].AsString("")).size(), 5000u);
        reply->Release();
    }
}

TEST(Wire, EveryMalformedReplyIsRefusedWithAReason) {
    KiplinkTest::LogLines log;
    const std::string json = "{\"error\":null}";
    std::string lengthPast;
    PutLe32(&lengthPast, 1000);
    PutLe32(&lengthPast, 14);
    std::string notZlib;
    PutLe32(&notZlib, 8);
    PutLe32(&notZlib, 14);
    notZlib += "notzlib!";
    const struct {
        const char* name;
        std::string body;
        const char* type;
    } cases[] = {
        {"no content type", FrameWithDeclaredLength(json, 14), nullptr},
        {"seven bytes", FrameWithDeclaredLength(json, 14).substr(0, 7), "application/x-kiplink"},
        {"empty", "", "application/x-kiplink"},
        {"length past body", OpenSslEncipher(lengthPast), "application/x-kiplink"},
        {"broken zlib", OpenSslEncipher(notZlib), "application/x-kiplink"},
        {"not json framed", FrameWithDeclaredLength("nope", 4), "application/x-kiplink"},
        {"not json plain", "{\"a\":", "application/json"},
    };
    for (const auto& c : cases) {
        const char* why = nullptr;
        EXPECT_EQ(Decode(c.body, c.type, &why), nullptr) << c.name;
        EXPECT_NE(why, nullptr) << c.name;
    }
}

TEST(Request, ContextIdsCountEveryConstruction) {
    Kiplink::RestartRequestContextIds();
    Kiplink::RequestContext first("game", "update");
    Kiplink::RequestContext second("game", "update");
    EXPECT_EQ(first.GetId(), 0);
    EXPECT_EQ(second.GetId(), 1);
    Kiplink::RequestContext copy(second);
    EXPECT_EQ(copy.GetId(), 1);
    Kiplink::RequestContext third("news", "sync");
    EXPECT_EQ(third.GetId(), 2);
}

TEST(Request, BodyMembersInProtocolOrder) {
    Kiplink::RestartRequestContextIds();
    Kiplink::RequestContext context("leaderboards", "submitScoreFriendLeaderboard");
    context.Params().AppendString("token");
    context.Params().AppendInt(42);
    EXPECT_EQ(Kiplink::BuildRequestText(context, nullptr, 1700000000u),
              "{\"method\":\"submitScoreFriendLeaderboard\",\"id\":0,\"ver\":3001,\"lang\":\"en\","
              "\"time\":1700000000,\"params\":[\"token\",42]}");
    Kiplink::RequestContext empty("game", "update");
    EXPECT_EQ(Kiplink::BuildRequestText(empty, "", 5),
              "{\"method\":\"update\",\"id\":1,\"ver\":3001,\"lang\":\"\",\"time\":5,\"params\":[]}");
}

TEST(DataPaths, SaveRootWithOrWithoutSlashOrEmpty) {
    EXPECT_EQ(Kiplink::UserDataPath("save", "fam", "g", "a.json"), "save/Game/fam/Users/g/a.json");
    EXPECT_EQ(Kiplink::UserDataPath("save/", "fam", "g", "a.json"), "save/Game/fam/Users/g/a.json");
    EXPECT_EQ(Kiplink::UserDataPath("", "fam", "g", "a.json"), "Game/fam/Users/g/a.json");
    EXPECT_EQ(Kiplink::RootDataPath("save", "StaticData.json"), "save/StaticData.json");
    EXPECT_EQ(Kiplink::ProfilePicturePath("save", "k"), "save/ota/profilePics/k");
}

// ---- Signed pairs ----

struct PkeyDeleter {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};

std::string SignWithProjectKey(const std::string& file) {
    FILE* pem = fopen(VARNOK_PROJECT_KEY, "r");
    if (pem == nullptr) {
        return "";
    }
    std::unique_ptr<EVP_PKEY, PkeyDeleter> key(PEM_read_PrivateKey(pem, nullptr, nullptr, nullptr));
    fclose(pem);
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    size_t length = 0;
    std::string signature;
    if (EVP_DigestSignInit(context, nullptr, EVP_sha512(), nullptr, key.get()) == 1 &&
        EVP_DigestSign(context, nullptr, &length, reinterpret_cast<const uint8_t*>(file.data()), file.size()) == 1) {
        signature.resize(length);
        EVP_DigestSign(context, reinterpret_cast<uint8_t*>(&signature[0]), &length,
                       reinterpret_cast<const uint8_t*>(file.data()), file.size());
    }
    EVP_MD_CTX_free(context);
    return signature;
}

TEST(SignedData, AGoodPairOpensAndAnyChangedByteIsRefused) {
    KiplinkTest::LogLines log;
    const std::string text = "{\"data\":{\"coins\":3}}";
    std::string file;
    ASSERT_TRUE(Kiplink::FrameBody(text.data(), text.size(), &file));
    const std::string signature = SignWithProjectKey(file);
    ASSERT_EQ(signature.size(), 128u);

    Kiplink::IValue* data = Kiplink::CreateValue();
    std::string hash;
    const char* why = nullptr;
    ASSERT_TRUE(Kiplink::OpenSignedData(file, signature, data, &hash, &why));
    EXPECT_EQ((*data)["coins"].AsInt(0), 3);
    EXPECT_EQ(hash, Kiplink::Sha1Hex(text.data(), text.size()));

    for (size_t i = 0; i < file.size(); ++i) {
        std::string changed = file;
        changed[i] = static_cast<char>(changed[i] ^ 0x01);
        EXPECT_FALSE(Kiplink::OpenSignedData(changed, signature, data, &hash, &why)) << "file byte " << i;
    }
    for (size_t i = 0; i < signature.size(); ++i) {
        std::string changed = signature;
        changed[i] = static_cast<char>(changed[i] ^ 0x80);
        EXPECT_FALSE(Kiplink::OpenSignedData(file, changed, data, &hash, &why)) << "signature byte " << i;
    }
    EXPECT_FALSE(Kiplink::OpenSignedData(file, signature.substr(0, 127), data, &hash, &why));
    EXPECT_FALSE(Kiplink::OpenSignedData(file, signature + '\0', data, &hash, &why));
    data->Release();
}

}  // namespace
