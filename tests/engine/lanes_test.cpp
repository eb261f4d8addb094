// The ordinary modes four channels at once (ChannelRule, the colour walk's runs) against the
// same formulas one channel at a time (BlendColorChannels): the same bits in every channel, for a
// table of special values and for many random ones.
#include <float.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "blend_modes.h"
#include "layer_stack.h"

namespace {

typedef AColor (*SingleRule)(AColor base, AColor layer, float op);

// One layer through a run rule as the walk's runs apply it: in, the rule, out.
template <class Rule>
AColor ThroughRun(AColor base, AColor layer, float op)
{
    AColor out = base;
    Rule::Out(Rule::Apply(Rule::In(base), Rule::In(layer), layer.a, op), out);
    return out;
}

struct RulePair {
    SingleRule channels;
    SingleRule lanes;
};

// The four lanes at once for every mode, also those the walk works channel by channel.
#define PER_CHANNEL(F, channels) \
    { \
        &BlendColorChannels<&F, channels>, &ThroughRun<ChannelRule<&F, &F, channels, true>> \
    }
#define HSV(components) \
    { \
        nullptr, nullptr \
    }
#define EXACT_DIFFERENCE \
    { \
        nullptr, nullptr \
    }
#define RULE_PAIR_ROW(mode, stringId, name, colour, bump) colour,
const RulePair kRules[BLEND_MODE_COUNT] = {QUILTRA_BLEND_MODES(RULE_PAIR_ROW)};
#undef RULE_PAIR_ROW
#undef PER_CHANNEL
#undef HSV
#undef EXACT_DIFFERENCE

uint32_t Bits(float x)
{
    uint32_t u;
    memcpy(&u, &x, sizeof u);
    return u;
}

float FromBits(uint32_t u)
{
    float x;
    memcpy(&x, &u, sizeof x);
    return x;
}

// Values at the formulas' edges: signed zeros, the guards' 0, 0.5 and 1 and their neighbours,
// infinities, NaNs of both signs and another payload, subnormals, huge values.
std::vector<float> SpecialValues()
{
    const float values[] = {0.0f,
                            -0.0f,
                            1.0f,
                            -1.0f,
                            0.5f,
                            nextafterf(0.5f, 0.0f),
                            nextafterf(0.5f, 1.0f),
                            nextafterf(1.0f, 0.0f),
                            nextafterf(1.0f, 2.0f),
                            0.25f,
                            0.75f,
                            0.8f,
                            1.5f,
                            2.0f,
                            -2.0f,
                            FLT_MIN,
                            FLT_MIN / 4.0f,
                            -FLT_MIN / 4.0f,
                            FLT_TRUE_MIN,
                            1e-38f,
                            FLT_MAX,
                            -FLT_MAX,
                            3e38f,
                            -3e38f,
                            1e20f,
                            HUGE_VALF,
                            -HUGE_VALF,
                            FromBits(0x7fc00000u),
                            FromBits(0xffc00000u),
                            FromBits(0x7fd23456u)};
    return std::vector<float>(values, values + sizeof values / sizeof values[0]);
}

// A mix: mostly ordinary colour values, some any bit pattern, some special.
float RandomValue(std::mt19937& rng, const std::vector<float>& specials)
{
    const uint32_t kind = rng() % 8;
    if (kind < 5) return std::uniform_real_distribution<float>(-0.25f, 1.25f)(rng);
    if (kind < 7) return FromBits((uint32_t)rng());
    return specials[rng() % specials.size()];
}

std::string Hex(float x)
{
    char text[16];
    snprintf(text, sizeof text, "%08x", (unsigned)Bits(x));
    return text;
}

// One case: the run rule as the walk applies it (the layer's alpha is its coverage) against
// BlendColorChannels, bit for bit on every channel. A NaN matches any NaN: where two NaNs meet
// in an addition or a multiplication the result is the one the compiler put first, and it
// orders the operands of these commutative operations as it likes, in either form.
::testing::AssertionResult SameBits(int mode, const AColor& base, const AColor& layer, float op)
{
    const AColor expected = kRules[mode].channels(base, layer, op);
    const AColor actual = kRules[mode].lanes(base, layer, op);
    for (int c = 0; c < 4; ++c)
        if (Bits(expected[c]) != Bits(actual[c]) && !(isnan(expected[c]) && isnan(actual[c])))
            return ::testing::AssertionFailure()
                << kBlendModes[mode].name << " channel " << c << ": base " << Hex(base[c])
                << " layer " << Hex(layer[c]) << " op " << Hex(op) << " coverage " << Hex(layer.a)
                << ": one at a time " << Hex(expected[c]) << ", four at once " << Hex(actual[c]);
    return ::testing::AssertionSuccess();
}

TEST(BlendLanes, SpecialValuesGiveTheSameBitsAsOneChannelAtATime)
{
    const std::vector<float> s = SpecialValues();
    const float weights[] = {0.0f, 1.0f, 0.8f, 0.5f, -0.0f, 2.0f, HUGE_VALF, FromBits(0x7fc00000u)};
    const int n = (int)s.size();
    for (int mode = 0; mode < BLEND_MODE_COUNT; ++mode) {
        if (!kRules[mode].lanes) continue;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                for (float op : weights)
                    for (float a : weights) {
                        // Every pair of specials in red; the other lanes shifted through the
                        // table so that each lane sees every pair too.
                        const AColor base(s[i], s[(i + 1) % n], s[(i + 2) % n], s[(i + 3) % n]);
                        const AColor layer(s[j], s[(j + 5) % n], s[(j + 7) % n], a);
                        ASSERT_TRUE(SameBits(mode, base, layer, op));
                        const AColor swapped(s[(j + 3) % n], s[(j + 2) % n], s[(j + 1) % n], s[j]);
                        ASSERT_TRUE(SameBits(mode, swapped, layer, op));
                    }
    }
}

TEST(BlendLanes, RandomValuesGiveTheSameBitsAsOneChannelAtATime)
{
    const std::vector<float> s = SpecialValues();
    std::mt19937 rng(20261208);
    for (int mode = 0; mode < BLEND_MODE_COUNT; ++mode) {
        if (!kRules[mode].lanes) continue;
        for (int k = 0; k < 20000; ++k) {
            const AColor base(RandomValue(rng, s), RandomValue(rng, s), RandomValue(rng, s),
                              RandomValue(rng, s));
            const float a = k % 3 ? std::uniform_real_distribution<float>(0.0f, 1.0f)(rng)
                                  : RandomValue(rng, s);
            const AColor layer(RandomValue(rng, s), RandomValue(rng, s), RandomValue(rng, s), a);
            const float op = k % 2 ? std::uniform_real_distribution<float>(0.0f, 1.0f)(rng)
                                   : RandomValue(rng, s);
            ASSERT_TRUE(SameBits(mode, base, layer, op));
        }
    }
}

} // namespace
