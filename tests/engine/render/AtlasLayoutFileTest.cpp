#include "engine/render/AtlasLayoutFile.h"

#include "engine/core/BinaryStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace Varnok {
namespace {

// Byte offsets in the fixture below.
constexpr size_t kPageWidthAt = 0;
constexpr size_t kPaddingAt = 8;
constexpr size_t kPageCountAt = 17;
constexpr size_t kNodeCountAt = 21;
constexpr size_t kNodeAt = 25;  // node records, 68 bytes each
constexpr size_t kNodeBytes = 68;
constexpr size_t kRightField = 16;
constexpr size_t kPositionField = 56;
constexpr size_t kFirstChildField = 60;
constexpr size_t kImageCountAt = kNodeAt + 3 * kNodeBytes;
constexpr size_t kKeyLengthAt = kImageCountAt + 4;
constexpr size_t kImageNodeAt = kKeyLengthAt + 1 + 2;
constexpr size_t kNameLengthAt = kImageNodeAt + 4;

AtlasNodeRecord MakeRecord(int32_t position, int32_t x, int32_t y, int32_t right, int32_t bottom,
                           int32_t firstChild, int32_t secondChild) {
    AtlasNodeRecord record;
    record.node.x = x;
    record.node.y = y;
    record.node.right = right;
    record.node.bottom = bottom;
    record.position = position;
    record.firstChild = firstChild;
    record.secondChild = secondChild;
    return record;
}

// A 16 x 16 page split into a used top half (key "ab") and a free bottom half.
AtlasLayout ValidLayout() {
    AtlasLayout layout;
    layout.pageWidth = 16;
    layout.pageHeight = 16;
    layout.padding = 0;
    layout.format = 2;
    AtlasLayoutPage page;
    page.nodes.push_back(MakeRecord(0, 0, 0, 16, 16, 1, 2));
    page.nodes.push_back(MakeRecord(1, 0, 0, 16, 8, -1, -1));
    page.nodes[1].node.imageWidth = 16;
    page.nodes[1].node.imageHeight = 8;
    page.nodes[1].node.umax = 1.0f;
    page.nodes[1].node.vmax = 0.5f;
    page.nodes[1].node.extra[2] = 7.5f;
    page.nodes.push_back(MakeRecord(2, 0, 8, 16, 16, -1, -1));
    AtlasLayoutImage image;
    image.key.AppendBits("ab", 16);
    image.node = 1;
    page.images.push_back(image);
    page.imageName = "page0.tex";
    layout.pages.push_back(page);
    return layout;
}

std::vector<uint8_t> Serialise(const AtlasLayout& layout) {
    BinaryStreamWriter writer(64, kNativeByteOrder);
    WriteAtlasLayout(layout, writer);
    return std::vector<uint8_t>(writer.Data(), writer.Data() + writer.Size());
}

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t offset, int32_t value) {
    std::memcpy(bytes.data() + offset, &value, sizeof(value));
    return bytes;
}

std::vector<uint8_t> PatchedByte(std::vector<uint8_t> bytes, size_t offset, uint8_t value) {
    bytes[offset] = value;
    return bytes;
}

bool Read(const std::vector<uint8_t>& bytes, AtlasLayout& outLayout,
          std::string* outLog = nullptr) {
    BinaryStreamReader reader(bytes.data(), bytes.size(), kNativeByteOrder);
    testing::internal::CaptureStderr();
    const bool read = ReadAtlasLayout(reader, "ui/atlas.lay", outLayout);
    const std::string log = testing::internal::GetCapturedStderr();
    if (outLog != nullptr) {
        *outLog = log;
    }
    return read;
}

TEST(AtlasLayoutFile, ReadsWhatWasWritten) {
    const std::vector<uint8_t> bytes = Serialise(ValidLayout());
    ASSERT_EQ(bytes.size(), kNameLengthAt + 4 + 9);
    AtlasLayout layout;
    std::string log;
    ASSERT_TRUE(Read(bytes, layout, &log));
    EXPECT_EQ(log, "");
    EXPECT_EQ(layout.pageWidth, 16);
    EXPECT_EQ(layout.format, 2u);
    EXPECT_FALSE(layout.embedded);
    ASSERT_EQ(layout.pages.size(), 1u);
    const AtlasLayoutPage& page = layout.pages[0];
    ASSERT_EQ(page.nodes.size(), 3u);
    EXPECT_EQ(page.nodes[0].firstChild, 1);
    EXPECT_EQ(page.nodes[0].secondChild, 2);
    EXPECT_EQ(page.nodes[1].node.imageHeight, 8);
    EXPECT_FLOAT_EQ(page.nodes[1].node.vmax, 0.5f);
    EXPECT_FLOAT_EQ(page.nodes[1].node.extra[2], 7.5f);
    EXPECT_EQ(page.nodes[2].node.y, 8);
    ASSERT_EQ(page.images.size(), 1u);
    EXPECT_EQ(page.images[0].node, 1);
    EXPECT_EQ(page.images[0].key, ValidLayout().pages[0].images[0].key);
    EXPECT_STREQ(page.imageName.c_str(), "page0.tex");
}

TEST(AtlasLayoutFile, EmbeddedPageImagesAndShortKeys) {
    AtlasLayout written = ValidLayout();
    written.embedded = true;
    written.pages[0].imageBytes = {1, 2, 3, 4, 5};
    written.pages[0].images[0].key.Clear();
    const uint8_t keyBytes[5] = {9, 8, 7, 6, 5};
    written.pages[0].images[0].key.AppendBits(keyBytes, 40);
    AtlasLayout layout;
    ASSERT_TRUE(Read(Serialise(written), layout));
    EXPECT_EQ(layout.pages[0].imageBytes, written.pages[0].imageBytes);
    // A five-byte key finds the key built from exactly those 40 bits.
    AtlasKey expected;
    expected.AppendBits(keyBytes, 40);
    EXPECT_EQ(layout.pages[0].images[0].key, expected);
}

TEST(AtlasLayoutFile, NegativePaddingReadsAsZero) {
    AtlasLayout layout;
    ASSERT_TRUE(Read(Patched(Serialise(ValidLayout()), kPaddingAt, -3), layout));
    EXPECT_EQ(layout.padding, 0);
}

TEST(AtlasLayoutFile, RefusesTruncatedFilesAtEveryLength) {
    const std::vector<uint8_t> bytes = Serialise(ValidLayout());
    for (size_t length = 0; length < bytes.size(); ++length) {
        SCOPED_TRACE(length);
        // An exact-size copy, so that the sanitizer sees any read past the end.
        const std::vector<uint8_t> prefix(bytes.begin(), bytes.begin() + length);
        AtlasLayout layout;
        std::string log;
        EXPECT_FALSE(Read(prefix, layout, &log));
        EXPECT_NE(log.find("\"ui/atlas.lay\" refused"), std::string::npos) << log;
    }
}

TEST(AtlasLayoutFile, RefusesLyingFields) {
    const std::vector<uint8_t> valid = Serialise(ValidLayout());
    const size_t root = kNodeAt;
    const size_t first = kNodeAt + kNodeBytes;
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* reason;
    } cases[] = {
        {"page width 0", Patched(valid, kPageWidthAt, 0), "page size out of range"},
        {"page width 5000", Patched(valid, kPageWidthAt, 5000), "page size out of range"},
        {"negative page count", Patched(valid, kPageCountAt, -1), "page count out of range"},
        {"huge page count", Patched(valid, kPageCountAt, 0x7FFFFFFF), "page count out of range"},
        {"pages too large",
         Patched(Patched(Patched(valid, kPageWidthAt, 4096), kPageWidthAt + 4, 4096), kPageCountAt,
                 5),
         "pages too large"},
        {"no root node", Patched(valid, kNodeCountAt, 0), "node count out of range"},
        {"huge node count", Patched(valid, kNodeCountAt, 0x01000000), "node count out of range"},
        {"node right of the page", Patched(valid, first + kRightField, 17),
         "rectangle outside the page"},
        {"node with negative x", Patched(valid, first + 8, -1), "rectangle outside the page"},
        {"position out of order", Patched(valid, first + kPositionField, 2),
         "position out of order"},
        {"child past the list", Patched(valid, root + kFirstChildField, 3), "out of range"},
        {"child pointing back to the root", Patched(valid, first + kFirstChildField, 0),
         "out of range"},
        {"child of two parents", Patched(valid, first + kFirstChildField, 2), "two parents"},
        {"negative image count", Patched(valid, kImageCountAt, -1), "image count out of range"},
        {"key of 13 bytes", PatchedByte(valid, kKeyLengthAt, 13), "key longer than 12 bytes"},
        {"image node past the list", Patched(valid, kImageNodeAt, 3), "image node index"},
        {"negative image node", Patched(valid, kImageNodeAt, -1), "image node index"},
        {"page image name longer than the file", Patched(valid, kNameLengthAt, 1000),
         "truncated page image"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AtlasLayout layout;
        std::string log;
        EXPECT_FALSE(Read(c.bytes, layout, &log));
        EXPECT_NE(log.find(c.reason), std::string::npos) << log;
    }
}

TEST(AtlasLayoutFile, PageImagePathsAreRelativeToTheLayout) {
    const struct {
        const char* layout;
        const char* stored;
        const char* expected;
    } cases[] = {
        {"ui/atlas.lay", "page0.tex", "ui/page0.tex"},
        {"ui/atlas.lay", "/page0.tex", "ui/page0.tex"},
        {"ui\\fonts\\atlas.lay", "\\p.tex", "ui\\fonts\\p.tex"},
        {"atlas.lay", "//p.tex", "/p.tex"},  // only one separator is dropped
        {"atlas.lay", "p.tex", "p.tex"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_STREQ(ResolveAtlasPageImagePath(c.layout, c.stored).c_str(), c.expected);
    }
}

}  // namespace
}  // namespace Varnok
