// Properties and the viewport stand-ins that multi-map display is tested with.
#include <gtest/gtest.h>

#include "host/test_texmap.h"
#include "host/viewport.h"

namespace {

TEST(Properties, StoredPerObjectAndRemovedWithNull)
{
    host::TestTexmap* a = new host::TestTexmap;
    host::TestTexmap* b = new host::TestTexmap;
    host::RecordingHardwareMaterial hw;
    EXPECT_EQ(a->GetProperty(PROPID_HW_MATERIAL), nullptr);
    a->SetProperty(PROPID_HW_MATERIAL, static_cast<IHardwareMaterial*>(&hw));
    EXPECT_EQ(a->GetProperty(PROPID_HW_MATERIAL), static_cast<IHardwareMaterial*>(&hw));
    EXPECT_EQ(b->GetProperty(PROPID_HW_MATERIAL), nullptr);
    a->SetProperty(PROPID_HW_MATERIAL, nullptr);
    EXPECT_EQ(a->GetProperty(PROPID_HW_MATERIAL), nullptr);
    a->DeleteThis();
    b->DeleteThis();
}

TEST(Viewport, HandlesAreCountedAndBitmapsTaken)
{
    host::ViewportTexMaker maker;
    host::TestTexmap* m = new host::TestTexmap;
    m->color = AColor(1.0f, 0.5f, 0.0f, 1.0f);
    Interval scratch;
    BITMAPINFO* dib = m->GetVPDisplayDIB(0, maker, scratch);
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(dib->bmiHeader.biWidth, 4);
    const unsigned char* px = reinterpret_cast<const unsigned char*>(&dib->bmiHeader + 1);
    EXPECT_EQ(px[2], 255); // red
    EXPECT_EQ(px[1], 188); // green 0.5, sRGB-encoded: 1.055 * 0.5^(1/2.4) - 0.055 = 0.7354
    TexHandle* h1 = maker.MakeHandle(dib);
    TexHandle* h2 = maker.MakeHandle(m->GetVPDisplayDIB(0, maker, scratch));
    ASSERT_NE(h1, nullptr);
    EXPECT_NE(h1->GetHandle(), h2->GetHandle());
    EXPECT_EQ(maker.LiveHandles(), 2);
    h1->DeleteThis();
    EXPECT_EQ(maker.LiveHandles(), 1);
    h2->DeleteThis();
    m->noBitmap = TRUE;
    EXPECT_EQ(maker.MakeHandle(m->GetVPDisplayDIB(0, maker, scratch)), nullptr);
    EXPECT_EQ(maker.NullBitmaps(), 1);
    Material mtl;
    mtl.texture.setLengthUsed(2);
    maker.GetGfxTexInfoFromTexmap(0, mtl.texture[1], m);
    EXPECT_EQ(mtl.texture[1].mapChannel, 1);
    ASSERT_EQ(maker.infoRequests.size(), 1u);
    EXPECT_EQ(maker.infoRequests[0].map, m);
    m->DeleteThis();
}

// A 2 x 2 DIB whose bottom-left pixel is red and the others black, its allocation `missing`
// bytes short of what its header promises.
BITMAPINFO* TwoByTwo(int bits, bool topDown, BYTE compression = BI_RGB, int missing = 0)
{
    const int stride = (2 * bits / 8 + 3) / 4 * 4;
    auto* bmi = static_cast<BITMAPINFO*>(
        LocalAlloc(LMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + 2 * stride - missing));
    BITMAPINFOHEADER& h = bmi->bmiHeader; // the rest stays zero
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = 2;
    h.biHeight = topDown ? -2 : 2;
    h.biPlanes = 1;
    h.biBitCount = (WORD)bits;
    h.biCompression = compression;
    unsigned char* px = reinterpret_cast<unsigned char*>(&bmi->bmiHeader + 1);
    px[(topDown ? stride : 0) + 2] = 255;
    if (bits == 32) px[(topDown ? stride : 0) + 3] = 255;
    return bmi;
}

TEST(Viewport, MakerReadsBothRowOrdersAndRefusesWhatItCannotRead)
{
    struct Row {
        int bits;
        bool topDown;
        BYTE compression;
        int missing;
        bool read;
    };
    const Row rows[] = {{32, false, BI_RGB, 0, true},  {32, true, BI_RGB, 0, true},
                        {24, false, BI_RGB, 0, true},  {24, true, BI_RGB, 0, true},
                        {16, false, BI_RGB, 0, false}, {32, false, BI_BITFIELDS, 0, false},
                        {32, false, BI_RGB, 16, false}};
    for (const Row& row : rows) {
        host::ViewportTexMaker maker;
        TexHandle* h =
            maker.MakeHandle(TwoByTwo(row.bits, row.topDown, row.compression, row.missing));
        ASSERT_EQ(h != nullptr, row.read) << row.bits << " " << row.topDown;
        EXPECT_EQ(maker.UnreadableBitmaps(), row.read ? 0 : 1);
        if (!h) continue;
        const host::ViewportTexture* t = maker.Texture(h->GetHandle());
        // Texel centres of the bottom-left red pixel, also one whole texture away (wrapping).
        for (float u : {0.25f, 1.25f, -0.75f})
            EXPECT_EQ(t->Sample(u, 0.25f), AColor(1.0f, 0.0f, 0.0f, 1.0f)) << u;
        EXPECT_EQ(t->Sample(0.75f, 0.75f), AColor(0.0f, 0.0f, 0.0f, row.bits == 24 ? 1.0f : 0.0f));
        EXPECT_EQ(t->Sample(0.5f, 0.25f).r, 0.5f); // halfway between two texels
        h->DeleteThis();
        EXPECT_EQ(maker.Texture(1), nullptr);
    }
}

TEST(Viewport, HardwareMaterialRecordsCallsInOrder)
{
    host::RecordingHardwareMaterial hw;
    IHardwareMaterial& i = hw;
    i.SetNumTexStages(1);
    i.SetTextureColorArg(0, 1, 2);
    i.SetDiffuseColor(Color(1.0f, 1.0f, 1.0f));
    ASSERT_EQ(hw.calls.size(), 3u);
    EXPECT_EQ(hw.calls[0], L"SetNumTexStages 1");
    EXPECT_EQ(hw.calls[1], L"SetTextureColorArg 0 1 2");
    EXPECT_EQ(hw.calls[2], L"SetDiffuseColor 1 1 1 1");
}

} // namespace
