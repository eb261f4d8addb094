// Parameter blocks: a class declares its parameters once (ParamBlockDesc2, with a variadic
// constructor of tags) and each instance holds their values in an IParamBlock2 that the class
// descriptor (ClassDesc2) builds for it.
#pragma once

#include <stdarg.h>

#include "maxtypes.h"
#include "strclass.h"
#include "interval.h"
#include "tab.h"
#include "ref.h"
#include "plugapi.h"
#include "custcont.h"
#include "acolor.h"
#include "color.h"
#include "point3.h"

class Texmap;
class Mtl;
class INode;
class PBBitmap;
class Matrix3;
class IParamMap2;
class ParamMap2UserDlgProc;
class ParamDimension;
class PBAccessor;
class PBValidator;
class ClassDesc2;
class IParamBlock2;
struct DescData;
struct ClassDesc2Data;

typedef INT_PTR StringResID;

// A point with four components (used for TYPE_POINT4 and TYPE_FRGBA values).
class Point4 {
public:
    float x, y, z, w;
    Point4() { }
    Point4(float X, float Y, float Z, float W) : x(X), y(Y), z(Z), w(W) { }
    Point4(const AColor& c) : x(c.r), y(c.g), z(c.b), w(c.a) { }
    operator AColor() const { return AColor(x, y, z, w); }
    int operator==(const Point4& p) const { return x == p.x && y == p.y && z == p.z && w == p.w; }
};

// Parameter types. Table types are the scalar type plus TYPE_TAB.
enum ParamType { TYPE_FLOAT, TYPE_INT, TYPE_RGBA, TYPE_POINT3, TYPE_BOOL, TYPE_USER };
enum ParamType2 {
    TYPE_ANGLE = TYPE_BOOL + 1,
    TYPE_PCNT_FRAC,
    TYPE_WORLD,
    TYPE_STRING,
    TYPE_FILENAME,
    TYPE_HSV,
    TYPE_COLOR_CHANNEL,
    TYPE_TIMEVALUE,
    TYPE_RADIOBTN_INDEX,
    TYPE_MTL,
    TYPE_TEXMAP,
    TYPE_BITMAP,
    TYPE_INODE,
    TYPE_REFTARG,
    TYPE_INDEX,
    TYPE_MATRIX3,
    TYPE_PBLOCK2,
    TYPE_POINT4,
    TYPE_FRGBA,

    TYPE_TAB = 0x0800,
    TYPE_FLOAT_TAB = TYPE_FLOAT + TYPE_TAB,
    TYPE_INT_TAB = TYPE_INT + TYPE_TAB,
    TYPE_RGBA_TAB = TYPE_RGBA + TYPE_TAB,
    TYPE_POINT3_TAB = TYPE_POINT3 + TYPE_TAB,
    TYPE_BOOL_TAB = TYPE_BOOL + TYPE_TAB,
    TYPE_ANGLE_TAB = TYPE_ANGLE + TYPE_TAB,
    TYPE_PCNT_FRAC_TAB = TYPE_PCNT_FRAC + TYPE_TAB,
    TYPE_WORLD_TAB = TYPE_WORLD + TYPE_TAB,
    TYPE_STRING_TAB = TYPE_STRING + TYPE_TAB,
    TYPE_FILENAME_TAB = TYPE_FILENAME + TYPE_TAB,
    TYPE_HSV_TAB = TYPE_HSV + TYPE_TAB,
    TYPE_COLOR_CHANNEL_TAB = TYPE_COLOR_CHANNEL + TYPE_TAB,
    TYPE_TIMEVALUE_TAB = TYPE_TIMEVALUE + TYPE_TAB,
    TYPE_RADIOBTN_INDEX_TAB = TYPE_RADIOBTN_INDEX + TYPE_TAB,
    TYPE_MTL_TAB = TYPE_MTL + TYPE_TAB,
    TYPE_TEXMAP_TAB = TYPE_TEXMAP + TYPE_TAB,
    TYPE_BITMAP_TAB = TYPE_BITMAP + TYPE_TAB,
    TYPE_INODE_TAB = TYPE_INODE + TYPE_TAB,
    TYPE_REFTARG_TAB = TYPE_REFTARG + TYPE_TAB,
    TYPE_INDEX_TAB = TYPE_INDEX + TYPE_TAB,
    TYPE_MATRIX3_TAB = TYPE_MATRIX3 + TYPE_TAB,
    TYPE_PBLOCK2_TAB = TYPE_PBLOCK2 + TYPE_TAB,
    TYPE_POINT4_TAB = TYPE_POINT4 + TYPE_TAB,
    TYPE_FRGBA_TAB = TYPE_FRGBA + TYPE_TAB
};
#define base_type(t) ((ParamType2)((t) & ~TYPE_TAB))
#define is_tab(t) (((t)&TYPE_TAB) != 0)

// Controls a parameter can declare for its automatic user interface (p_ui).
enum ControlType2 {
    TYPE_SPINNER,
    TYPE_RADIO,
    TYPE_SINGLECHEKBOX,
    TYPE_MULTICHEKBOX,
    TYPE_COLORSWATCH,
    TYPE_EDITBOX,
    TYPE_CHECKBUTTON,
    TYPE_PICKNODEBUTTON,
    TYPE_TEXMAPBUTTON,
    TYPE_MTLBUTTON,
    TYPE_BITMAPBUTTON,
    TYPE_FILEOPENBUTTON,
    TYPE_FILESAVEBUTTON,
    TYPE_INTLISTBOX,
    TYPE_INT_COMBOBOX,
    TYPE_SLIDER,
    TYPE_COLORSWATCH_FRGBA
};

// Tags of the declaration; each is followed by its arguments, p_end closes a parameter and
// the whole declaration.
enum ParamTags {
    p_end = -1,
    p_default = -2,
    p_ms_default = -3,
    p_range = -4,
    p_ui = -5,
    p_validator = -6,
    p_accessor = -7,
    p_dim = -8,
    p_classID = -9,
    p_sclassID = -10,
    p_enabled = -11,
    p_enable_ctrls = -12,
    p_prompt = -13,
    p_caption = -14,
    p_init_file = -15,
    p_file_types = -16,
    p_refno = -17,
    p_subtexno = -18,
    p_submtlno = -19,
    p_tooltip = -20,
    p_assetTypeID = -21,
    p_nonLocalizedName = -22
};

// Block flags (the declaration's flags argument).
#define P_CLASS_PARAMS 0x0001
#define P_AUTO_CONSTRUCT 0x0002
#define P_AUTO_UI 0x0004
#define P_USE_PARAMS 0x0008
#define P_INCLUDE_PARAMS 0x0010
#define P_MULTIMAP 0x0020
#define P_CALLSETS_ON_LOAD 0x0040
#define P_HASCATEGORY 0x0080
#define P_TEMPLATE_UI 0x0100
#define P_VERSION 0x0200

// Parameter flags.
#define P_ANIMATABLE 0x00000001
#define P_TRANSIENT 0x00000002
#define P_NO_INIT 0x00000004
#define P_COMPUTED_NAME 0x00000008
#define P_INVISIBLE 0x00000010
#define P_RESET_DEFAULT 0x00000020
#define P_SUBANIM 0x00000040
#define P_TV_SHOW_ALL 0x00000080
#define P_NO_REF 0x00000100
#define P_OWNERS_REF 0x00000200
#define P_CAN_CONVERT 0x00000400
#define P_SUBTEX 0x00000800
#define P_VARIABLE_SIZE 0x00001000
#define P_NO_AUTO_LABELS 0x00002000
#define P_SHORT_LABELS 0x00004000
#define P_READ_ONLY 0x00008000
// Set by the declaration parser.
#define P_HAS_DEFAULT 0x00010000
#define P_HAS_MS_DEFAULT 0x00040000
#define P_HAS_RANGE 0x00080000
#define P_HAS_CLASS_ID 0x00100000
#define P_HAS_SUPER_ID 0x00200000
#define P_HAS_PROMPT 0x00400000
#define P_HAS_CAPTION 0x00800000

// One value of any parameter type, as the declaration holds defaults and ranges. Point3 and
// Point4 values point to storage owned by the descriptor.
union PB2Value {
    int i;
    float f;
    Point3* p;
    Point4* p4;
    TimeValue t;
    const MCHAR* s;
    ReferenceTarget* r;
};

// The most control ids a parameter's p_ui can give.
#define MAX_PARAM_CTRL_IDS 32

// The declaration of one parameter.
class ParamDef {
public:
    ParamID ID;
    const MCHAR* int_name; // internal (scripting) name
    ParamType2 type;
    int tab_size; // declared entries of a table parameter (0 for scalars)
    StringResID local_name; // display name's string id, 0 when none
    DWORD flags;
    PB2Value def; // default, when flags has P_HAS_DEFAULT
    PB2Value range_low; // range, when flags has P_HAS_RANGE
    PB2Value range_high;
    ControlType2 ctrl_type; // p_ui control, when ctrl_count > 0
    EditSpinnerType spin_type;
    int ctrl_IDs[MAX_PARAM_CTRL_IDS];
    int ctrl_count;
    float scale; // spinner scale
    int refno; // p_refno: owner's reference number of entry 0 (-1 none)
    int subtexno;
    StringResID tooltip;
    StringResID prompt;
    StringResID caption;
    Class_ID class_ID;
    SClass_ID sclassID;
    ParamDimension* dim;
    PBAccessor* accessor;
    PBValidator* validator;
    BOOL enabled;
};

// The declaration of a parameter block, usually one static object per block of a class:
//
//   static ParamBlockDesc2 desc(block_id, _T("name"), display_name_id, &classDesc,
//       P_AUTO_CONSTRUCT + P_AUTO_UI, refno,              // P_AUTO_CONSTRUCT: owner's refno
//       dialog_id, title_id, test_flags, rollup_flags, dlgProc,   // P_AUTO_UI
//       param_id, _T("name"), TYPE_FLOAT, flags, display_name_id,
//           p_default, 1.0f, p_range, 0.0f, 100.0f,
//           p_ui, TYPE_SPINNER, EDITTYPE_FLOAT, edit_id, spin_id, 0.1f,
//       p_end,
//       tab_id, _T("list"), TYPE_INT_TAB, 2, P_VARIABLE_SIZE, display_name_id,
//       p_end,
//       p_end);
//
// Floats pass through the variadic list as double, everything else as int or a pointer;
// Color, Point3, AColor and Class_ID defaults pass by value. A declaration the parser cannot
// read (an unknown tag or type, a duplicate id) is kept up to the fault and reported: the text
// is in DeclarationError() and the class is refused by the host.
class PB2Export ParamBlockDesc2 {
public:
    BlockID ID;
    const MCHAR* int_name;
    StringResID local_name;
    ClassDesc2* cd;
    USHORT flags;
    int version;
    int ref_no; // P_AUTO_CONSTRUCT: the owner's reference number of the block
    int dlg_template; // P_AUTO_UI: dialog template id
    StringResID title; // P_AUTO_UI: rollout title string id
    int test_flags;
    int rollup_flags;
    ParamMap2UserDlgProc* dlgProc;
    ParamDef* paramdefs;
    USHORT count;

    ParamBlockDesc2(BlockID ID, const MCHAR* int_name, StringResID local_name, ClassDesc2* cd,
                    USHORT flags, ...);
    ~ParamBlockDesc2();

    int Count() { return count; }
    // Index of parameter id in paramdefs, or -1.
    int IDtoIndex(ParamID id);
    ParamID IndextoID(int i);
    int NameToIndex(const MCHAR* name);
    // The parameter's declaration; an unknown id gives an empty declaration of type
    // TYPE_USER and ID -1.
    ParamDef& GetParamDef(ParamID id);
    // NULL, or what made the declaration unreadable.
    const MCHAR* DeclarationError();

private:
    DescData* data;
    ParamBlockDesc2(const ParamBlockDesc2&);
    ParamBlockDesc2& operator=(const ParamBlockDesc2&);
};

// The values of one parameter block.
class IParamBlock2 : public ReferenceTarget {
public:
    virtual BlockID ID() = 0;
    virtual MSTR GetLocalName() = 0;
    virtual ParamBlockDesc2* GetDesc() = 0;
    virtual int NumParams() = 0;
    virtual ParamID IndextoID(int i) = 0;
    virtual int IDtoIndex(ParamID id) = 0;
    virtual ParamType2 GetParameterType(ParamID id) = 0;
    virtual MSTR GetLocalName(ParamID id, int tabIndex = -1) = 0;
    virtual ReferenceMaker* GetOwner() = 0;
    virtual void SetOwner(ReferenceMaker* owner) = 0;

    // Values at time t (values are not animated here: t is accepted and ignored). tabIndex
    // picks the entry of a table. Returns FALSE, changing nothing, for an unknown id, a type
    // that does not match or an index outside the table.
    virtual BOOL SetValue(ParamID id, TimeValue t, float v, int tabIndex = 0) = 0;
    virtual BOOL SetValue(ParamID id, TimeValue t, int v, int tabIndex = 0) = 0;
    virtual BOOL SetValue(ParamID id, TimeValue t, const Point3& v, int tabIndex = 0) = 0;
    virtual BOOL SetValue(ParamID id, TimeValue t, const Point4& v, int tabIndex = 0) = 0;
    virtual BOOL SetValue(ParamID id, TimeValue t, const Color& v, int tabIndex = 0) = 0;
    virtual BOOL SetValue(ParamID id, TimeValue t, const AColor& v, int tabIndex = 0) = 0;
    virtual BOOL SetValue(ParamID id, TimeValue t, const MCHAR* v, int tabIndex = 0) = 0;
    virtual BOOL SetValue(ParamID id, TimeValue t, Texmap* v, int tabIndex = 0) = 0;
    virtual BOOL SetValue(ParamID id, TimeValue t, Mtl* v, int tabIndex = 0) = 0;
    virtual BOOL SetValue(ParamID id, TimeValue t, ReferenceTarget* v, int tabIndex = 0) = 0;

    virtual BOOL GetValue(ParamID id, TimeValue t, float& v, Interval& ivalid,
                          int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, int& v, Interval& ivalid, int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, Point3& v, Interval& ivalid,
                          int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, Point4& v, Interval& ivalid,
                          int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, Color& v, Interval& ivalid,
                          int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, AColor& v, Interval& ivalid,
                          int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, const MCHAR*& v, Interval& ivalid,
                          int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, Texmap*& v, Interval& ivalid,
                          int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, Mtl*& v, Interval& ivalid, int tabIndex = 0) = 0;
    virtual BOOL GetValue(ParamID id, TimeValue t, ReferenceTarget*& v, Interval& ivalid,
                          int tabIndex = 0) = 0;

    // Shorthands of GetValue; a missing value reads as zero, NULL or an empty string.
    virtual float GetFloat(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;
    virtual int GetInt(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;
    virtual Point3 GetPoint3(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;
    virtual Point4 GetPoint4(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;
    virtual Color GetColor(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;
    virtual AColor GetAColor(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;
    virtual const MCHAR* GetStr(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;
    virtual Texmap* GetTexmap(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;
    virtual Mtl* GetMtl(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;
    virtual ReferenceTarget* GetReferenceTarget(ParamID id, TimeValue t = 0, int tabIndex = 0) = 0;

    // Tables. Count of a scalar parameter or an unknown id is 0; SetCount on them does nothing.
    // New entries take the declared default (or zero, NULL, an empty string).
    virtual int Count(ParamID id) = 0;
    virtual void ZeroCount(ParamID id) = 0;
    virtual void SetCount(ParamID id, int n) = 0;
    virtual int Delete(ParamID id, int start, int num) = 0;
    virtual int Resize(ParamID id, int num) = 0;
    virtual void Shrink(ParamID id) = 0;

    // The parameter whose change was last notified to the dependents (-1 before any).
    virtual ParamID LastNotifyParamID() = 0;
    virtual ParamID LastNotifyParamID(int& tabIndex) = 0;

    // Every parameter back to its declared default (tables to their declared sizes).
    virtual void ResetAll(BOOL updateUI = TRUE, BOOL callSetHandlers = TRUE) = 0;
    virtual void Reset(ParamID id, int tabIndex = -1, BOOL updateUI = TRUE,
                       BOOL callSetHandlers = TRUE) = 0;

    virtual IParamMap2* GetMap(MapID map_id = 0) = 0;
    virtual void SetMap(IParamMap2* m, MapID map_id = 0) = 0;
};

// A new block for the declaration, owned by iowner (which makes it a reference).
PB2Export IParamBlock2* CreateParameterBlock2(ParamBlockDesc2* pdesc, ReferenceMaker* iowner);

// Class descriptor with parameter block bookkeeping.
class PB2Export ClassDesc2 : public ClassDesc {
    Tab<ParamBlockDesc2*> pbDescs;
    ClassDesc2Data* data;
    ClassDesc2(const ClassDesc2&);
    ClassDesc2& operator=(const ClassDesc2&);

public:
    ClassDesc2();
    ~ClassDesc2() override;

    int NumParamBlockDescs() override { return pbDescs.Count(); }
    ParamBlockDesc2* GetParamBlockDesc(int i) override;
    ParamBlockDesc2* GetParamBlockDescByID(BlockID id) override;
    void AddParamBlockDesc(ParamBlockDesc2* pbd) override;
    void ClearParamBlockDescs() { pbDescs.ZeroCount(); }
    // For each declared block with P_AUTO_CONSTRUCT: a new block with its defaults becomes
    // the owner's reference ref_no (ReplaceReference).
    void MakeAutoParamBlocks(ReferenceMaker* owner) override;
    // String id of the class's library (HInstance), loaded once and kept; NULL when the
    // library or the string is missing.
    const MCHAR* GetRsrcString(INT_PTR id) override;
};
