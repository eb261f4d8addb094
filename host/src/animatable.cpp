// Animatable, ClassDesc and the core interface: the defaults every host object starts from.
#include "animtbl.h"
#include "maxapi.h"
#include "iparamb2.h"
#include "host/class_directory.h"

#include <utility>
#include <vector>

struct AnimPropertyList {
    std::vector<std::pair<ULONG, void*>> items;
};

Animatable::Animatable() : aflag(0), aprops(new AnimPropertyList) { }
Animatable::~Animatable() { delete aprops; }

void Animatable::DeleteThis() { delete this; }
void Animatable::GetClassName(MSTR& s) { s = L""; }
Class_ID Animatable::ClassID() { return Class_ID(0, 0); }
SClass_ID Animatable::SuperClassID() { return 0; }

int Animatable::NumSubs() { return 0; }
Animatable* Animatable::SubAnim(int) { return NULL; }
MSTR Animatable::SubAnimName(int) { return MSTR(); }
int Animatable::SubNumToRefNum(int) { return -1; }

int Animatable::NumParamBlocks() { return 0; }
IParamBlock2* Animatable::GetParamBlock(int) { return NULL; }

IParamBlock2* Animatable::GetParamBlockByID(BlockID id)
{
    for (int i = 0; i < NumParamBlocks(); ++i) {
        IParamBlock2* pb = GetParamBlock(i);
        if (pb && pb->ID() == id) return pb;
    }
    return NULL;
}

BaseInterface* Animatable::GetInterface(Interface_ID) { return NULL; }
void* Animatable::GetInterface(ULONG) { return NULL; }
int Animatable::SetProperty(ULONG id, void* data)
{
    auto& items = aprops->items;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].first == id) {
            if (data)
                items[i].second = data;
            else
                items.erase(items.begin() + (long)i);
            return 1;
        }
    if (data) items.emplace_back(id, data);
    return 1;
}

void* Animatable::GetProperty(ULONG id)
{
    for (auto& item : aprops->items)
        if (item.first == id) return item.second;
    return NULL;
}
void Animatable::FreeCaches() { }
int Animatable::RenderBegin(TimeValue, ULONG) { return 0; }
int Animatable::RenderEnd(TimeValue) { return 0; }

// ClassDesc defaults.
ClassDesc::~ClassDesc() { }
int ClassDesc::BeginCreate(Interface*) { return 0; }
int ClassDesc::EndCreate(Interface*) { return 0; }
BOOL ClassDesc::OkToCreate(Interface*) { return TRUE; }
BOOL ClassDesc::HasClassParams() { return FALSE; }
void ClassDesc::EditClassParams(HWND) { }
void ClassDesc::ResetClassParams(BOOL) { }
const MCHAR* ClassDesc::InternalName() { return NULL; }
HINSTANCE ClassDesc::HInstance() { return NULL; }
int ClassDesc::NumParamBlockDescs() { return 0; }
ParamBlockDesc2* ClassDesc::GetParamBlockDesc(int) { return NULL; }
ParamBlockDesc2* ClassDesc::GetParamBlockDescByID(BlockID) { return NULL; }
void ClassDesc::AddParamBlockDesc(ParamBlockDesc2*) { }
void ClassDesc::MakeAutoParamBlocks(ReferenceMaker*) { }
const MCHAR* ClassDesc::GetRsrcString(INT_PTR) { return NULL; }
BaseInterface* ClassDesc::GetInterface(Interface_ID) { return NULL; }

// The core interface: the scene time and object creation through the class directory.
namespace {
TimeValue coreTime = 0;
}

Interface::~Interface() { }
TimeValue Interface::GetTime() { return coreTime; }
void Interface::SetTime(TimeValue t, BOOL) { coreTime = t; }
HWND Interface::GetMainHWnd() { return NULL; }
void Interface::RedrawViews(TimeValue, DWORD, ReferenceTarget*) { }

void* Interface::CreateInstance(SClass_ID superID, Class_ID classID)
{
    host::ClassDirectory* dir = host::GetDefaultClassDirectory();
    return dir ? dir->Create(superID, classID, false) : NULL;
}

Interface* GetCOREInterface()
{
    static Interface core;
    return &core;
}
