#include "picture_maps.h"

#include "fbm_noise.h"
#include "file_io.h"
#include "picture_cache.h"

#include <cmath>
#include <cstring>

namespace quiltra {

namespace {

const float kSlopeStep = 1.0f / 1024.0f; // h of the central differences
const USHORT kParamsChunk = 0x5100;
const std::uint32_t kParamsVersion = 1;

const Class_ID kClassIDs[] = {
    Class_ID(0x6A3D1C01, 0x2F4B8E01), // constant
    Class_ID(0x6A3D1C02, 0x2F4B8E02), // checker
    Class_ID(0x6A3D1C03, 0x2F4B8E03), // gradient
    Class_ID(0x6A3D1C04, 0x2F4B8E04), // noise
    Class_ID(0x6A3D1C05, 0x2F4B8E05), // bitmap
};
const wchar_t* const kClassNames[] = {L"Constant", L"Checker", L"Gradient", L"Noise", L"Bitmap"};

inline AColor ToAColor(const std::array<float, 4>& c) { return AColor(c[0], c[1], c[2], c[3]); }

// a + (b − a)·f per channel.
inline AColor Mix(const AColor& a, const AColor& b, float f)
{
    return AColor(a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f,
                  a.a + (b.a - a.a) * f);
}

// Limits to 0..1; NaN becomes 0.
inline float Limit01(float x) { return x > 0.0f ? (x < 1.0f ? x : 1.0f) : 0.0f; }

// floor(x) as an integer, for cell and pixel indices; coordinates far outside any picture
// (and NaN) fold to 0 rather than overflow the conversion.
inline long long FloorIndex(float x)
{
    if (!(std::fabs(x) < 1.0e15f)) return 0;
    return (long long)std::floor(x);
}

// i modulo n in 0 .. n − 1; a sample's neighbours lie within one picture of it, so the division
// is left for the rest.
inline long long Wrap(long long i, long long n)
{
    if (i >= 0) {
        if (i < n) return i;
        if (i < 2 * n) return i - n;
    } else if (i >= -n)
        return i + n;
    long long r = i % n;
    return r < 0 ? r + n : r;
}

// ---- parameter chunk ----------------------------------------------------------------------------

class ByteWriter {
public:
    template <typename T>
    void Put(const T& v)
    {
        const std::uint8_t* p = reinterpret_cast<const std::uint8_t*>(&v);
        bytes.insert(bytes.end(), p, p + sizeof(T));
    }
    void PutBytes(const std::vector<std::uint8_t>& b)
    {
        Put((std::uint64_t)b.size());
        bytes.insert(bytes.end(), b.begin(), b.end());
    }
    std::vector<std::uint8_t> bytes;
};

class ByteReader {
public:
    explicit ByteReader(const std::vector<std::uint8_t>& b) : bytes_(b) { }
    template <typename T>
    bool Get(T& v)
    {
        if (bytes_.size() - at_ < sizeof(T)) return false;
        std::memcpy(&v, bytes_.data() + at_, sizeof(T));
        at_ += sizeof(T);
        return true;
    }
    bool GetBytes(std::vector<std::uint8_t>& b)
    {
        std::uint64_t n = 0;
        if (!Get(n) || n > bytes_.size() - at_) return false;
        b.assign(bytes_.begin() + (long)at_, bytes_.begin() + (long)(at_ + n));
        at_ += (size_t)n;
        return true;
    }
    bool AtEnd() const { return at_ == bytes_.size(); }

private:
    const std::vector<std::uint8_t>& bytes_;
    size_t at_ = 0;
};

bool Finite(float x) { return std::isfinite(x); }

// The noise's third coordinate: a plane apart for each seed.
inline float NoiseZ(const PictureParams& p) { return (float)(p.seed % 4096) * 1.618034f + 0.5f; }

} // namespace

// ---- the map
// --------------------------------------------------------------------------------------

PictureMap::PictureMap(PictureKind kind) : kind_(kind) { }

namespace {

// The plane through the noise a map of these parameters samples.
std::shared_ptr<const NoiseField> NoiseOf(const PictureParams& p)
{
    return std::make_shared<NoiseField>(NoiseZ(p), 2.0f, 0.5f, p.octaves);
}

} // namespace

void PictureMap::SetParams(const PictureParams& params)
{
    std::shared_ptr<const Picture> pixels;
    if (kind_ == PictureKind::Bitmap)
        pixels = SharedPicture(params.image, params.linear, params.file);
    std::shared_ptr<const NoiseField> noise;
    if (kind_ == PictureKind::Noise) noise = NoiseOf(params);
    params_ = params;
    pixels_ = std::move(pixels);
    noise_ = std::move(noise);
}

void PictureMap::Reset()
{
    params_ = PictureParams();
    pixels_.reset();
    noise_.reset();
}

AColor PictureMap::BitmapAt(float u, float v) const
{
    if (!pixels_ || pixels_->Width() <= 0 || pixels_->Height() <= 0)
        return AColor(0.0f, 0.0f, 0.0f, 0.0f);
    const Picture& pixels = *pixels_;
    // Tiled over u and v, v = 0 at the picture's bottom row; bilinear between pixel centres.
    const long long w = pixels.Width(), h = pixels.Height();
    float fu = u - std::floor(u), fv = v - std::floor(v);
    if (!Finite(fu)) fu = 0.0f;
    if (!Finite(fv)) fv = 0.0f;
    float x = fu * (float)w - 0.5f;
    float y = (1.0f - fv) * (float)h - 0.5f;
    long long x0 = FloorIndex(x), y0 = FloorIndex(y);
    float tx = x - (float)x0, ty = y - (float)y0;
    float p00[4], p10[4], p01[4], p11[4];
    pixels.Pixel((int)Wrap(x0, w), (int)Wrap(y0, h), p00);
    pixels.Pixel((int)Wrap(x0 + 1, w), (int)Wrap(y0, h), p10);
    pixels.Pixel((int)Wrap(x0, w), (int)Wrap(y0 + 1, h), p01);
    pixels.Pixel((int)Wrap(x0 + 1, w), (int)Wrap(y0 + 1, h), p11);
    AColor top = Mix(AColor(p00), AColor(p10), tx);
    AColor bottom = Mix(AColor(p01), AColor(p11), tx);
    return Mix(top, bottom, ty);
}

AColor PictureMap::ColorAt(float u, float v) const
{
    const PictureParams& p = params_;
    switch (kind_) {
    case PictureKind::Constant:
        return ToAColor(p.color);
    case PictureKind::Checker: {
        long long cell = FloorIndex(u * p.scale) + FloorIndex(v * p.scale);
        return (cell & 1) ? ToAColor(p.color2) : ToAColor(p.color1);
    }
    case PictureKind::Gradient: {
        float t;
        if (p.direction == 0)
            t = u;
        else if (p.direction == 1)
            t = v;
        else {
            float du = u - 0.5f, dv = v - 0.5f;
            t = std::sqrt(du * du + dv * dv) * 2.0f;
        }
        t = Limit01(t);
        const int segments = (int)p.stops.size() - 1;
        float x = t * (float)segments;
        int i = (int)x;
        if (i > segments - 1) i = segments - 1;
        return Mix(ToAColor(p.stops[(size_t)i]), ToAColor(p.stops[(size_t)i + 1]), x - (float)i);
    }
    case PictureKind::Noise: {
        float n = noise_ ? noise_->At(u * p.scale, v * p.scale)
                         : FbmNoise(u * p.scale, v * p.scale, NoiseZ(p), 2.0f, 0.5f, p.octaves);
        return Mix(ToAColor(p.color1), ToAColor(p.color2), Limit01(0.5f + 0.6f * n));
    }
    case PictureKind::Bitmap:
        return BitmapAt(u, v);
    }
    return AColor(0.0f, 0.0f, 0.0f, 1.0f);
}

float PictureMap::MonoAt(float u, float v) const
{
    AColor c = ColorAt(u, v);
    return (c.g + c.r + c.b) * 0.33333334f;
}

AColor PictureMap::EvalColor(ShadeContext& sc)
{
    Point3 uvw = sc.UVW(kPictureMapChannel);
    return ColorAt(uvw.x, uvw.y);
}

Point3 PictureMap::EvalNormalPerturb(ShadeContext& sc)
{
    if (kind_ == PictureKind::Constant)
        return Point3(params_.perturb[0], params_.perturb[1], params_.perturb[2]);
    Point3 uvw = sc.UVW(kPictureMapChannel);
    const float u = uvw.x, v = uvw.y, h = kSlopeStep;
    const float k = params_.bump * (0.5f / h);
    return Point3((MonoAt(u - h, v) - MonoAt(u + h, v)) * k,
                  (MonoAt(u, v - h) - MonoAt(u, v + h)) * k, 0.0f);
}

Class_ID PictureMap::ClassID() { return kClassIDs[(int)kind_]; }

void PictureMap::GetClassName(MSTR& s) { s = kClassNames[(int)kind_]; }

RefTargetHandle PictureMap::Clone(RemapDir& remap)
{
    PictureMap* copy = new PictureMap(kind_);
    copy->params_ = params_;
    copy->pixels_ = pixels_;
    copy->noise_ = noise_;
    BaseClone(this, copy, remap);
    return copy;
}

IOResult PictureMap::Save(ISave* isave)
{
    const PictureParams& p = params_;
    ByteWriter w;
    w.Put(kParamsVersion);
    w.Put((std::uint32_t)kind_);
    for (float f : p.color)
        w.Put(f);
    for (float f : p.perturb)
        w.Put(f);
    for (float f : p.color1)
        w.Put(f);
    for (float f : p.color2)
        w.Put(f);
    w.Put((std::uint32_t)p.stops.size());
    for (const auto& s : p.stops)
        for (float f : s)
            w.Put(f);
    w.Put((std::int32_t)p.direction);
    w.Put(p.scale);
    w.Put((std::int32_t)p.octaves);
    w.Put((std::int32_t)p.seed);
    w.Put(p.bump);
    w.Put((std::uint8_t)(p.linear ? 1 : 0));
    w.PutBytes(std::vector<std::uint8_t>(p.file.begin(), p.file.end()));
    w.PutBytes(p.image);
    if (w.bytes.size() > 0xffffffffu) return IO_ERROR;

    isave->BeginChunk(kParamsChunk);
    ULONG written = 0;
    IOResult r = isave->Write(w.bytes.data(), (ULONG)w.bytes.size(), &written);
    isave->EndChunk();
    return (r == IO_OK && written == (ULONG)w.bytes.size()) ? IO_OK : IO_ERROR;
}

IOResult PictureMap::Load(ILoad* iload)
{
    bool found = false;
    IOResult r;
    while ((r = iload->OpenChunk()) == IO_OK) {
        if (iload->CurChunkID() == kParamsChunk) {
            ULONGLONG length = iload->CurChunkLength();
            if (found || length > 0x7fffffffu) return IO_ERROR;
            std::vector<std::uint8_t> bytes((size_t)length);
            ULONG read = 0;
            if (length &&
                (iload->Read(bytes.data(), (ULONG)length, &read) != IO_OK || read != length))
                return IO_ERROR;

            PictureParams p;
            ByteReader in(bytes);
            std::uint32_t version = 0, kind = 0, stops = 0;
            std::int32_t direction = 0, octaves = 0, seed = 0;
            std::uint8_t linear = 0;
            std::vector<std::uint8_t> file;
            bool ok = in.Get(version) && version == kParamsVersion && in.Get(kind) &&
                kind == (std::uint32_t)kind_;
            for (float& f : p.color)
                ok = ok && in.Get(f);
            for (float& f : p.perturb)
                ok = ok && in.Get(f);
            for (float& f : p.color1)
                ok = ok && in.Get(f);
            for (float& f : p.color2)
                ok = ok && in.Get(f);
            ok = ok && in.Get(stops) && stops >= 2 && stops <= kMaxGradientStops;
            if (ok) {
                p.stops.assign(stops, {0.0f, 0.0f, 0.0f, 0.0f});
                for (auto& s : p.stops)
                    for (float& f : s)
                        ok = ok && in.Get(f);
            }
            ok = ok && in.Get(direction) && direction >= 0 && direction <= 2;
            ok = ok && in.Get(p.scale) && Finite(p.scale) && p.scale > 0.0f;
            ok = ok && in.Get(octaves) && octaves >= 1 && octaves <= 8;
            ok = ok && in.Get(seed) && in.Get(p.bump) && in.Get(linear) && linear <= 1;
            ok = ok && in.GetBytes(file) && in.GetBytes(p.image) && in.AtEnd();
            if (!ok) return IO_ERROR;
            p.direction = direction;
            p.octaves = octaves;
            p.seed = seed;
            p.linear = linear != 0;
            p.file.assign(file.begin(), file.end());
            try {
                SetParams(p);
            } catch (const InputError&) {
                return IO_ERROR;
            }
            found = true;
        }
        if (iload->CloseChunk() != IO_OK) return IO_ERROR;
    }
    return (r == IO_END && found) ? IO_OK : IO_ERROR;
}

// ---- class descriptors
// -----------------------------------------------------------------------------

namespace {

class PictureMapClassDescImpl : public ClassDesc {
public:
    explicit PictureMapClassDescImpl(PictureKind kind) : kind_(kind) { }
    int IsPublic() override { return TRUE; }
    void* Create(BOOL) override { return new PictureMap(kind_); }
    const MCHAR* ClassName() override { return kClassNames[(int)kind_]; }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return kClassIDs[(int)kind_]; }
    const MCHAR* Category() override { return L"Quiltra host"; }
    const MCHAR* InternalName() override { return kClassNames[(int)kind_]; }

private:
    PictureKind kind_;
};

} // namespace

ClassDesc* PictureMapClassDesc(PictureKind kind) { return PictureMapClassDescs()[(size_t)kind]; }

const std::vector<ClassDesc*>& PictureMapClassDescs()
{
    static PictureMapClassDescImpl constant(PictureKind::Constant), checker(PictureKind::Checker),
        gradient(PictureKind::Gradient), noise(PictureKind::Noise), bitmap(PictureKind::Bitmap);
    static const std::vector<ClassDesc*> all {&constant, &checker, &gradient, &noise, &bitmap};
    return all;
}

} // namespace quiltra
