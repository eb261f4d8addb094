// ParamBlockDesc2: reading a block declaration from its variadic tag list; ClassDesc2.
#include "iparamb2.h"

#include <stdio.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "param_block.h"
#include "text_convert.h"

struct DescData {
    std::vector<ParamDef> defs;
    std::deque<Point3> points; // storage of Point3 defaults and ranges
    std::deque<Point4> points4;
    std::deque<std::wstring> strings; // storage of string defaults
    std::wstring error;
    ParamDef missing; // what GetParamDef answers for an unknown id
};

using namespace host_pb;

ValueKind host_pb::KindOf(int type)
{
    switch ((int)type & ~(int)TYPE_TAB) {
    case TYPE_FLOAT:
    case TYPE_ANGLE:
    case TYPE_PCNT_FRAC:
    case TYPE_WORLD:
    case TYPE_COLOR_CHANNEL:
        return kFloat;
    case TYPE_INT:
    case TYPE_BOOL:
    case TYPE_TIMEVALUE:
    case TYPE_RADIOBTN_INDEX:
    case TYPE_INDEX:
        return kInt;
    case TYPE_RGBA:
    case TYPE_HSV:
        return kColor;
    case TYPE_POINT3:
        return kPoint3;
    case TYPE_POINT4:
    case TYPE_FRGBA:
        return kPoint4;
    case TYPE_STRING:
    case TYPE_FILENAME:
        return kString;
    case TYPE_MTL:
    case TYPE_TEXMAP:
    case TYPE_REFTARG:
    case TYPE_INODE:
    case TYPE_PBLOCK2:
    case TYPE_BITMAP:
        return kPointer;
    default:
        return kUnsupported;
    }
}

namespace {

bool KnownType(int type)
{
    if (type & ~(TYPE_TAB | 0xff)) return false;
    return (type & 0xff) <= TYPE_FRGBA && KindOf(type) != kUnsupported;
}

ParamDef EmptyDef()
{
    ParamDef d;
    d.ID = -1;
    d.int_name = L"";
    d.type = (ParamType2)TYPE_USER;
    d.tab_size = 0;
    d.local_name = 0;
    d.flags = 0;
    d.def.p4 = NULL;
    d.range_low.p4 = NULL;
    d.range_high.p4 = NULL;
    d.ctrl_type = TYPE_SPINNER;
    d.spin_type = EDITTYPE_FLOAT;
    for (int i = 0; i < MAX_PARAM_CTRL_IDS; ++i)
        d.ctrl_IDs[i] = 0;
    d.ctrl_count = 0;
    d.scale = 0.0f;
    d.refno = -1;
    d.subtexno = -1;
    d.tooltip = 0;
    d.prompt = 0;
    d.caption = 0;
    d.class_ID = Class_ID(0, 0);
    d.sclassID = 0;
    d.dim = NULL;
    d.accessor = NULL;
    d.validator = NULL;
    d.enabled = TRUE;
    return d;
}

// Reads one declaration, keeping what it read up to a fault.
class DeclarationReader {
public:
    DeclarationReader(ParamBlockDesc2& desc, DescData& data, va_list& ap)
        : desc(desc), data(data), ap(ap)
    { }

    void Read()
    {
        if (!ReadBlockHeader()) return;
        for (int n = 0;; ++n) {
            int id = va_arg(ap, int);
            if (id == p_end) return;
            if (n >= 4096) return Fail(L"more than 4096 parameters (a missing p_end?)");
            if (id < 0 || id > 0x7fff)
                return Fail(host_text::Format(L"parameter id %d is not a valid id (a missing "
                                              L"p_end or a tag argument too many?)",
                                              id));
            if (desc.IDtoIndex((ParamID)id) >= 0)
                return Fail(host_text::Format(L"parameter id %d declared twice", id));
            ParamDef def = EmptyDef();
            def.ID = (ParamID)id;
            if (!ReadParam(def)) return;
            data.defs.push_back(def);
            desc.paramdefs = data.defs.data();
            desc.count = (USHORT)data.defs.size();
        }
    }

private:
    bool ReadBlockHeader()
    {
        if (desc.flags & (P_USE_PARAMS | P_INCLUDE_PARAMS | P_HASCATEGORY | P_TEMPLATE_UI))
            return Fail(host_text::Format(L"block flags 0x%x are not supported by this host",
                                          (unsigned)desc.flags)),
                   false;
        if (desc.flags & P_VERSION) desc.version = va_arg(ap, int);
        if (desc.flags & P_AUTO_CONSTRUCT) desc.ref_no = va_arg(ap, int);
        if (desc.flags & P_AUTO_UI) {
            int maps = 1;
            if (desc.flags & P_MULTIMAP) maps = va_arg(ap, int);
            if (maps < 1 || maps > 64)
                return Fail(host_text::Format(L"P_MULTIMAP with %d maps", maps)), false;
            for (int m = 0; m < maps; ++m) {
                if (desc.flags & P_MULTIMAP) (void)va_arg(ap, int); // map id
                int dlg = va_arg(ap, int);
                StringResID title = va_arg(ap, int);
                int test = va_arg(ap, int);
                int rollup = va_arg(ap, int);
                ParamMap2UserDlgProc* proc = va_arg(ap, ParamMap2UserDlgProc*);
                if (m == 0) {
                    desc.dlg_template = dlg;
                    desc.title = title;
                    desc.test_flags = test;
                    desc.rollup_flags = rollup;
                    desc.dlgProc = proc;
                }
            }
        }
        return true;
    }

    bool ReadParam(ParamDef& def)
    {
        def.int_name = va_arg(ap, const MCHAR*);
        if (!def.int_name)
            return Fail(host_text::Format(L"parameter %d has no name", def.ID)), false;
        int type = va_arg(ap, int);
        if (!KnownType(type))
            return Fail(host_text::Format(L"parameter %d (%s): type %d is not supported", def.ID,
                                          def.int_name, type)),
                   false;
        def.type = (ParamType2)type;
        if (is_tab(type)) {
            def.tab_size = va_arg(ap, int);
            if (def.tab_size < 0 || def.tab_size > (1 << 20))
                return Fail(host_text::Format(L"parameter %d (%s): table size %d", def.ID,
                                              def.int_name, def.tab_size)),
                       false;
        }
        def.flags = (DWORD)va_arg(ap, int) & 0xffff;
        def.local_name = va_arg(ap, int);
        if (KindOf(type) == kPointer && !(def.flags & (P_OWNERS_REF | P_NO_REF)))
            return Fail(host_text::Format(L"parameter %d (%s): reference parameters need "
                                          L"P_OWNERS_REF or P_NO_REF in this host",
                                          def.ID, def.int_name)),
                   false;
        for (int n = 0;; ++n) {
            int tag = va_arg(ap, int);
            if (tag == p_end) break;
            if (n >= 256) return Fail(L"more than 256 tags in one parameter"), false;
            if (!ReadTag(def, tag)) return false;
        }
        if ((def.flags & P_OWNERS_REF) && def.refno < 0)
            return Fail(host_text::Format(L"parameter %d (%s): P_OWNERS_REF without p_refno",
                                          def.ID, def.int_name)),
                   false;
        return true;
    }

    // One value of the parameter's base type as the variadic list passes it.
    bool ReadValue(const ParamDef& def, PB2Value& v, const wchar_t* what)
    {
        switch (KindOf(def.type)) {
        case kFloat:
            v.f = (float)va_arg(ap, double);
            return true;
        case kInt:
            v.i = va_arg(ap, int);
            return true;
        case kColor: {
            Color c = va_arg(ap, Color);
            data.points.push_back(Point3(c.r, c.g, c.b));
            v.p = &data.points.back();
            return true;
        }
        case kPoint3:
            data.points.push_back(va_arg(ap, Point3));
            v.p = &data.points.back();
            return true;
        case kPoint4:
            data.points4.push_back(va_arg(ap, Point4));
            v.p4 = &data.points4.back();
            return true;
        case kString: {
            const MCHAR* s = va_arg(ap, const MCHAR*);
            data.strings.push_back(s ? s : L"");
            v.s = s ? data.strings.back().c_str() : NULL;
            return true;
        }
        case kPointer:
            v.r = va_arg(ap, ReferenceTarget*);
            return true;
        default:
            return Fail(host_text::Format(L"parameter %d (%s): %s of this type is not supported",
                                          def.ID, def.int_name, what)),
                   false;
        }
    }

    bool AddControlID(ParamDef& def, int id)
    {
        if (def.ctrl_count >= MAX_PARAM_CTRL_IDS)
            return Fail(host_text::Format(L"parameter %d (%s): more than %d control ids", def.ID,
                                          def.int_name, MAX_PARAM_CTRL_IDS)),
                   false;
        def.ctrl_IDs[def.ctrl_count++] = id;
        return true;
    }

    bool ReadUI(ParamDef& def)
    {
        if (desc.flags & P_MULTIMAP) (void)va_arg(ap, int); // map id
        int ctrl = va_arg(ap, int);
        def.ctrl_type = (ControlType2)ctrl;
        // Tables with a fixed size give one set of controls per entry.
        int sets = is_tab(def.type) && def.tab_size > 0 ? def.tab_size : 1;
        switch (ctrl) {
        case TYPE_SPINNER:
        case TYPE_SLIDER:
            def.spin_type = (EditSpinnerType)va_arg(ap, int);
            for (int s = 0; s < sets; ++s)
                for (int k = 0; k < 2; ++k)
                    if (!AddControlID(def, va_arg(ap, int))) return false;
            if (ctrl == TYPE_SPINNER)
                def.scale = (float)va_arg(ap, double);
            else
                def.scale = (float)va_arg(ap, int); // slider ticks
            return true;
        case TYPE_RADIO: {
            int n = va_arg(ap, int);
            if (n < 0 || n > MAX_PARAM_CTRL_IDS)
                return Fail(host_text::Format(L"parameter %d: %d radio buttons", def.ID, n)), false;
            for (int k = 0; k < n; ++k)
                if (!AddControlID(def, va_arg(ap, int))) return false;
            return true;
        }
        case TYPE_SINGLECHEKBOX:
        case TYPE_COLORSWATCH:
        case TYPE_COLORSWATCH_FRGBA:
        case TYPE_EDITBOX:
        case TYPE_CHECKBUTTON:
        case TYPE_PICKNODEBUTTON:
        case TYPE_TEXMAPBUTTON:
        case TYPE_MTLBUTTON:
        case TYPE_BITMAPBUTTON:
        case TYPE_FILEOPENBUTTON:
        case TYPE_FILESAVEBUTTON:
            for (int s = 0; s < sets; ++s)
                if (!AddControlID(def, va_arg(ap, int))) return false;
            return true;
        case TYPE_INTLISTBOX:
        case TYPE_INT_COMBOBOX: {
            if (!AddControlID(def, va_arg(ap, int))) return false;
            int n = va_arg(ap, int);
            if (n < 0 || n > MAX_PARAM_CTRL_IDS - 1)
                return Fail(host_text::Format(L"parameter %d: %d list items", def.ID, n)), false;
            for (int k = 0; k < n; ++k)
                (void)va_arg(ap, int); // item string ids
            return true;
        }
        default:
            return Fail(host_text::Format(L"parameter %d (%s): control type %d is not supported",
                                          def.ID, def.int_name, ctrl)),
                   false;
        }
    }

    bool ReadTag(ParamDef& def, int tag)
    {
        switch (tag) {
        case p_default:
            if (!ReadValue(def, def.def, L"a default")) return false;
            def.flags |= P_HAS_DEFAULT;
            return true;
        case p_ms_default: {
            PB2Value ignored;
            if (!ReadValue(def, ignored, L"a script default")) return false;
            def.flags |= P_HAS_MS_DEFAULT;
            return true;
        }
        case p_range:
            if (KindOf(def.type) != kFloat && KindOf(def.type) != kInt)
                return Fail(host_text::Format(L"parameter %d (%s): p_range needs a number type",
                                              def.ID, def.int_name)),
                       false;
            if (!ReadValue(def, def.range_low, L"a range")) return false;
            if (!ReadValue(def, def.range_high, L"a range")) return false;
            def.flags |= P_HAS_RANGE;
            return true;
        case p_ui:
            return ReadUI(def);
        case p_refno:
            def.refno = va_arg(ap, int);
            return true;
        case p_subtexno:
            def.subtexno = va_arg(ap, int);
            return true;
        case p_submtlno:
            (void)va_arg(ap, int);
            return true;
        case p_dim:
            def.dim = va_arg(ap, ParamDimension*);
            return true;
        case p_accessor:
            def.accessor = va_arg(ap, PBAccessor*);
            return true;
        case p_validator:
            def.validator = va_arg(ap, PBValidator*);
            return true;
        case p_classID:
            def.class_ID = va_arg(ap, Class_ID);
            def.flags |= P_HAS_CLASS_ID;
            return true;
        case p_sclassID:
            def.sclassID = (SClass_ID)va_arg(ap, int);
            def.flags |= P_HAS_SUPER_ID;
            return true;
        case p_enabled:
            def.enabled = va_arg(ap, int);
            return true;
        case p_tooltip:
            def.tooltip = va_arg(ap, int);
            return true;
        case p_prompt:
            def.prompt = va_arg(ap, int);
            def.flags |= P_HAS_PROMPT;
            return true;
        case p_caption:
            def.caption = va_arg(ap, int);
            def.flags |= P_HAS_CAPTION;
            return true;
        case p_enable_ctrls: {
            int n = va_arg(ap, int);
            if (n < 0 || n > 256) return Fail(L"p_enable_ctrls count out of range"), false;
            for (int k = 0; k < n; ++k)
                (void)va_arg(ap, int);
            return true;
        }
        case p_init_file:
        case p_nonLocalizedName:
            (void)va_arg(ap, const MCHAR*);
            return true;
        case p_file_types:
        case p_assetTypeID:
            (void)va_arg(ap, int);
            return true;
        default:
            return Fail(host_text::Format(L"parameter %d (%s): unknown tag %d", def.ID,
                                          def.int_name, tag)),
                   false;
        }
    }

    void Fail(const std::wstring& what)
    {
        if (data.error.empty()) {
            data.error = host_text::Format(L"parameter block %d (%s): ", desc.ID,
                                           desc.int_name ? desc.int_name : L"") +
                what;
            std::string text = "host: " + host_text::ToUTF8(data.error) + "\n";
            fputs(text.c_str(), stderr);
            OutputDebugStringA(text.c_str());
        }
    }

    ParamBlockDesc2& desc;
    DescData& data;
    va_list& ap;
};

} // namespace

ParamBlockDesc2::ParamBlockDesc2(BlockID iID, const MCHAR* iint_name, StringResID ilocal_name,
                                 ClassDesc2* icd, USHORT iflags, ...)
    : ID(iID), int_name(iint_name), local_name(ilocal_name), cd(icd), flags(iflags), version(0),
      ref_no(-1), dlg_template(0), title(0), test_flags(0), rollup_flags(0), dlgProc(NULL),
      paramdefs(NULL), count(0), data(new DescData)
{
    data->missing = EmptyDef();
    data->defs.reserve(64);
    va_list ap;
    va_start(ap, iflags);
    DeclarationReader(*this, *data, ap).Read();
    va_end(ap);
    paramdefs = data->defs.empty() ? NULL : data->defs.data();
    count = (USHORT)data->defs.size();
    if (cd) cd->AddParamBlockDesc(this);
}

ParamBlockDesc2::~ParamBlockDesc2() { delete data; }

int ParamBlockDesc2::IDtoIndex(ParamID id)
{
    for (size_t i = 0; i < data->defs.size(); ++i)
        if (data->defs[i].ID == id) return (int)i;
    return -1;
}

ParamID ParamBlockDesc2::IndextoID(int i)
{
    if (i < 0 || i >= (int)data->defs.size()) return -1;
    return data->defs[(size_t)i].ID;
}

int ParamBlockDesc2::NameToIndex(const MCHAR* name)
{
    if (!name) return -1;
    for (size_t i = 0; i < data->defs.size(); ++i)
        if (_wcsicmp(data->defs[i].int_name, name) == 0) return (int)i;
    return -1;
}

ParamDef& ParamBlockDesc2::GetParamDef(ParamID id)
{
    int i = IDtoIndex(id);
    if (i < 0) {
        data->missing = EmptyDef();
        return data->missing;
    }
    return data->defs[(size_t)i];
}

const MCHAR* ParamBlockDesc2::DeclarationError()
{
    return data->error.empty() ? NULL : data->error.c_str();
}

// ClassDesc2

struct ClassDesc2Data {
    std::map<INT_PTR, std::wstring> strings;
};

ClassDesc2::ClassDesc2() : data(new ClassDesc2Data) { }

ClassDesc2::~ClassDesc2() { delete data; }

ParamBlockDesc2* ClassDesc2::GetParamBlockDesc(int i)
{
    if (i < 0 || i >= pbDescs.Count()) return NULL;
    return pbDescs[i];
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDescByID(BlockID id)
{
    for (int i = 0; i < pbDescs.Count(); ++i)
        if (pbDescs[i]->ID == id) return pbDescs[i];
    return NULL;
}

void ClassDesc2::AddParamBlockDesc(ParamBlockDesc2* pbd)
{
    if (!pbd) return;
    for (int i = 0; i < pbDescs.Count(); ++i)
        if (pbDescs[i] == pbd) return;
    pbDescs.Append(1, &pbd);
}

void ClassDesc2::MakeAutoParamBlocks(ReferenceMaker* owner)
{
    if (!owner) return;
    for (int i = 0; i < pbDescs.Count(); ++i) {
        ParamBlockDesc2* pbd = pbDescs[i];
        if (!(pbd->flags & P_AUTO_CONSTRUCT) || pbd->ref_no < 0) continue;
        IParamBlock2* pb = CreateParameterBlock2(pbd, owner);
        if (pb && owner->ReplaceReference(pbd->ref_no, pb) != REF_SUCCEED) pb->DeleteThis();
    }
}

const MCHAR* ClassDesc2::GetRsrcString(INT_PTR id)
{
    auto it = data->strings.find(id);
    if (it != data->strings.end()) return it->second.c_str();
    HINSTANCE h = HInstance();
    if (!h || id <= 0 || id > 0xffff) return NULL;
    const wchar_t* text = NULL;
    int n = LoadStringW(h, (UINT)id, (LPWSTR)&text, 0);
    if (n <= 0 || !text) return NULL;
    return data->strings.emplace(id, std::wstring(text, (size_t)n)).first->second.c_str();
}
