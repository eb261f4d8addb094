// The host's own picture textures: constant, checker, gradient, noise and bitmap. They are
// ordinary Texmaps with class descriptors of their own, so a scene built from them saves and
// loads like any other, and a layered texture evaluates them through the same interface as
// any sub-map.
//
// Each map reads the sample's texture coordinates (mapping channel 1) and answers a colour;
// its bump perturbation is derived from its value: the slope of the mono value across u and v
// by central differences one 1024th apart, times the map's bump strength, pointing down the
// slope: (bump · (m(u − h) − m(u + h)) / 2h, bump · (m(v − h) − m(v + h)) / 2h, 0). The constant
// map is the exception: it answers the perturbation it was given. Evaluation reads only the
// map's own constant data: thread-safe and allocation-free.
#pragma once

#include "fbm_noise.h"
#include "image_io.h"
#include "picture_params.h"

#include <imtl.h>
#include <plugapi.h>

#include <memory>
#include <vector>

namespace quiltra {

// The mapping channel the picture maps read.
const int kPictureMapChannel = 1;

class PictureMap : public Texmap {
public:
    explicit PictureMap(PictureKind kind);

    PictureKind Kind() const { return kind_; }
    const PictureParams& Params() const { return params_; }
    // Sets the parameters; for a bitmap decodes the image. Throws InputError(file: why) when the
    // image cannot be decoded, and then keeps its previous parameters.
    void SetParams(const PictureParams& params);

    // The colour at (u, v), as EvalColor answers it for a sample there.
    AColor ColorAt(float u, float v) const;

    AColor EvalColor(ShadeContext& sc) override;
    Point3 EvalNormalPerturb(ShadeContext& sc) override;

    Class_ID ClassID() override;
    void GetClassName(MSTR& s) override;
    void DeleteThis() override { delete this; }
    int NumRefs() override { return 0; }
    RefTargetHandle Clone(RemapDir& remap) override;
    IOResult Save(ISave* isave) override;
    IOResult Load(ILoad* iload) override;
#if MAX_RELEASE >= 17000
    RefResult NotifyRefChanged(const Interval&, RefTargetHandle, PartID&, RefMessage, BOOL) override
    {
        return REF_SUCCEED;
    }
#else
    RefResult NotifyRefChanged(Interval, RefTargetHandle, PartID&, RefMessage) override
    {
        return REF_SUCCEED;
    }
#endif
    void Update(TimeValue, Interval&) override { }
    void Reset() override;
    Interval Validity(TimeValue) override { return FOREVER; }
    ParamDlg* CreateParamDlg(HWND, IMtlParams*) override { return nullptr; }

private:
    float MonoAt(float u, float v) const;
    AColor BitmapAt(float u, float v) const;

    PictureKind kind_;
    PictureParams params_;
    std::shared_ptr<const Picture> pixels_; // bitmap: decoded, shared with maps of the same file
    std::shared_ptr<const NoiseField> noise_; // noise: its plane's tables
};

// The class descriptors of the five picture maps, in PictureKind order.
ClassDesc* PictureMapClassDesc(PictureKind kind);
const std::vector<ClassDesc*>& PictureMapClassDescs();

} // namespace quiltra
