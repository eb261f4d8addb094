// The host's directory of classes: every class descriptor it knows, from plug-ins and its own
// built-in classes, found by super class and class ID.
#pragma once

#include <string>
#include <vector>

#include "../plugapi.h"

class ReferenceTarget;

namespace host {

class CoreExport ClassDirectory {
public:
    ClassDirectory();
    virtual ~ClassDirectory();

    // Adds a descriptor (not owned; it must outlive the directory's use). A second class with
    // the same super class and class ID is refused: returns false and keeps the first.
    bool Register(ClassDesc* cd);
    // Removes cd if it is registered.
    void Unregister(ClassDesc* cd);

    int Count() const;
    ClassDesc* Get(int i) const;
    // The descriptor for these ids, or NULL.
    ClassDesc* Find(SClass_ID superID, const Class_ID& classID) const;
    // A new object of the class (Create(loading)), or NULL when the class is unknown or its
    // Create fails.
    void* Create(SClass_ID superID, const Class_ID& classID, bool loading = false) const;

private:
    std::vector<ClassDesc*> classes;
};

// The directory GetCOREInterface()->CreateInstance uses; host programs set it at start-up.
CoreExport void SetDefaultClassDirectory(ClassDirectory* dir);
CoreExport ClassDirectory* GetDefaultClassDirectory();

} // namespace host
