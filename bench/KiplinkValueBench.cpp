// The online client's values against jsoncpp on the documents the client
// reads and writes: a 30 KB sync reply, a 300 KB store catalogue and a
// thousand 200-byte replies. Parsing ours runs both passes (the check pass and
// the one that stores); jsoncpp parses with a CharReader made once per
// process (comments not collected) and writes with a compact StreamWriter
// made once. Both sides build and free their whole tree every pass.
#include "bench/SideBySide.h"
#include "kiplink/Public/IValue.h"

#include <benchmark/benchmark.h>
#include <json/json.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kBatches = 15;             // timed batches per process; the median counts
constexpr double kBatchSeconds = 0.02;   // about this long each

// A user's sync reply: profile, transactions, inventory, bank.
std::string SyncReply() {
    std::mt19937 random(34);
    std::string text = "{\"error\":null,\"result\":{\"user\":{\"id\":\"5f1c2a9e0b7d4c3e8a6f1b2c3d4e5f60\","
                       "\"name\":\"Slicer \\\"Ace\\\" 77\",\"guest\":false,\"level\":42,\"xp\":0.375,"
                       "\"created\":1700000000},\"transactions\":[";
    for (int i = 0; i < 160; ++i) {
        char item[320];
        snprintf(item, sizeof(item),
                 "%s{\"id\":%d,\"type\":\"purchase\",\"item\":\"blade_%03d\",\"delta\":%d,\"price\":%u,"
                 "\"time\":%u,\"ok\":true,\"note\":\"bought in the shop\\/offer\"}",
                 i ? "," : "", 1000 + i, static_cast<int>(random() % 400), static_cast<int>(random() % 9) - 4,
                 static_cast<unsigned>(random() % 5000), 1700000000u + static_cast<unsigned>(i) * 37);
        text += item;
    }
    text += "],\"inventory\":{";
    for (int i = 0; i < 180; ++i) {
        char item[160];
        snprintf(item, sizeof(item), "%s\"item_%04d\":{\"count\":%u,\"equipped\":%s,\"wear\":%.3f}", i ? "," : "",
                 i, static_cast<unsigned>(random() % 100), i % 7 == 0 ? "true" : "false",
                 static_cast<double>(random() % 1000) / 1000.0);
        text += item;
    }
    text += "},\"bank\":{\"coins\":125430,\"gems\":87,\"starfruit\":-3}}}";
    return text;
}

// The store catalogue: items with names, descriptions, prices and tags.
std::string Catalogue() {
    std::mt19937 random(101);
    std::string text = "{\"version\":17,\"items\":[";
    for (int i = 0; i < 1280; ++i) {
        char item[512];
        snprintf(item, sizeof(item),
                 "%s{\"id\":\"item_%06d\",\"name\":\"Golden Blade %d\",\"description\":\"A blade that leaves "
                 "a trail of sparks; slices %d fruit at once.\",\"price\":{\"coins\":%u,\"gems\":%u},"
                 "\"discount\":%.2f,\"tags\":[\"blade\",\"gold\",\"tier%d\"],\"enabled\":%s,\"order\":%d}",
                 i ? "," : "", i, i, i % 5 + 1, static_cast<unsigned>(random() % 100000),
                 static_cast<unsigned>(random() % 50), static_cast<double>(random() % 100) / 100.0, i % 4,
                 i % 3 ? "true" : "false", static_cast<int>(random() % 200) - 100);
        text += item;
    }
    text += "]}";
    return text;
}

// Small replies as they arrive one by one.
std::vector<std::string> Replies() {
    std::mt19937 random(7);
    std::vector<std::string> replies;
    for (int i = 0; i < 1000; ++i) {
        char reply[256];
        snprintf(reply, sizeof(reply),
                 "{\"error\":null,\"result\":{\"id\":%d,\"time\":%u,\"score\":%u,\"rank\":%d,"
                 "\"name\":\"player_%05d\",\"friend\":%s,\"ratio\":%.4f,\"league\":\"silver\",\"season\":12,\"region\":\"eu\","
                 "\"ids\":[%u,%u,%u]}}",
                 i, 1700000000u + static_cast<unsigned>(i), static_cast<unsigned>(random() % 1000000),
                 static_cast<int>(random() % 5000), i, i % 2 ? "true" : "false",
                 static_cast<double>(random() % 10000) / 10000.0, static_cast<unsigned>(random()),
                 static_cast<unsigned>(random() % 1000), static_cast<unsigned>(random() % 100));
        replies.push_back(reply);
    }
    return replies;
}

const std::vector<std::string>& Documents(int which) {
    static const std::vector<std::string> sync{SyncReply()};
    static const std::vector<std::string> catalogue{Catalogue()};
    static const std::vector<std::string> replies = Replies();
    return which == 0 ? sync : which == 1 ? catalogue : replies;
}

// Runs pass (one pass over a document set) in batches after a warm-up that
// sizes them; answers the median batch in microseconds per pass.
template <class Pass>
double MicrosecondsPerPass(Pass pass) {
    return Bench::MedianMicrosecondsPerPass(pass, kBatchSeconds, kBatches);
}

std::unique_ptr<Json::CharReader> JsonReader() {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    return std::unique_ptr<Json::CharReader>(builder.newCharReader());
}

std::unique_ptr<Json::StreamWriter> JsonWriter() {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    return std::unique_ptr<Json::StreamWriter>(builder.newStreamWriter());
}

double OursParse(int which) {
    const std::vector<std::string>& documents = Documents(which);
    bool ok = true;
    const double us = MicrosecondsPerPass([&] {
        for (const std::string& text : documents) {
            Kiplink::IValue* value = Kiplink::CreateValue();
            ok &= value->Parse(text.c_str());
            benchmark::DoNotOptimize(value->GetMemberCount());
            value->Release();
        }
    });
    return ok ? us : -1.0;
}

double JsoncppParse(int which) {
    const std::vector<std::string>& documents = Documents(which);
    const std::unique_ptr<Json::CharReader> reader = JsonReader();
    bool ok = true;
    const double us = MicrosecondsPerPass([&] {
        for (const std::string& text : documents) {
            Json::Value root;
            std::string errors;
            ok &= reader->parse(text.data(), text.data() + text.size(), &root, &errors);
            benchmark::DoNotOptimize(root.size());
        }
    });
    return ok ? us : -1.0;
}

double OursWrite(int which) {
    std::vector<Kiplink::IValue*> trees;
    size_t bytes = 0;
    for (const std::string& text : Documents(which)) {
        trees.push_back(Kiplink::CreateValue());
        if (!trees.back()->Parse(text.c_str())) return -1.0;
    }
    const double us = MicrosecondsPerPass([&] {
        bytes = 0;
        for (const Kiplink::IValue* tree : trees) {
            Kiplink::TextBuffer* text = tree->ToText();
            bytes += text->GetLength();
            text->Release();
        }
        benchmark::DoNotOptimize(bytes);
    });
    for (Kiplink::IValue* tree : trees) tree->Release();
    return us;
}

double JsoncppWrite(int which) {
    const std::unique_ptr<Json::CharReader> reader = JsonReader();
    const std::unique_ptr<Json::StreamWriter> writer = JsonWriter();
    std::vector<Json::Value> trees;
    size_t bytes = 0;
    for (const std::string& text : Documents(which)) {
        trees.emplace_back();
        std::string errors;
        if (!reader->parse(text.data(), text.data() + text.size(), &trees.back(), &errors)) return -1.0;
    }
    const double us = MicrosecondsPerPass([&] {
        bytes = 0;
        for (const Json::Value& tree : trees) {
            std::ostringstream out;
            writer->write(tree, &out);
            const std::string text = out.str();
            bytes += text.size();
        }
        benchmark::DoNotOptimize(bytes);
    });
    return us;
}

std::vector<Bench::Comparison> Comparisons() {
    const char* names[3] = {"sync reply", "catalogue", "1000 replies"};
    std::vector<Bench::Comparison> out;
    for (int which = 0; which < 3; ++which) {
        size_t bytes = 0;
        for (const std::string& text : Documents(which)) bytes += text.size();
        char workload[256];
        snprintf(workload, sizeof(workload), "parse the %s (%zu documents, %zu bytes): kiplink both passes, jsoncpp CharReader",
                 names[which], Documents(which).size(), bytes);
        Bench::Comparison parse;
        parse.workload = workload;
        parse.unit = "us per pass";
        parse.contenders = {{std::string("kiplink parse ") + names[which], [which] { return OursParse(which); }},
                            {std::string("jsoncpp parse ") + names[which], [which] { return JsoncppParse(which); }}};
        out.push_back(parse);

        snprintf(workload, sizeof(workload), "write the %s as compact text: kiplink ToText, jsoncpp StreamWriter",
                 names[which]);
        Bench::Comparison write;
        write.workload = workload;
        write.unit = "us per pass";
        write.contenders = {{std::string("kiplink write ") + names[which], [which] { return OursWrite(which); }},
                            {std::string("jsoncpp write ") + names[which], [which] { return JsoncppWrite(which); }}};
        out.push_back(write);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    return Bench::RunComparisons(argc, argv, Comparisons());
}
