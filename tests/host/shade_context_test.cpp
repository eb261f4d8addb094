// The per-thread shading context: its per-texture, per-sample cache and coordinates.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "host/shade_context.h"
#include "host/test_texmap.h"

using host::SampleShadeContext;
using host::TestTexmap;

namespace {

TEST(SampleShadeContext, CacheIsPerTextureAndPerSample)
{
    SampleShadeContext sc;
    TestTexmap* a = new TestTexmap;
    TestTexmap* b = new TestTexmap;
    AColor c(9.0f, 9.0f, 9.0f, 9.0f);
    sc.BeginSample();
    EXPECT_FALSE(sc.GetCache(a, c));
    EXPECT_EQ(c, AColor(9.0f, 9.0f, 9.0f, 9.0f)) << "a miss leaves the colour alone";
    sc.PutCache(a, AColor(0.1f, 0.2f, 0.3f, 0.4f));
    EXPECT_FALSE(sc.GetCache(b, c)) << "another texture's entry is not a hit";
    ASSERT_TRUE(sc.GetCache(a, c));
    EXPECT_EQ(c, AColor(0.1f, 0.2f, 0.3f, 0.4f));
    float mono = 0.0f;
    EXPECT_FALSE(sc.GetCache(a, mono)) << "colour and mono are cached apart";
    sc.PutCache(a, AColor(0.5f, 0.5f, 0.5f, 1.0f));
    ASSERT_TRUE(sc.GetCache(a, c));
    EXPECT_EQ(c.r, 0.5f) << "a second put replaces";
    EXPECT_EQ(sc.CacheCount(), 1);
    sc.BeginSample();
    EXPECT_FALSE(sc.GetCache(a, c)) << "a new sample starts empty";
    a->DeleteThis();
    b->DeleteThis();
}

TEST(SampleShadeContext, FullCacheStopsCachingButStaysCorrect)
{
    SampleShadeContext sc;
    std::vector<TestTexmap*> maps;
    for (int i = 0; i < SampleShadeContext::kCacheSlots + 3; ++i)
        maps.push_back(new TestTexmap);
    for (size_t i = 0; i < maps.size(); ++i)
        sc.PutCache(maps[i], AColor((float)i, 0.0f, 0.0f, 1.0f));
    EXPECT_EQ(sc.CacheCount(), SampleShadeContext::kCacheSlots);
    AColor c;
    ASSERT_TRUE(sc.GetCache(maps[0], c));
    EXPECT_EQ(c.r, 0.0f);
    EXPECT_FALSE(sc.GetCache(maps.back(), c));
    sc.TossCache(maps[0]);
    EXPECT_FALSE(sc.GetCache(maps[0], c));
    ASSERT_TRUE(sc.GetCache(maps[5], c));
    EXPECT_EQ(c.r, 5.0f);
    for (TestTexmap* m : maps)
        m->DeleteThis();
}

TEST(SampleShadeContext, TexturesUseTheCacheAndGBufferID)
{
    SampleShadeContext sc;
    TestTexmap* m = new TestTexmap;
    m->useCache = TRUE;
    m->color = AColor(0.0f, 0.3f, 0.6f, 1.0f);
    m->SetGBufferID(12);
    sc.BeginSample();
    m->EvalColor(sc);
    m->EvalColor(sc);
    EXPECT_EQ(m->evalColorCount, 1) << "the second evaluation in a sample is a cache hit";
    EXPECT_EQ(sc.GBufferID(), 12);
    // EvalMono's default: (g + r + b) * 0.33333334f.
    EXPECT_EQ(m->EvalMono(sc), (0.3f + 0.0f + 0.6f) * 0.33333334f);
    sc.BeginSample();
    EXPECT_EQ(sc.GBufferID(), 0);
    m->EvalColor(sc);
    EXPECT_EQ(m->evalColorCount, 2);
    m->DeleteThis();
}

TEST(SampleShadeContext, CoordinatesPerChannel)
{
    SampleShadeContext sc;
    sc.SetUVW(Point3(0.25f, 0.5f, 0.0f));
    sc.SetUVW(Point3(1.0f, 2.0f, 3.0f), 2);
    sc.SetTime(4800);
    EXPECT_EQ(sc.UVW(), Point3(0.25f, 0.5f, 0.0f));
    EXPECT_EQ(sc.UVW(2), Point3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(sc.UVW(99), Point3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(sc.CurTime(), 4800);
}

TEST(SampleShadeContext, OneContextPerThreadNeedsNoLock)
{
    TestTexmap* m = new TestTexmap;
    std::vector<std::thread> threads;
    std::vector<int> hits(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            SampleShadeContext sc;
            for (int s = 0; s < 1000; ++s) {
                sc.BeginSample();
                AColor c((float)t, (float)s, 0.0f, 1.0f);
                sc.PutCache(m, c);
                AColor back;
                if (sc.GetCache(m, back) && back == c) ++hits[(size_t)t];
            }
        });
    for (std::thread& th : threads)
        th.join();
    for (int h : hits)
        EXPECT_EQ(h, 1000);
    m->DeleteThis();
}

} // namespace
