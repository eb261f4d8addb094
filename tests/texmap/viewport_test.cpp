// Viewport display through the real DLL, drawn by the host's viewport on both paths: which
// layers become stages, the settings they get, when textures are made again, what shows.
#include <cstring>

#include <gtest/gtest.h>

#include "host/test_texmap.h"
#include "host/viewport.h"
#include "vorlith_fixture.h"

namespace {

const host::Viewport::Path kPaths[] = {host::Viewport::kHardwarePath, host::Viewport::kRecordPath};

// A texture of `layers` layers whose map slots hold maps named "L0", "L1", ... where `maps`
// has a letter: 'm' a map, 'e' a map with mapEnabled off, 'u' a map with mapUsed off, 'k' a
// mask only, '-' nothing.
Texmap* Stack(const char* maps)
{
    Texmap* tex = NewVorlith();
    const int n = (int)strlen(maps);
    static_cast<MultiTex*>(tex)->SetNumSubTexmaps(n);
    for (int i = 0; i < n; ++i) {
        const std::wstring name = L"L" + std::to_wstring(i);
        if (maps[i] == 'k')
            tex->SetSubTexmap(2 * i + 1, new TestMap(name.c_str()));
        else if (maps[i] != '-')
            tex->SetSubTexmap(2 * i, new TestMap(name.c_str(), AColor(1.0f, 1.0f, 1.0f, 1.0f)));
        if (maps[i] == 'e') Layers(tex)->SetMapEnabled(i, FALSE);
        if (maps[i] == 'u') Layers(tex)->SetLayerUsed(i, FALSE);
    }
    return tex;
}

// The shown maps' names, stage by stage.
std::wstring Shown(const host::Viewport& vp)
{
    std::wstring s;
    for (const host::Viewport::StageView& v : vp.Stages())
        s += (s.empty() ? L"" : L" ") + NameOf(v.map);
    return s;
}

TEST(Viewport, PicksTheLowestShownLayersUpToTheCap)
{
    struct Row {
        const char* maps;
        int supported;
        const wchar_t* hardware;
        const wchar_t* records;
    };
    const Row rows[] = {
        {"--", 8, L"", L""},
        {"kk", 8, L"", L""}, // masks are never shown
        {"ee", 8, L"", L""},
        {"mmmmm", 8, L"L0 L1 L2 L3", L"L0 L1 L2 L3"}, // four stages at most
        {"mmmmm", 4, L"L0 L1 L2 L3", L"L0 L1 L2 L3"},
        {"mmmmm", 2, L"L0 L1", L"L0 L1"},
        {"mmmmm", 1, L"L0", L"L0"},
        {"mmmmm", 0, L"", L""}, // a viewport without stages
        {"mmmmm", -3, L"", L""},
        {"mu-emm", 8, L"L0 L1 L4 L5", L"L0 L4 L5"}, // mapUsed counts on the record path
    };
    for (const Row& row : rows) {
        for (host::Viewport::Path path : kPaths) {
            SCOPED_TRACE(std::string(row.maps) + " supported " + std::to_string(row.supported) +
                         (path == host::Viewport::kHardwarePath ? " hardware" : " records"));
            Texmap* tex = Stack(row.maps);
            {
                host::Viewport vp;
                vp.path = path;
                vp.maker.texturesSupported = row.supported;
                vp.Setup(tex, 0);
                const std::wstring expected =
                    path == host::Viewport::kHardwarePath ? row.hardware : row.records;
                EXPECT_EQ(Shown(vp), expected);
                const int n = (int)vp.Stages().size();
                EXPECT_EQ(vp.maker.HandlesMade(), n);
                if (path == host::Viewport::kHardwarePath)
                    EXPECT_EQ(vp.hardware.calls.at(0), L"SetNumTexStages " + std::to_wstring(n));
                else
                    EXPECT_EQ((int)vp.material.texture.length(), n);
                DeleteTree(tex);
                EXPECT_EQ(vp.maker.LiveHandles(), 0) << "the texture gives its textures back";
            }
        }
    }
}

TEST(Viewport, OneStageModulatesAWhiteMaterialSeveralBlendByAlpha)
{
    for (int n = 1; n <= 2; ++n) {
        Texmap* tex = Stack(n == 1 ? "m" : "mm");
        host::Viewport hw;
        hw.Setup(tex, 0); // its material holds no record: the texture adds record 0
        std::vector<std::wstring> expected = {L"SetNumTexStages " + std::to_wstring(n)};
        for (int k = 0; k < n; ++k)
            expected.push_back(L"SetTexture " + std::to_wstring(k) + L" 0");
        for (int k = 0; k < n; ++k) {
            const std::wstring s = std::to_wstring(k);
            std::vector<std::wstring> stage = {L"SetTexture " + s + L" " + std::to_wstring(k + 1),
                                               L"SetTextureColorArg " + s + L" 1 2",
                                               L"SetTextureColorArg " + s + L" 2 1",
                                               L"SetTextureAlphaArg " + s + L" 1 2",
                                               L"SetTextureAlphaArg " + s + L" 2 1",
                                               L"SetTextureColorOp " + s +
                                                   (n == 1 ? L" 4" : L" 13"),
                                               L"SetTextureAlphaOp " + s + L" 3"};
            if (n == 1)
                stage.insert(stage.end(), {L"SetDiffuseColor 1 1 1 1", L"SetAmbientColor 1 1 1 1"});
            stage.push_back(L"SetTextureTransformFlag " + s + L" 2");
            expected.insert(expected.end(), stage.begin(), stage.end());
            EXPECT_EQ(hw.maker.infoRequests.at(k).useTex, k);
            EXPECT_EQ(hw.maker.infoRequests.at(k).record, &hw.material.texture[0]);
        }
        EXPECT_EQ(hw.hardware.calls, expected);

        host::Viewport rec;
        rec.path = host::Viewport::kRecordPath;
        rec.Setup(tex, 0);
        ASSERT_EQ((int)rec.material.texture.length(), n);
        for (int k = 0; k < n; ++k) {
            const TextureInfo& r = rec.material.texture[k];
            EXPECT_EQ(r.textHandle, (DWORD_PTR)(k + 1));
            const int ops[6] = {r.colorOp, r.colorAlphaSource, r.colorScale,
                                r.alphaOp, r.alphaAlphaSource, r.alphaScale};
            const int want[6] = {n == 1 ? 2 : 7, 2, 0, 0, 2, 0};
            EXPECT_TRUE(std::equal(ops, ops + 6, want)) << "stage " << k;
        }
        DeleteTree(tex);
    }
}

TEST(Viewport, StagesAreKeptUntilSomethingDiscardsThem)
{
    struct Row {
        const char* change;
        std::function<void(Texmap*)> edit;
        bool discards;
    };
    const Row rows[] = {
        {"nothing", [](Texmap*) {}, false},
        {"display on", [](Texmap* t) { t->ActivateTexDisplay(TRUE); }, false},
        {"display off", [](Texmap* t) { t->ActivateTexDisplay(FALSE); }, true},
        {"change message",
         [](Texmap* t) {
             PartID p = PART_ALL;
             SendRefMessage(t, t->GetSubTexmap(0), p, REFMSG_CHANGE);
         },
         true},
        {"map switched off", [](Texmap* t) { Layers(t)->SetMapEnabled(1, FALSE); }, true},
        {"layer unused", [](Texmap* t) { Layers(t)->SetLayerUsed(1, FALSE); }, true},
        {"layers swapped", [](Texmap* t) { Layers(t)->SwapLayers(0, 1); }, true},
        {"layer added", [](Texmap* t) { Layers(t)->SetNumLayers(3); }, true},
        {"map replaced", [](Texmap* t) { t->SetSubTexmap(2, new TestMap(L"new")); }, true},
        {"map removed", [](Texmap* t) { t->SetSubTexmap(0, nullptr); }, true},
        {"mask set", [](Texmap* t) { t->SetSubTexmap(1, new TestMap(L"mask")); }, true},
    };
    for (const Row& row : rows) {
        for (host::Viewport::Path path : kPaths) {
            SCOPED_TRACE(std::string(row.change) +
                         (path == host::Viewport::kHardwarePath ? " hardware" : " records"));
            Texmap* tex = Stack("mm");
            host::Viewport vp;
            vp.path = path;
            vp.Setup(tex, 0);
            ASSERT_EQ(vp.maker.HandlesMade(), 2);
            row.edit(tex);
            EXPECT_EQ(vp.maker.LiveHandles(), row.discards ? 0 : 2);
            const int evals =
                AsTestMap(tex->GetSubTexmap(2)) ? AsTestMap(tex->GetSubTexmap(2))->colorEvals : 0;
            vp.Setup(tex, 4800); // another time alone rebuilds nothing
            EXPECT_EQ(vp.maker.HandlesMade() > 2, row.discards);
            if (!row.discards) {
                EXPECT_EQ(AsTestMap(tex->GetSubTexmap(2))->colorEvals, evals) << "no new bitmap";
                // Each stage's mapping data come from the map its texture was made of.
                ASSERT_EQ(vp.maker.infoRequests.size(), 2u);
                EXPECT_EQ(vp.maker.infoRequests[0].map, tex->GetSubTexmap(0));
                EXPECT_EQ(vp.maker.infoRequests[1].map, tex->GetSubTexmap(2));
                EXPECT_EQ(vp.Stages().at(1).texture, (DWORD_PTR)2);
            }
            DeleteTree(tex);
        }
    }
}

TEST(Viewport, StagesWithoutATextureOrAMapShowNothingAndCallNothingThroughNull)
{
    for (host::Viewport::Path path : kPaths) {
        SCOPED_TRACE(path == host::Viewport::kHardwarePath ? "hardware" : "records");
        // Layer 0's map gives no bitmap, layer 1's does; then the maker makes no textures.
        Texmap* tex = Stack("mm");
        host::TestTexmap* blank = new host::TestTexmap;
        blank->noBitmap = TRUE;
        tex->SetSubTexmap(0, blank);
        host::Viewport vp;
        vp.path = path;
        vp.Setup(tex, 0);
        std::vector<host::Viewport::StageView> stages = vp.Stages();
        ASSERT_EQ(stages.size(), 2u);
        EXPECT_EQ(stages[0].texture, 0u);
        EXPECT_EQ(stages[1].texture, 1u);
        Layers(tex)->SetOpacity(0, 50.0f); // any edit discards
        vp.maker.makeHandles = false;
        vp.Setup(tex, 0);
        EXPECT_EQ(vp.Stages().at(1).texture, 0u);

        // A map deleted while its stage is kept: the texture hears of it through its
        // reference, and the next redraw shows the stack without it.
        vp.maker.makeHandles = true;
        Texmap* kept = new TestMap(L"kept");
        tex->SetSubTexmap(0, kept);
        vp.Setup(tex, 0);
        tex->GetSubTexmap(2)->DeleteThis();
        vp.Setup(tex, 0);
        stages = vp.Stages();
        ASSERT_EQ(stages.size(), 1u);
        EXPECT_NE(stages[0].texture, 0u);
        ASSERT_EQ(vp.maker.infoRequests.size(), 1u);
        EXPECT_EQ(vp.maker.infoRequests[0].map, kept);
        DeleteTree(tex);
    }
}

TEST(Viewport, StagesCombineAsTheFixedOperationsDo)
{
    // Red below, blue at alpha 0.25 above: blue is blended over red by its alpha (0.25 holds
    // as the code 64, 64/255); the alpha is the white material's. One stage alone: its colour.
    const float a = 64.0f / 255.0f;
    for (host::Viewport::Path path : kPaths) {
        Texmap* tex = Stack("mm");
        AsTestMap(tex->GetSubTexmap(0))->color = AColor(1.0f, 0.0f, 0.0f, 1.0f);
        AsTestMap(tex->GetSubTexmap(2))->color = AColor(0.0f, 0.0f, 1.0f, 0.25f);
        host::Viewport vp;
        vp.path = path;
        vp.Setup(tex, 0);
        AColor c = vp.Shade(0.3f, 0.7f);
        EXPECT_FLOAT_EQ(c.r, 1.0f - a);
        EXPECT_FLOAT_EQ(c.g, 0.0f);
        EXPECT_FLOAT_EQ(c.b, a);
        EXPECT_FLOAT_EQ(c.a, 1.0f);
        vp.maker.texturesSupported = 1;
        Layers(tex)->SetOpacity(0, 50.0f);
        vp.Setup(tex, 0);
        c = vp.Shade(0.3f, 0.7f);
        EXPECT_EQ(c, AColor(1.0f, 0.0f, 0.0f, 1.0f));
        DeleteTree(tex);
    }
}

TEST(Viewport, LocalOutputIsMeaningfulWithAnyMapInAMapSlot)
{
    struct Row {
        const char* maps;
        bool meaningful;
    };
    const Row rows[] = {{"-", false}, {"kk", false}, {"-e", true}, {"u-", true}, {"k-m", true}};
    for (const Row& row : rows) {
        Texmap* tex = Stack(row.maps);
        host::SampleShadeContext sc;
        EXPECT_EQ(tex->IsLocalOutputMeaningful(sc), row.meaningful) << row.maps;
        EXPECT_TRUE(tex->SupportTexDisplay());
        EXPECT_TRUE(tex->SupportsMultiMapsInViewport());
        DeleteTree(tex);
    }
}

} // namespace
