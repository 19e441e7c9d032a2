#include "engine/model/MaterialDescription.h"

#include "engine/model/internal/ByteCursor.h"
#include "tests/engine/model/ByteWriter.h"

#include <gtest/gtest.h>

namespace Varnok {
namespace {

using ModelTest::ByteWriter;

// Reads the records (after the skipped word) into a description whose changed
// flag has been cleared, as a core material leaves it after building.
bool ReadRecords(MaterialDescription& description, const ByteWriter& records) {
    ByteWriter stream;
    stream.U32(0).Raw(records.Bytes());
    ByteCursor cursor(stream.Data(), stream.Size());
    description.SetChanged(false);
    return description.Read(cursor, stream.Size());
}

TEST(MaterialDescription, StartsWithDefaultsAndChangedSet) {
    MaterialDescription description;
    EXPECT_STREQ(description.GetName().c_str(), "defaultMaterial");
    EXPECT_TRUE(description.IsChanged());
    EXPECT_FLOAT_EQ(description.GetSpecularLevel(), 1.0f);
    EXPECT_FLOAT_EQ(description.GetSpecularPower(), 22.0f);
    EXPECT_FLOAT_EQ(description.GetDiffuseColour()[0], 1.0f);
    EXPECT_FLOAT_EQ(description.GetAlphaLevel(), 1.0f);
    EXPECT_TRUE(description.IsEnabled());
    EXPECT_FALSE(description.HasUVAnimation());
    EXPECT_FALSE(description.HasRimShading());
}

TEST(MaterialDescription, EndRecordAloneLeavesDefaultsAndChangedAlone) {
    MaterialDescription description;
    ASSERT_TRUE(ReadRecords(description, ByteWriter().KeyedString("MatEnd")));
    EXPECT_FALSE(description.IsChanged());
    EXPECT_STREQ(description.GetName().c_str(), "defaultMaterial");
}

TEST(MaterialDescription, RecordsSetChangedOnlyWhenTheirRulesSay) {
    const struct {
        const char* what;
        ByteWriter records;
        bool changed;
    } cases[] = {
        {"diffuse colour equal to the default",
         ByteWriter().KeyedString("rgb_diffuseColourMod").F32(255).F32(255).F32(255), false},
        {"diffuse colour that differs",
         ByteWriter().KeyedString("rgb_diffuseColourMod").F32(255).F32(0).F32(0), true},
        {"rim colour always marks changed",
         ByteWriter().KeyedString("rgb_rimColourMod").F32(0).F32(0).F32(0), true},
        {"uv scroll never marks changed", ByteWriter().KeyedString("f_U_uvScrollMod").F32(0.1f),
         false},
        {"capitalised prefix consumes the values but changes nothing",
         ByteWriter().KeyedString("RGB_diffuseColourMod").F32(0).F32(0).F32(0), false},
        {"known prefix, unknown name", ByteWriter().KeyedString("f_somethingElse").F32(3), false},
        {"specular method is read and ignored",
         ByteWriter().KeyedString("s_specularMethod").KeyedString("imagebasedperpixel"), false},
        {"two-sided flag flips", ByteWriter().KeyedString("b_twoSidedMod").F32(1.0f), true},
        {"unknown prefix has no value fields",
         ByteWriter().KeyedString("oddRecord").KeyedString("f_specularPowMod").F32(22), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MaterialDescription description;
        ByteWriter records = c.records;
        records.KeyedString("MatEnd");
        ASSERT_TRUE(ReadRecords(description, records));
        EXPECT_EQ(description.IsChanged(), c.changed);
        EXPECT_FLOAT_EQ(description.GetDiffuseColour()[0], 1.0f);  // no case lowers red
    }
}

TEST(MaterialDescription, AlphaLevelDrivesTranslucency) {
    MaterialDescription description;
    ASSERT_TRUE(ReadRecords(description, ByteWriter().KeyedString("f_alphaLevelMod").F32(0.5f)));
    EXPECT_FLOAT_EQ(description.GetAlphaLevel(), 0.5f);
    EXPECT_TRUE(description.IsTranslucent());
    EXPECT_TRUE(description.IsChanged());

    ASSERT_TRUE(ReadRecords(description, ByteWriter().KeyedString("f_alphaLevelMod").F32(1.0f)));
    EXPECT_FALSE(description.IsTranslucent());
    EXPECT_TRUE(description.IsChanged());
}

TEST(MaterialDescription, ReadsNamesTexturesAndScrolling) {
    MaterialDescription description;
    ASSERT_TRUE(ReadRecords(description, ByteWriter()
                                             .KeyedString("s_Matname")
                                             .KeyedString("melon")
                                             .KeyedString("s_DiffuseTex")
                                             .KeyedString("melon.tex")
                                             .KeyedString("f_U_uvScrollMod")
                                             .F32(0.1f)
                                             .KeyedString("f_rimScaleMod")
                                             .F32(0.5f)
                                             .KeyedString("MatEnd")
                                             .KeyedString("s_Matname")
                                             .KeyedString("after the end")));
    EXPECT_STREQ(description.GetName().c_str(), "melon");
    EXPECT_STREQ(description.GetDiffuseTexture().c_str(), "melon.tex");
    EXPECT_TRUE(description.HasUVAnimation());
    EXPECT_TRUE(description.HasRimShading());
}

TEST(MaterialDescription, FullBrightMarksChangedOnce) {
    MaterialDescription description;
    const ByteWriter record = ByteWriter().KeyedString("s_diffuseMethodMod").KeyedString("fullbright");
    ASSERT_TRUE(ReadRecords(description, record));
    EXPECT_TRUE(description.IsChanged());
    EXPECT_FLOAT_EQ(description.GetDiffuseMethod(), 1.0f);
    ASSERT_TRUE(ReadRecords(description, record));
    EXPECT_FALSE(description.IsChanged());
}

TEST(MaterialDescription, RefusesRecordsRunningPastTheEnd) {
    const struct {
        const char* what;
        ByteWriter records;
    } cases[] = {
        {"value cut short", ByteWriter().KeyedString("rgb_diffuseColourMod").F32(0)},
        {"string longer than the data", ByteWriter().U32(1000).Raw("abc")},
        {"string of 512 characters", ByteWriter().KeyedString(std::string(512, 'a'))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MaterialDescription description;
        EXPECT_FALSE(ReadRecords(description, c.records));
    }
}

TEST(MaterialDescription, CopyFromKeepsChangedAndTextureObject) {
    MaterialDescription source;
    source.SetName("copied");
    MaterialDescription target;
    target.SetChanged(false);
    target.CopyFrom(source);
    EXPECT_STREQ(target.GetName().c_str(), "copied");
    EXPECT_FALSE(target.IsChanged());
    target.SetName("copied");
    EXPECT_FALSE(target.IsChanged());  // same name: no change
}

}  // namespace
}  // namespace Varnok
