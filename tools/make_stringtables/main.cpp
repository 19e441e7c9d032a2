// make_stringtables SOURCE_DIR OUT_DIR: for every bank folder SOURCE_DIR/N
// holding one "<language>.txt" of authored text per language, writes
// OUT_DIR/N_header.str (the keys) and OUT_DIR/N_<language>.str. Every
// language must define exactly the same keys: the key file is shared.
#include "tools/make_stringtables/StrFileWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Varnok::StrFile::Texts;

bool WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Names the first key one table has and the other lacks; empty when none.
std::string FirstMissing(const Texts& from, const Texts& in) {
    for (const auto& entry : from) {
        if (in.count(entry.first) == 0) {
            return entry.first;
        }
    }
    return std::string();
}

bool WriteBank(const fs::path& folder, const fs::path& outDir) {
    const std::string bank = folder.filename().string();
    std::vector<fs::path> languages;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().extension() == ".txt") {
            languages.push_back(entry.path());
        }
    }
    std::sort(languages.begin(), languages.end());
    if (languages.empty()) {
        fprintf(stderr, "make_stringtables: %s has no language files\n", folder.c_str());
        return false;
    }
    std::vector<Texts> tables(languages.size());
    for (size_t i = 0; i < languages.size(); ++i) {
        std::string error;
        if (!Varnok::StrFile::ParseTexts(ReadFile(languages[i]), tables[i], error)) {
            fprintf(stderr, "make_stringtables: %s: %s\n", languages[i].c_str(), error.c_str());
            return false;
        }
    }
    for (size_t i = 1; i < tables.size(); ++i) {
        for (const auto& [from, in, name] : {std::make_tuple(&tables[0], &tables[i], &languages[i]),
                                             std::make_tuple(&tables[i], &tables[0], &languages[0])}) {
            const std::string missing = FirstMissing(*from, *in);
            if (!missing.empty()) {
                fprintf(stderr, "make_stringtables: %s lacks the key %s\n", name->c_str(), missing.c_str());
                return false;
            }
        }
    }
    bool ok = WriteFile(outDir / (bank + "_header.str"), Varnok::StrFile::WriteKeyFile(bank, tables[0]));
    for (size_t i = 0; i < languages.size(); ++i) {
        const std::string suffix = languages[i].stem().string();
        ok = WriteFile(outDir / (bank + "_" + suffix + ".str"),
                       Varnok::StrFile::WriteStringFile(bank, tables[i])) && ok;
    }
    if (!ok) {
        fprintf(stderr, "make_stringtables: cannot write bank %s into %s\n", bank.c_str(), outDir.c_str());
    }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: make_stringtables SOURCE_DIR OUT_DIR\n");
        return 2;
    }
    const fs::path source = argv[1];
    const fs::path outDir = argv[2];
    std::error_code error;
    fs::create_directories(outDir, error);
    if (!fs::is_directory(source) || error) {
        fprintf(stderr, "make_stringtables: %s is not a folder, or %s cannot be made\n", argv[1], argv[2]);
        return 1;
    }
    std::vector<fs::path> banks;
    for (const auto& entry : fs::directory_iterator(source)) {
        if (entry.is_directory()) {
            banks.push_back(entry.path());
        }
    }
    std::sort(banks.begin(), banks.end());
    bool ok = true;
    for (const fs::path& bank : banks) {
        ok = WriteBank(bank, outDir) && ok;
    }
    return ok ? 0 : 1;
}
