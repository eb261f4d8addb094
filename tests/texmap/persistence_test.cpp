// Saving and loading through the host's scene file, and copying.
#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "vorlith_fixture.h"

namespace {

const unsigned short kLayersChunk = 0x5100;
const unsigned short kOutputChunk = 0x5110;

// Gives every layer its own values and maps on the even layers (the top layer of an odd
// count keeps empty slots, so the scene holds no reference for it).
void Decorate(Texmap* tex, int n)
{
    IVorlithLayers* layers = Layers(tex);
    layers->SetNumLayers(n);
    for (int i = 0; i < n; ++i) {
        layers->SetMapEnabled(i, i % 2 == 0);
        layers->SetMaskEnabled(i, i % 3 == 0);
        layers->SetLayerUsed(i, i % 4 != 1);
        layers->SetOpacity(i, 12.5f * i + 0.25f);
        layers->SetLayerColor(i, Color(0.1f * i, 1.0f - 0.1f * i, 0.03f * i));
        layers->SetBlendMode(i, (i * 5) % 35);
        layers->SetBlendSpace(i, i % 3 == 1 ? VORLITH_SPACE_DISPLAY : VORLITH_SPACE_LINEAR);
        if (i % 2 == 0 && i + 1 < n) {
            std::wstring name = L"map" + std::to_wstring(i);
            tex->SetSubTexmap(2 * i, new TestMap(name.c_str(), AColor(0.2f, 0.4f, 0.6f, 1.0f)));
            name = L"mask" + std::to_wstring(i);
            tex->SetSubTexmap(2 * i + 1, new TestMap(name.c_str()));
        }
    }
    layers->SetOutputEnabled(TRUE);
    layers->SetOutputClamp(TRUE);
    layers->SetOutputMono(TRUE);
    layers->SetOutputShiftHSV(Point3(12.0f, -0.25f, 0.5f));
    layers->SetOutputShiftRGB(Point3(0.1f, 0.2f, -0.3f));
    layers->SetOutputAlpha(-0.125f);
    layers->SetOutputBrightness(1.5f);
    layers->SetOutputContrast(0.75f);
    layers->SetOutputGamma(2.2f);
    tex->SetName(MSTR(L"Layered wall"));
    Block(tex)->SetValue(pb_edit_ids, 0, L"B:", 0);
}

void ExpectSameLayers(Texmap* a, Texmap* b)
{
    IVorlithLayers* la = Layers(a);
    IVorlithLayers* lb = Layers(b);
    ASSERT_EQ(la->GetNumLayers(), lb->GetNumLayers());
    for (int i = 0; i < la->GetNumLayers(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(la->GetMapEnabled(i), lb->GetMapEnabled(i));
        EXPECT_EQ(la->GetMaskEnabled(i), lb->GetMaskEnabled(i));
        EXPECT_EQ(la->GetLayerUsed(i), lb->GetLayerUsed(i));
        EXPECT_EQ(la->GetOpacity(i), lb->GetOpacity(i));
        EXPECT_EQ(la->GetLayerColor(i), lb->GetLayerColor(i));
        EXPECT_EQ(la->GetBlendMode(i), lb->GetBlendMode(i));
        EXPECT_EQ(la->GetBlendSpace(i), lb->GetBlendSpace(i));
        EXPECT_EQ(NameOf(a->GetSubTexmap(2 * i)), NameOf(b->GetSubTexmap(2 * i)));
        EXPECT_EQ(NameOf(a->GetSubTexmap(2 * i + 1)), NameOf(b->GetSubTexmap(2 * i + 1)));
        EXPECT_STREQ(Block(a)->GetStr(pb_edit_ids, 0, i), Block(b)->GetStr(pb_edit_ids, 0, i));
    }
}

void ExpectSameOutput(Texmap* a, Texmap* b)
{
    IVorlithLayers* la = Layers(a);
    IVorlithLayers* lb = Layers(b);
    EXPECT_EQ(la->GetOutputEnabled(), lb->GetOutputEnabled());
    EXPECT_EQ(la->GetOutputClamp(), lb->GetOutputClamp());
    EXPECT_EQ(la->GetOutputMono(), lb->GetOutputMono());
    EXPECT_EQ(la->GetOutputShiftHSV(), lb->GetOutputShiftHSV());
    EXPECT_EQ(la->GetOutputShiftRGB(), lb->GetOutputShiftRGB());
    EXPECT_EQ(la->GetOutputAlpha(), lb->GetOutputAlpha());
    EXPECT_EQ(la->GetOutputBrightness(), lb->GetOutputBrightness());
    EXPECT_EQ(la->GetOutputContrast(), lb->GetOutputContrast());
    EXPECT_EQ(la->GetOutputGamma(), lb->GetOutputGamma());
}

void ExpectDefaultValues(Texmap* tex)
{
    IVorlithLayers* layers = Layers(tex);
    for (int i = 0; i < layers->GetNumLayers(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(layers->GetMapEnabled(i));
        EXPECT_TRUE(layers->GetMaskEnabled(i));
        EXPECT_TRUE(layers->GetLayerUsed(i));
        EXPECT_EQ(layers->GetOpacity(i), 100.0f);
        EXPECT_EQ(layers->GetLayerColor(i), Color(0.5f, 0.5f, 0.5f));
        EXPECT_EQ(layers->GetBlendMode(i), 0);
    }
    EXPECT_FALSE(layers->GetOutputEnabled());
    EXPECT_FALSE(layers->GetOutputClamp());
    EXPECT_FALSE(layers->GetOutputMono());
    EXPECT_EQ(layers->GetOutputGamma(), 1.0f);
    EXPECT_EQ(layers->GetOutputBrightness(), 1.0f);
    EXPECT_EQ(layers->GetOutputContrast(), 1.0f);
    EXPECT_EQ(layers->GetOutputAlpha(), 0.0f);
    EXPECT_EQ(layers->GetOutputShiftHSV(), Point3(0.0f, 0.0f, 0.0f));
}

// After the host's Update the tables, the map list and the block agree.
void ExpectCountsAgree(Texmap* tex, int n)
{
    Interval valid = FOREVER;
    tex->Update(0, valid);
    IParamBlock2* pb = Block(tex);
    EXPECT_EQ(Layers(tex)->GetNumLayers(), n);
    EXPECT_EQ(tex->NumSubTexmaps(), 2 * n);
    EXPECT_EQ(pb->Count(pb_map_list), 2 * n);
    for (ParamID id = 1; id <= 7; ++id)
        EXPECT_EQ(pb->Count(id), n) << "parameter " << id;
}

Texmap* Only(const std::vector<ReferenceTarget*>& roots)
{
    EXPECT_EQ(roots.size(), 1u);
    return roots.empty() ? nullptr : static_cast<Texmap*>(roots[0]);
}

class SceneRoundTrip : public ::testing::TestWithParam<int> { };

TEST_P(SceneRoundTrip, KeepsLayersMapsOutputAndName)
{
    const int n = GetParam();
    Texmap* tex = NewVorlith();
    Decorate(tex, n);
    Texmap* loaded = Only(RoundTrip({tex}));
    ASSERT_NE(loaded, nullptr);
    ExpectCountsAgree(loaded, n);
    ExpectSameLayers(tex, loaded);
    ExpectSameOutput(tex, loaded);
    EXPECT_STREQ(loaded->GetName().data(), L"Layered wall");

    // The loaded texture renders what the saved one did.
    host::SampleShadeContext sc;
    sc.BeginSample();
    AColor before = tex->EvalColor(sc);
    sc.BeginSample();
    AColor after = loaded->EvalColor(sc);
    EXPECT_EQ(before, after);
    DeleteTree(tex);
    DeleteTree(loaded);
}

INSTANTIATE_TEST_SUITE_P(Layers, SceneRoundTrip, ::testing::Values(1, 3, 7));

TEST(SceneLoad, OldSceneWithoutTheTextureChunksLoadsDefaults)
{
    Texmap* tex = NewVorlith();
    Decorate(tex, 4);
    host::SceneSaveOptions old;
    old.dropChunk = [tex](ReferenceTarget* object, unsigned short id) {
        return object == tex && (id == kLayersChunk || id == kOutputChunk);
    };
    Texmap* loaded = Only(RoundTrip({tex}, old));
    ASSERT_NE(loaded, nullptr);
    Interval valid = FOREVER;
    loaded->Update(0, valid);
    EXPECT_EQ(Block(loaded)->Count(pb_map_enabled), 4);
    EXPECT_EQ(Layers(loaded)->GetNumLayers(), 4);
    EXPECT_EQ(NameOf(loaded->GetSubTexmap(0)), L"map0");
    EXPECT_EQ(NameOf(loaded->GetSubTexmap(5)), L"mask2");
    ExpectDefaultValues(loaded);
    EXPECT_STREQ(loaded->GetName().data(), L"Layered wall");
    DeleteTree(tex);
    DeleteTree(loaded);
}

// Finds a chunk of the texture's own in the scene bytes by its id and exact length.
size_t FindChunk(const std::vector<unsigned char>& bytes, unsigned short id, unsigned long length)
{
    for (size_t i = 0; i + 6 <= bytes.size(); ++i) {
        unsigned short cid;
        unsigned long clen;
        std::memcpy(&cid, &bytes[i], 2);
        uint32_t len32;
        std::memcpy(&len32, &bytes[i + 2], 4);
        clen = len32;
        if (cid == id && clen == length) return i + 6;
    }
    return std::string::npos;
}

std::vector<unsigned char> SceneBytes(Texmap* tex)
{
    std::vector<unsigned char> bytes;
    std::wstring error;
    EXPECT_TRUE(host::WriteScene({tex}, &bytes, &error));
    return bytes;
}

Texmap* ReadBytes(const std::vector<unsigned char>& bytes)
{
    host::SceneLoadResult r = host::ReadScene(bytes.data(), bytes.size(), Plugins().Classes());
    EXPECT_TRUE(r.ok) << MSTR(r.error.c_str()).ToUTF8();
    return r.ok ? Only(r.roots) : nullptr;
}

// The layers chunk byte by byte: the count, then per layer mapEnabled, maskEnabled, mapUsed
// (int32), opacity, red, green, blue (float), mode (int32), little-endian.
TEST(SceneSave, LayerRecordsHoldTheirFieldsInTheirOrder)
{
    Texmap* tex = NewVorlith();
    IVorlithLayers* l = Layers(tex);
    l->SetNumLayers(2);
    l->SetMapEnabled(1, FALSE);
    l->SetLayerUsed(1, FALSE);
    l->SetOpacity(1, 37.5f);
    l->SetLayerColor(1, Color(0.25f, 0.5f, -0.75f));
    l->SetBlendMode(1, -13);
    std::vector<unsigned char> bytes = SceneBytes(tex);
    const size_t at = FindChunk(bytes, kLayersChunk, 6 + 4 + 2 * 32);
    ASSERT_NE(at, std::string::npos);

    std::vector<unsigned char> expected;
    auto i32 = [&](int32_t v) {
        for (int k = 0; k < 4; ++k)
            expected.push_back((unsigned char)((uint32_t)v >> (8 * k)));
    };
    auto f32 = [&](float v) {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        i32((int32_t)u);
    };
    i32(2);
    i32(1);
    i32(1);
    i32(1);
    f32(100.0f);
    f32(0.5f);
    f32(0.5f);
    f32(0.5f);
    i32(0);
    i32(0);
    i32(1);
    i32(0);
    f32(37.5f);
    f32(0.25f);
    f32(0.5f);
    f32(-0.75f);
    i32(-13);
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + at, bytes.begin() + at + expected.size()),
              expected);
    DeleteTree(tex);
}

TEST(SceneSave, BlendSpacesHaveTheirOwnChunkOnlyWhenALayerIsInDisplaySpace)
{
    const unsigned short kSpacesChunk = 0x5120;
    Texmap* tex = NewVorlith();
    IVorlithLayers* l = Layers(tex);
    l->SetNumLayers(3);
    EXPECT_EQ(FindChunk(SceneBytes(tex), kSpacesChunk, 6 + 4 + 3 * 4), std::string::npos);
    l->SetBlendSpace(2, 7); // any value but 0 is display
    EXPECT_EQ(l->GetBlendSpace(2), VORLITH_SPACE_DISPLAY);
    std::vector<unsigned char> bytes = SceneBytes(tex);
    const size_t at = FindChunk(bytes, kSpacesChunk, 6 + 4 + 3 * 4);
    ASSERT_NE(at, std::string::npos);
    const unsigned char expected[] = {3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(&bytes[at], expected, sizeof expected));
    // The 32-byte layer records are as before.
    EXPECT_NE(FindChunk(bytes, kLayersChunk, 6 + 4 + 3 * 32), std::string::npos);
    DeleteTree(tex);
}

TEST(SceneLoad, LayerCountDisagreeingWithItsChunkIsSkipped)
{
    Texmap* tex = NewVorlith();
    Decorate(tex, 2);
    std::vector<unsigned char> bytes = SceneBytes(tex);
    size_t at = FindChunk(bytes, kLayersChunk, 6 + 4 + 2 * 32);
    ASSERT_NE(at, std::string::npos);
    int32_t bogus = 3;
    std::memcpy(&bytes[at], &bogus, 4);

    Texmap* loaded = ReadBytes(bytes);
    ASSERT_NE(loaded, nullptr);
    ExpectCountsAgree(loaded, 2);
    EXPECT_EQ(Layers(loaded)->GetOpacity(1), 100.0f);
    EXPECT_EQ(Layers(loaded)->GetBlendMode(1), 0);
    // The Output settings come from their own sound chunk.
    ExpectSameOutput(tex, loaded);
    DeleteTree(tex);
    DeleteTree(loaded);
}

TEST(SceneLoad, ValuesThatAreNotNumbersKeepTheirDefaults)
{
    Texmap* tex = NewVorlith();
    Decorate(tex, 1);
    std::vector<unsigned char> bytes = SceneBytes(tex);
    size_t layersAt = FindChunk(bytes, kLayersChunk, 6 + 4 + 32);
    size_t outputAt = FindChunk(bytes, kOutputChunk, 6 + 60);
    ASSERT_NE(layersAt, std::string::npos);
    ASSERT_NE(outputAt, std::string::npos);
    const float nan = std::nanf("");
    const float inf = INFINITY;
    const int32_t flag = 7;
    std::memcpy(&bytes[layersAt + 4], &flag, 4); // mapEnabled 7
    std::memcpy(&bytes[layersAt + 16], &nan, 4); // opacity
    std::memcpy(&bytes[layersAt + 20], &inf, 4); // red
    std::memcpy(&bytes[outputAt + 8], &nan, 4); // alpha
    const float tinyGamma = 0.0f;
    std::memcpy(&bytes[outputAt + 24], &tinyGamma, 4); // gamma
    std::memcpy(&bytes[outputAt + 28], &inf, 4); // hue shift

    Texmap* loaded = ReadBytes(bytes);
    ASSERT_NE(loaded, nullptr);
    IVorlithLayers* layers = Layers(loaded);
    EXPECT_TRUE(layers->GetMapEnabled(0));
    EXPECT_EQ(layers->GetOpacity(0), 100.0f);
    Color c = layers->GetLayerColor(0);
    EXPECT_EQ(c.r, 0.5f);
    EXPECT_EQ(c.g, Layers(tex)->GetLayerColor(0).g);
    EXPECT_EQ(layers->GetOutputAlpha(), 0.0f);
    EXPECT_EQ(layers->GetOutputGamma(), 0.001f);
    EXPECT_EQ(layers->GetOutputShiftHSV().x, 0.0f);
    EXPECT_EQ(layers->GetOutputShiftHSV().y, -0.25f);
    EXPECT_EQ(layers->GetOutputBrightness(), 1.5f);

    host::SampleShadeContext sc;
    sc.BeginSample();
    AColor out = loaded->EvalColor(sc);
    EXPECT_FALSE(std::isnan(out.r) || std::isnan(out.g) || std::isnan(out.b) || std::isnan(out.a));
    DeleteTree(tex);
    DeleteTree(loaded);
}

TEST(SceneLoad, BlockCountBelowTheChunkFollowsTheBlock)
{
    Texmap* tex = NewVorlith();
    Decorate(tex, 3);
    // A scene whose block lost its per-layer tables: the chunk holds three layers, the block
    // declares its default size.
    host::SceneSaveOptions options;
    options.dropParam = [](IParamBlock2*, short id) { return id >= 1 && id <= 7; };
    Texmap* loaded = Only(RoundTrip({tex}, options));
    ASSERT_NE(loaded, nullptr);
    Interval valid = FOREVER;
    loaded->Update(0, valid);
    const int blockLayers = Block(loaded)->Count(pb_map_enabled);
    EXPECT_LT(blockLayers, 3);
    EXPECT_EQ(Layers(loaded)->GetOpacity(0), Layers(tex)->GetOpacity(0));
    host::SampleShadeContext sc;
    sc.BeginSample();
    loaded->EvalColor(sc); // reads no table past its end
    sc.BeginSample();
    loaded->EvalNormalPerturb(sc);
    DeleteTree(tex);
    DeleteTree(loaded);
}

TEST(Clone, CarriesLayersOutputAndClonedSubMaps)
{
    Texmap* tex = NewVorlith();
    Decorate(tex, 5);
    TestMap* shared = new TestMap(L"shared");
    tex->SetSubTexmap(3, shared);
    tex->SetSubTexmap(9, shared);

    Texmap* copy = static_cast<Texmap*>(CloneRefHierarchy(tex));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->ClassID(), kVorlithClassID);
    ExpectCountsAgree(copy, 5);
    ExpectSameLayers(tex, copy);
    ExpectSameOutput(tex, copy);
    EXPECT_STREQ(copy->GetName().data(), L"Layered wall");
    EXPECT_NE(Block(copy), Block(tex));
    EXPECT_NE(copy->GetSubTexmap(0), tex->GetSubTexmap(0));
    EXPECT_EQ(copy->GetSubTexmap(3), copy->GetSubTexmap(9));
    EXPECT_NE(copy->GetSubTexmap(3), shared);

    // The two textures are independent afterwards.
    Layers(copy)->SetOpacity(0, 1.0f);
    Layers(copy)->SetNumLayers(2);
    EXPECT_EQ(Layers(tex)->GetNumLayers(), 5);
    EXPECT_NE(Layers(tex)->GetOpacity(0), 1.0f);
    EXPECT_EQ(NameOf(tex->GetSubTexmap(9)), L"shared");

    host::SampleShadeContext sc;
    sc.BeginSample();
    Texmap* again = static_cast<Texmap*>(CloneRefHierarchy(tex));
    AColor a = tex->EvalColor(sc);
    sc.BeginSample();
    EXPECT_EQ(again->EvalColor(sc), a);
    DeleteTree(again);
    DeleteTree(tex);
    DeleteTree(copy);
}

} // namespace
