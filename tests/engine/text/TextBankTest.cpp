#include "engine/text/TextBank.h"

#include "engine/core/ArabicShaper.h"
#include "engine/core/DirectoryFileSystem.h"
#include "engine/core/FileSystem.h"
#include "engine/core/Utf8.h"
#include "tests/engine/core/FileTestUtil.h"
#include "tests/support/LogCapture.h"
#include "tools/make_stringtables/StrFileWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace Varnok {
namespace {

using StrFile::Texts;
using TestSupport::IsOneLogLineNaming;
using TestSupport::LogCapture;

const Texts kFruit = {{"apple", "Apple"}, {"banana", "Banana"}, {"cherry", "Cherry"}};

std::vector<uint8_t> KeyFile(const char* bank, const Texts& texts) {
    return StrFile::WriteKeyFile(bank, texts);
}
std::vector<uint8_t> StringFile(const char* bank, const Texts& texts) {
    return StrFile::WriteStringFile(bank, texts);
}

bool LoadKeys(TextBank& bank, const std::vector<uint8_t>& bytes) {
    return bank.LoadKeysFromBytes(bytes.data(), bytes.size(), "keys.str");
}
bool LoadStrings(TextBank& bank, const std::vector<uint8_t>& bytes) {
    return bank.LoadStringsFromBytes(bytes.data(), bytes.size(), "strings.str");
}

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// The bytes with the little-endian word at `at` replaced.
std::vector<uint8_t> WithU32(std::vector<uint8_t> bytes, size_t at, uint32_t value) {
    PutU32(bytes, at, value);
    return bytes;
}

std::string ReadSource(const std::string& relative) {
    std::ifstream in(std::string(VARNOK_SOURCE_DATA_DIR) + "/" + relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(TextBank, LoadsFilesThroughTheFileSystemsAndFindsEveryKey) {
    VarnokTest::TempDir dir;
    const auto write = [&](const char* name, const std::vector<uint8_t>& bytes) {
        VarnokTest::WriteHostFile(dir / name, std::string(bytes.begin(), bytes.end()));
    };
    const Texts texts = {{"GREETING", "Grüße"}, {"PLAY", "Play"}, {"EMPTY", ""}};
    write("stringtables/Game_header.str", KeyFile("Game", texts));
    write("stringtables/Game_german.str", StringFile("Game", texts));
    FileSystemRegistry& files = FileSystemRegistry::Get();
    FileSystem* mounted =
        files.Add(std::make_unique<DirectoryFileSystem>(dir.Path().c_str(), true), FileSystemKey("base"), 0);

    TextBank bank;
    bank.Init();
    EXPECT_STREQ(bank.GetName(), "");
    ASSERT_TRUE(bank.LoadKeys("stringtables/Game_header.str"));
    EXPECT_STREQ(bank.GetName(), "Game");
    ASSERT_TRUE(bank.LoadStrings("stringtables/Game_german.str"));
    EXPECT_EQ(bank.GetKeyCount(), 3u);
    EXPECT_EQ(bank.GetStringCount(), 3u);
    for (const auto& entry : texts) {
        SCOPED_TRACE(entry.first);
        const TextBankKey* key = bank.Find(entry.first.c_str());
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->keyLength, entry.first.size());
        const TextBankString* text = bank.GetString(key->stringIndex);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->text, entry.second);
        EXPECT_EQ(text->byteLength, entry.second.size() + 1);
    }
    EXPECT_EQ(bank.GetString(bank.Find("GREETING")->stringIndex)->codePoints, 5u);  // ü is one

    LogCapture log;
    EXPECT_FALSE(bank.LoadStrings("stringtables/Game_klingon.str"));
    EXPECT_TRUE(IsOneLogLineNaming(log.Take(), "TextBank: ", "Game_klingon.str"));
    EXPECT_STREQ(bank.FindText("PLAY"), "Play");  // unchanged
    {
        LogCapture none;
        EXPECT_FALSE(bank.LoadKeys(nullptr));
        EXPECT_TRUE(IsOneLogLineNaming(none.Take(), "TextBank: ", "no key file"));
    }
    files.Remove(mounted);
}

TEST(TextBank, KeysMatchWholeNeverAsPrefixes) {
    const Texts texts = {{"play", "1"}, {"player", "2"}, {"playground", "3"}, {"z", "4"}};
    TextBank bank;
    bank.Init();
    ASSERT_TRUE(LoadKeys(bank, KeyFile("B", texts)));
    ASSERT_TRUE(LoadStrings(bank, StringFile("B", texts)));
    for (const auto& entry : texts) {
        EXPECT_STREQ(bank.FindText(entry.first.c_str()), entry.second.c_str()) << entry.first;
    }
    for (const char* name : {"pla", "players", "playe", "playgroundx", "", "a", "zz", "PLAY"}) {
        EXPECT_EQ(bank.Find(name), nullptr) << name;
    }
    EXPECT_EQ(bank.Find(nullptr), nullptr);

    TextBank empty;
    empty.Init();
    EXPECT_EQ(empty.Find("play"), nullptr);
    ASSERT_TRUE(LoadKeys(empty, KeyFile("B", {})));
    EXPECT_EQ(empty.GetKeyCount(), 0u);
    EXPECT_EQ(empty.Find("play"), nullptr);
}

TEST(TextBank, TakesItsNameFromTheFirstFileAndRefusesAnotherBank) {
    TextBank bank;
    bank.Init();
    ASSERT_TRUE(LoadStrings(bank, StringFile("Alpha", kFruit)));  // either file may come first
    EXPECT_STREQ(bank.GetName(), "Alpha");
    {
        LogCapture log;
        EXPECT_FALSE(LoadKeys(bank, KeyFile("Beta", kFruit)));
        EXPECT_TRUE(IsOneLogLineNaming(log.Take(), "TextBank: keys.str", "\"Beta\""));
    }
    EXPECT_EQ(bank.GetKeyCount(), 0u);
    EXPECT_STREQ(bank.GetName(), "Alpha");
    ASSERT_TRUE(LoadKeys(bank, KeyFile("Alpha", kFruit)));
    EXPECT_STREQ(bank.FindText("banana"), "Banana");

    // A string index past the string table finds no text.
    const Texts more = {{"apple", ""}, {"banana", ""}, {"cherry", ""}, {"date", ""}};
    ASSERT_TRUE(LoadKeys(bank, KeyFile("Alpha", more)));
    EXPECT_NE(bank.Find("date"), nullptr);
    EXPECT_EQ(bank.FindText("date"), nullptr);

    bank.SetShaping(true);
    bank.Clear();
    EXPECT_STREQ(bank.GetName(), "");
    EXPECT_EQ(bank.GetKeyCount() + bank.GetStringCount(), 0u);
    EXPECT_TRUE(bank.IsShaping());
    bank.Init();
    EXPECT_FALSE(bank.IsShaping());
    ASSERT_TRUE(LoadKeys(bank, KeyFile("Beta", kFruit)));
    EXPECT_STREQ(bank.GetName(), "Beta");

    // A 64-byte name fills the field with no terminator of its own.
    const std::string longName(64, 'n');
    TextBank full;
    full.Init();
    ASSERT_TRUE(LoadKeys(full, KeyFile(longName.c_str(), kFruit)));
    EXPECT_EQ(full.GetName(), longName);
}

TEST(TextBank, RefusesFilesWhoseCountsOffsetsOrLengthsDoNotFit) {
    const std::vector<uint8_t> keys = KeyFile("Bank", kFruit);
    const std::vector<uint8_t> strings = StringFile("Bank", kFruit);
    const size_t keyPool = 76 + 3 * 40;
    const size_t keyPoolSize = keys.size() - keyPool;
    const size_t stringPool = 76 + 3 * 12;
    const size_t stringPoolSize = strings.size() - stringPool;
    std::vector<uint8_t> unterminated = keys;
    unterminated.back() = 'x';  // the last key runs into the end of the pool
    std::vector<uint8_t> truncated(keys.begin(), keys.end() - 1);

    const struct {
        const char* what;
        bool keyFile;
        std::vector<uint8_t> bytes;
        const char* fault;
    } cases[] = {
        {"empty file", true, {}, "shorter than the 72-byte header"},
        {"header cut", false, std::vector<uint8_t>(strings.begin(), strings.begin() + 71), "header"},
        {"wrong kind", true, WithU32(keys, 0, 2), "kind 2"},
        {"payload size below 4", false, WithU32(strings, 68, 3), "payload size 3"},
        {"payload size past the file", true, truncated, "payload size"},
        {"huge payload size", true, WithU32(keys, 68, 0xFFFFFFFFu), "payload size"},
        {"count past the payload", true, WithU32(keys, 72, 1000), "1000 records"},
        {"count overflowing 32 bits", false, WithU32(strings, 72, 0x80000000u), "records"},
        {"key offset past the pool", true, WithU32(keys, 76, static_cast<uint32_t>(keyPoolSize)), "outside"},
        {"second text offset past the pool", true, WithU32(keys, 76 + 40 + 12, 0x7FFFFFFF), "outside"},
        {"third text offset past the pool", true, WithU32(keys, 76 + 24, 100000), "outside"},
        {"unterminated key", true, unterminated, "outside"},
        {"key length past the pool", true, WithU32(keys, 76 + 8, static_cast<uint32_t>(keyPoolSize)), "runs past"},
        {"string offset past the pool", false, WithU32(strings, 76 + 12, 0xFFFFFFFFu), "outside"},
        {"string bytes past the pool", false,
         WithU32(strings, 76 + 2 * 12 + 8, static_cast<uint32_t>(stringPoolSize)), "runs past"},
    };
    ASSERT_LT(keyPool, keys.size());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TextBank bank;
        bank.Init();
        // A nameless bank keeps no name from a refused file.
        {
            LogCapture log;
            EXPECT_FALSE(c.keyFile ? LoadKeys(bank, c.bytes) : LoadStrings(bank, c.bytes));
            EXPECT_TRUE(IsOneLogLineNaming(log.Take(), "TextBank: ", c.fault));
        }
        EXPECT_STREQ(bank.GetName(), "");
        // A loaded bank keeps its tables.
        ASSERT_TRUE(LoadKeys(bank, keys));
        ASSERT_TRUE(LoadStrings(bank, strings));
        {
            LogCapture log;
            EXPECT_FALSE(c.keyFile ? LoadKeys(bank, c.bytes) : LoadStrings(bank, c.bytes));
            EXPECT_TRUE(IsOneLogLineNaming(log.Take(), "TextBank: ", c.fault));
        }
        EXPECT_EQ(bank.GetKeyCount(), 3u);
        EXPECT_STREQ(bank.FindText("cherry"), "Cherry");
    }

    // Bytes after the payload are not part of the file's tables.
    std::vector<uint8_t> trailing = keys;
    trailing.push_back(0xAB);
    TextBank bank;
    bank.Init();
    EXPECT_TRUE(LoadKeys(bank, trailing));
}

TEST(TextBank, ShapingFlagShapesAndRecountsTheArabicStrings) {
    Texts english;
    Texts arabic;
    std::string error;
    ASSERT_TRUE(StrFile::ParseTexts(ReadSource("stringtables/TamberloFelisRex/english_us.txt"), english, error))
        << error;
    ASSERT_TRUE(StrFile::ParseTexts(ReadSource("stringtables/TamberloFelisRex/arabic.txt"), arabic, error))
        << error;
    ASSERT_FALSE(arabic.empty());
    const std::vector<uint8_t> keys = KeyFile("TamberloFelisRex", english);
    const std::vector<uint8_t> strings = StringFile("TamberloFelisRex", arabic);

    TextBank plain;
    plain.Init();
    ASSERT_TRUE(LoadKeys(plain, keys));
    ASSERT_TRUE(LoadStrings(plain, strings));
    TextBank shaped;
    shaped.Init();
    shaped.SetShaping(true);
    ASSERT_TRUE(LoadKeys(shaped, keys));
    ASSERT_TRUE(LoadStrings(shaped, strings));

    for (const auto& entry : arabic) {
        SCOPED_TRACE(entry.first);
        const TextBankString* raw = plain.GetString(plain.Find(entry.first.c_str())->stringIndex);
        const TextBankString* shown = shaped.GetString(shaped.Find(entry.first.c_str())->stringIndex);
        ASSERT_NE(raw, nullptr);
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(raw->text, entry.second);
        std::string expected;
        ASSERT_TRUE(ArabicTextShaper::Get().Transform(entry.second.c_str(), expected));
        EXPECT_EQ(shown->text, expected);
        EXPECT_NE(expected, entry.second);  // every text holds Arabic letters
        EXPECT_EQ(shown->byteLength, expected.size() + 1);
        EXPECT_EQ(shown->codePoints, static_cast<uint32_t>(Utf8String(expected.c_str()).CodePointCount()));
    }
    // Joined forms change the count: the recount is not the file's.
    const char* key = "DEMO_CAPTION";
    EXPECT_NE(shaped.GetString(shaped.Find(key)->stringIndex)->byteLength,
              plain.GetString(plain.Find(key)->stringIndex)->byteLength);
}

TEST(TextBank, EveryAuthoredLanguageHasTheSameKeys) {
    Texts reference;
    std::string error;
    ASSERT_TRUE(
        StrFile::ParseTexts(ReadSource("stringtables/TamberloFelisRex/english_us.txt"), reference, error));
    for (const char* language : {"japanese", "korean", "arabic"}) {
        SCOPED_TRACE(language);
        Texts texts;
        ASSERT_TRUE(StrFile::ParseTexts(
            ReadSource(std::string("stringtables/TamberloFelisRex/") + language + ".txt"), texts, error))
            << error;
        ASSERT_EQ(texts.size(), reference.size());
        for (const auto& entry : reference) {
            EXPECT_EQ(texts.count(entry.first), 1u) << entry.first;
        }
    }
}

TEST(TextBank, AuthoredTextFormat) {
    Texts texts;
    std::string error;
    ASSERT_TRUE(StrFile::ParseTexts("# comment\n\nA = one\\ntwo\\\\\r\n  B = x = y\n", texts, error)) << error;
    EXPECT_EQ(texts["A"], "one\ntwo\\");
    EXPECT_EQ(texts["B"], "x = y");
    for (const char* bad : {"A=1\n", "A = 1\nA = 2\n", "A B = 1\n", "A = \\q\n"}) {
        Texts out;
        EXPECT_FALSE(StrFile::ParseTexts(bad, out, error)) << bad;
        EXPECT_NE(error.find("line "), std::string::npos);
    }
}

}  // namespace
}  // namespace Varnok
