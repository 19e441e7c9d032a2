// The ".str" writer and the authored-text reader.
#include "tools/make_stringtables/StrFileWriter.h"

#include <algorithm>
#include <cstring>
#include <sstream>

namespace Varnok {
namespace StrFile {
namespace {

constexpr uint32_t kKind = 1;
constexpr size_t kNameBytes = 64;
constexpr size_t kKeyRecordBytes = 40;
constexpr size_t kStringRecordBytes = 12;

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

void SetU32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

uint32_t CountCodePoints(const std::string& text) {
    uint32_t count = 0;
    for (unsigned char c : text) {
        count += (c & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

// Header, count and zeroed records; the caller fills the records and appends
// the pool, then Finish sets the payload size.
std::vector<uint8_t> Begin(const std::string& bankName, size_t count, size_t recordBytes) {
    std::vector<uint8_t> out;
    PutU32(out, kKind);
    char name[kNameBytes] = {};
    std::memcpy(name, bankName.data(), std::min(bankName.size(), kNameBytes));
    out.insert(out.end(), name, name + kNameBytes);
    PutU32(out, 0);  // payload size, set by Finish
    PutU32(out, static_cast<uint32_t>(count));
    out.resize(out.size() + count * recordBytes, 0);
    return out;
}

void Finish(std::vector<uint8_t>& out) {
    SetU32(out, 68, static_cast<uint32_t>(out.size() - 72));
}

// Appends a zero-terminated text to the pool; returns its pool offset.
uint32_t AddText(std::vector<uint8_t>& out, size_t poolStart, const std::string& text) {
    const uint32_t offset = static_cast<uint32_t>(out.size() - poolStart);
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
    return offset;
}

}  // namespace

std::vector<uint8_t> WriteKeyFile(const std::string& bankName, const Texts& texts) {
    std::vector<uint8_t> out = Begin(bankName, texts.size(), kKeyRecordBytes);
    const size_t recordsStart = 76;
    const size_t poolStart = out.size();
    const uint32_t empty = AddText(out, poolStart, "");  // the two unused texts
    uint32_t row = 0;
    for (const auto& entry : texts) {
        const size_t record = recordsStart + row * kKeyRecordBytes;
        SetU32(out, record, AddText(out, poolStart, entry.first));
        SetU32(out, record + 8, static_cast<uint32_t>(entry.first.size()));
        SetU32(out, record + 12, empty);
        SetU32(out, record + 24, empty);
        SetU32(out, record + 36, row);
        ++row;
    }
    Finish(out);
    return out;
}

std::vector<uint8_t> WriteStringFile(const std::string& bankName, const Texts& texts) {
    std::vector<uint8_t> out = Begin(bankName, texts.size(), kStringRecordBytes);
    const size_t recordsStart = 76;
    const size_t poolStart = out.size();
    uint32_t row = 0;
    for (const auto& entry : texts) {
        const size_t record = recordsStart + row * kStringRecordBytes;
        SetU32(out, record, AddText(out, poolStart, entry.second));
        SetU32(out, record + 4, CountCodePoints(entry.second));
        SetU32(out, record + 8, static_cast<uint32_t>(entry.second.size() + 1));
        ++row;
    }
    Finish(out);
    return out;
}

bool ParseTexts(const std::string& source, Texts& outTexts, std::string& outError) {
    std::istringstream lines(source);
    std::string line;
    int number = 0;
    auto fail = [&](const char* what) {
        outError = "line " + std::to_string(number) + ": " + what;
        return false;
    };
    while (std::getline(lines, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        const size_t equals = line.find(" = ");
        if (equals == std::string::npos || equals <= first) {
            return fail("expected \"KEY = text\"");
        }
        const std::string key = line.substr(first, equals - first);
        if (key.find_first_of(" \t") != std::string::npos) {
            return fail("a key holds no blanks");
        }
        std::string text;
        for (size_t i = equals + 3; i < line.size(); ++i) {
            if (line[i] != '\\') {
                text += line[i];
                continue;
            }
            const char next = i + 1 < line.size() ? line[i + 1] : '\0';
            if (next == 'n') {
                text += '\n';
            } else if (next == 't') {
                text += '\t';
            } else if (next == '\\') {
                text += '\\';
            } else {
                return fail("unknown escape after a backslash");
            }
            ++i;
        }
        if (!outTexts.emplace(key, text).second) {
            return fail("the key is defined twice");
        }
    }
    return true;
}

}  // namespace StrFile
}  // namespace Varnok
