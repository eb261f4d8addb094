// The host's class directory.
#include "host/class_directory.h"

#include <algorithm>

namespace host {

namespace {
ClassDirectory* defaultDirectory = nullptr;
}

ClassDirectory::ClassDirectory() { }

ClassDirectory::~ClassDirectory()
{
    if (defaultDirectory == this) defaultDirectory = nullptr;
}

bool ClassDirectory::Register(ClassDesc* cd)
{
    if (!cd) return false;
    if (std::find(classes.begin(), classes.end(), cd) != classes.end()) return false;
    if (Find(cd->SuperClassID(), cd->ClassID())) return false;
    classes.push_back(cd);
    return true;
}

void ClassDirectory::Unregister(ClassDesc* cd)
{
    classes.erase(std::remove(classes.begin(), classes.end(), cd), classes.end());
}

int ClassDirectory::Count() const { return (int)classes.size(); }

ClassDesc* ClassDirectory::Get(int i) const
{
    return i >= 0 && i < (int)classes.size() ? classes[(size_t)i] : nullptr;
}

ClassDesc* ClassDirectory::Find(SClass_ID superID, const Class_ID& classID) const
{
    for (ClassDesc* cd : classes)
        if (cd->SuperClassID() == superID && cd->ClassID() == classID) return cd;
    return nullptr;
}

void* ClassDirectory::Create(SClass_ID superID, const Class_ID& classID, bool loading) const
{
    ClassDesc* cd = Find(superID, classID);
    return cd ? cd->Create(loading ? TRUE : FALSE) : nullptr;
}

void SetDefaultClassDirectory(ClassDirectory* dir) { defaultDirectory = dir; }
ClassDirectory* GetDefaultClassDirectory() { return defaultDirectory; }

} // namespace host
