// One round trip of the online client's wire work: a call of about 30 KB of
// JSON written from values, compressed at zlib level 9 and enciphered, then a
// reply of the same size deciphered, inflated and parsed back into values.
// The client's own code against what a user would assemble instead: jsoncpp,
// zlib and OpenSSL. Both sides start from the same values and the same reply
// bytes.
#include "bench/SideBySide.h"
#include "kiplink/Public/IValue.h"
#include "kiplink/Source/Request.h"
#include "kiplink/Source/Wire.h"

#include <benchmark/benchmark.h>
#include <json/json.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr double kBatchSeconds = 0.05;
constexpr int kBatches = 9;
constexpr int kItems = 355;
const unsigned char kKey[] = "5E0C9F21B7D4A386";
const unsigned char kIv[] = "C2F76B0E9A41D583";

template <class Pass>
double MicrosecondsPerPass(Pass pass) {
    return Bench::MedianMicrosecondsPerPass(pass, kBatchSeconds, kBatches);
}

// The parameters as JSON text: the same for both sides.
std::string ParamsText() {
    std::string text = "[\"token-abcdef0123456789\",\"device-42\",\"build-7\",[";
    char item[160];
    for (int i = 0; i < kItems; ++i) {
        std::snprintf(item, sizeof item,
                      "%s{\"id\":\"item_%05d\",\"count\":%d,\"price\":%d.5,\"owned\":%s,\"tags\":[\"shop\",\"t%d\"]}",
                      i == 0 ? "" : ",", i, i * 7, i * 3, i % 2 == 0 ? "true" : "false", i % 13);
        text += item;
    }
    text += "]]";
    return text;
}

// A reply framed by OpenSSL and zlib: {"error":null,"result":<params>}.
std::string ReplyBody(const std::string& params) {
    const std::string json = "{\"error\":null,\"result\":" + params + "}";
    uLongf length = compressBound(static_cast<uLong>(json.size()));
    std::string plain(8 + length, '\0');
    compress2(reinterpret_cast<Bytef*>(&plain[8]), &length, reinterpret_cast<const Bytef*>(json.data()),
              static_cast<uLong>(json.size()), 9);
    for (int i = 0; i < 4; ++i) {
        plain[i] = static_cast<char>(length >> (8 * i));
        plain[4 + i] = static_cast<char>(json.size() >> (8 * i));
    }
    plain.resize((8 + length + 15) / 16 * 16, '\0');
    std::string body(plain.size(), '\0');
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(context, EVP_aes_128_cbc(), nullptr, kKey, kIv);
    EVP_CIPHER_CTX_set_padding(context, 0);
    int written = 0;
    EVP_EncryptUpdate(context, reinterpret_cast<unsigned char*>(&body[0]), &written,
                      reinterpret_cast<const unsigned char*>(plain.data()), static_cast<int>(plain.size()));
    EVP_CIPHER_CTX_free(context);
    return body;
}

double Ours() {
    const std::string params = ParamsText();
    const std::string reply = ReplyBody(params);
    Kiplink::RequestContext context("inventory", "update");
    context.Params().Parse(params.c_str());
    std::string body;
    size_t requestBytes = 0;
    bool good = true;
    const double us = MicrosecondsPerPass([&] {
        const std::string text = Kiplink::BuildRequestText(context, "en", 1700000000u);
        requestBytes = text.size();
        good &= Kiplink::FrameBody(text.data(), text.size(), &body);
        const char* why = nullptr;
        Kiplink::IValue* value = Kiplink::DecodeReply(reinterpret_cast<const uint8_t*>(reply.data()), reply.size(),
                                                      "application/x-kiplink", &why);
        good &= value != nullptr && (*value)["result"][3].GetMemberCount() == kItems;
        if (value != nullptr) value->Release();
        benchmark::DoNotOptimize(body.data());
    });
    std::printf("  kiplink: request text %zu bytes, %zu on the wire; reply %zu bytes\n", requestBytes, body.size(),
                reply.size());
    return good ? us : -1.0;
}

double Peer() {
    const std::string params = ParamsText();
    const std::string reply = ReplyBody(params);
    Json::Value paramsValue;
    Json::Reader().parse(params, paramsValue);
    Json::StreamWriterBuilder writerBuilder;
    writerBuilder["indentation"] = "";
    Json::CharReaderBuilder readerBuilder;
    std::string body;
    bool good = true;
    const double us = MicrosecondsPerPass([&] {
        Json::Value request(Json::objectValue);
        request["method"] = "update";
        request["id"] = 1;
        request["ver"] = 3001u;
        request["lang"] = "en";
        request["time"] = 1700000000u;
        request["params"] = paramsValue;
        const std::string text = Json::writeString(writerBuilder, request);
        uLongf length = compressBound(static_cast<uLong>(text.size()));
        std::string plain(8 + length, '\0');
        good &= compress2(reinterpret_cast<Bytef*>(&plain[8]), &length, reinterpret_cast<const Bytef*>(text.data()),
                          static_cast<uLong>(text.size()), 9) == Z_OK;
        for (int i = 0; i < 4; ++i) {
            plain[i] = static_cast<char>(length >> (8 * i));
            plain[4 + i] = static_cast<char>(text.size() >> (8 * i));
        }
        plain.resize((8 + length + 15) / 16 * 16, '\0');
        body.resize(plain.size());
        EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
        EVP_EncryptInit_ex(context, EVP_aes_128_cbc(), nullptr, kKey, kIv);
        EVP_CIPHER_CTX_set_padding(context, 0);
        int written = 0;
        EVP_EncryptUpdate(context, reinterpret_cast<unsigned char*>(&body[0]), &written,
                          reinterpret_cast<const unsigned char*>(plain.data()), static_cast<int>(plain.size()));

        // The reply.
        std::string replyPlain(reply.size(), '\0');
        EVP_DecryptInit_ex(context, EVP_aes_128_cbc(), nullptr, kKey, kIv);
        EVP_CIPHER_CTX_set_padding(context, 0);
        EVP_DecryptUpdate(context, reinterpret_cast<unsigned char*>(&replyPlain[0]), &written,
                          reinterpret_cast<const unsigned char*>(reply.data()), static_cast<int>(reply.size()));
        EVP_CIPHER_CTX_free(context);
        uint32_t compressed = 0, textLength = 0;
        std::memcpy(&compressed, replyPlain.data(), 4);
        std::memcpy(&textLength, replyPlain.data() + 4, 4);
        std::string json(textLength, '\0');
        uLongf produced = textLength;
        good &= uncompress(reinterpret_cast<Bytef*>(&json[0]), &produced,
                           reinterpret_cast<const Bytef*>(replyPlain.data() + 8), compressed) == Z_OK;
        Json::Value value;
        std::unique_ptr<Json::CharReader> reader(readerBuilder.newCharReader());
        good &= reader->parse(json.data(), json.data() + produced, &value, nullptr);
        good &= value["result"][3].size() == static_cast<unsigned>(kItems);
        benchmark::DoNotOptimize(body.data());
    });
    std::printf("  jsoncpp+zlib+OpenSSL: %zu on the wire\n", body.size());
    return good ? us : -1.0;
}

}  // namespace

int main(int argc, char** argv) {
    Bench::Comparison comparison;
    comparison.workload =
        "framing a ~30 KB call (JSON from values, zlib level 9, AES-128-CBC) and unframing a reply of the same size "
        "(decipher, inflate, parse into values)";
    comparison.unit = "us per round trip";
    comparison.contenders = {{"kiplink", Ours}, {"jsoncpp+zlib+OpenSSL", Peer}};
    return Bench::RunSideBySide(argc, argv, comparison);
}
