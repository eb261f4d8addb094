#include "block_owner.h"

namespace {

class BlockOwnerClassDesc : public ClassDesc2 {
public:
    int IsPublic() override { return TRUE; }
    void* Create(BOOL) override { return new BlockOwner; }
    const MCHAR* ClassName() override { return L"Block Owner"; }
    SClass_ID SuperClassID() override { return TEXMAP_CLASS_ID; }
    Class_ID ClassID() override { return BLOCK_OWNER_CLASS_ID; }
    const MCHAR* Category() override { return L"Test"; }
};

BlockOwnerClassDesc ownerDesc;

// Declared exactly as a plug-in writes it: floats as float literals, colours by value.
ParamBlockDesc2 ownerBlock(
    owner_params, _T("parameters"), 0, &ownerDesc, P_AUTO_CONSTRUCT + P_AUTO_UI, 0, 197, 4, 0, 0,
    NULL, pb_maps, _T("maps"), TYPE_TEXMAP_TAB, 2, P_VARIABLE_SIZE + P_OWNERS_REF, 5, p_refno, 1,
    p_end, pb_flags, _T("flags"), TYPE_BOOL_TAB, 2, P_VARIABLE_SIZE, 6, p_default, TRUE, p_end,
    pb_amounts, _T("amounts"), TYPE_FLOAT_TAB, 2, P_VARIABLE_SIZE, 12, p_default, 100.0f, p_range,
    0.0f, 100.0f, p_end, pb_colors, _T("colors"), TYPE_RGBA_TAB, 2, P_VARIABLE_SIZE, 13, p_default,
    Color(0.5f, 0.25f, 0.125f), p_end, pb_modes, _T("modes"), TYPE_INT_TAB, 2, P_VARIABLE_SIZE, 14,
    p_default, 3, p_end, pb_labels, _T("labels"), TYPE_STRING_TAB, 2, P_VARIABLE_SIZE, 0, p_end,
    pb_gain, _T("gain"), TYPE_FLOAT, P_ANIMATABLE, 0, p_default, 0.0f, p_range, -10000000.0f,
    10000000.0f, p_ui, TYPE_SPINNER, EDITTYPE_FLOAT, 1013, 1020, 0.1f, p_end, pb_enabled,
    _T("enabled"), TYPE_BOOL, P_ANIMATABLE, 0, p_default, FALSE, p_ui, TYPE_SINGLECHEKBOX, 1031,
    p_end, pb_limit, _T("limit"), TYPE_FLOAT, P_ANIMATABLE, 0, p_default, 1.0f, p_range, 0.001f,
    10000000.0f, p_ui, TYPE_SPINNER, EDITTYPE_FLOAT, 1017, 1024, 0.1f, p_end, p_end);

} // namespace

ClassDesc2* BlockOwnerDesc() { return &ownerDesc; }

BlockOwner::BlockOwner(bool makeBlock)
{
    if (makeBlock) ownerDesc.MakeAutoParamBlocks(this);
}
