// Interfaces: objects publish extra abilities as BaseInterface objects named by Interface_ID.
#pragma once

#include "maxtypes.h"

class Interface_ID {
    DWORD a, b;

public:
    Interface_ID() : a(0xffffffff), b(0xffffffff) { }
    Interface_ID(ULONG aa, ULONG bb) : a((DWORD)aa), b((DWORD)bb) { }
    ULONG PartA() const { return a; }
    ULONG PartB() const { return b; }
    void SetPartA(ULONG aa) { a = (DWORD)aa; }
    void SetPartB(ULONG bb) { b = (DWORD)bb; }
    int operator==(const Interface_ID& id) const { return a == id.a && b == id.b; }
    int operator!=(const Interface_ID& id) const { return a != id.a || b != id.b; }
    bool operator<(const Interface_ID& id) const { return a < id.a || (a == id.a && b < id.b); }
};

#define BASEINTERFACE_ID Interface_ID(0, 1)

class BaseInterface;

// Anything that can be asked for an interface by ID.
class InterfaceServer {
public:
    virtual ~InterfaceServer() { }
    virtual BaseInterface* GetInterface(Interface_ID id)
    {
        (void)id;
        return NULL;
    }
};

class BaseInterface : public InterfaceServer {
public:
    enum LifetimeType { noRelease, immediateRelease, wantsRelease, serverControlled };

    virtual ~BaseInterface() { }
    virtual Interface_ID GetID() { return BASEINTERFACE_ID; }
    virtual LifetimeType LifetimeControl() { return noRelease; }
    virtual BaseInterface* AcquireInterface() { return this; }
    virtual void ReleaseInterface() { }
    virtual void DeleteInterface() { }
    virtual BaseInterface* CloneInterface(void* remapDir = NULL)
    {
        (void)remapDir;
        return NULL;
    }
    BaseInterface* GetInterface(Interface_ID id) override
    {
        return id == BASEINTERFACE_ID ? this : NULL;
    }
};
