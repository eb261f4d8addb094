// Object accounting: the live reference targets in one set (their kinds are asked only when
// counted, since a target's class is not known while it is being made or unmade), and plain
// counts of undo records and viewport texture handles.
#include "host/accounting.h"

#include <map>
#include <mutex>
#include <sstream>
#include <unordered_set>

#include "ref.h"
#include "strclass.h"

namespace host {

namespace {

struct Ledger {
    std::mutex lock;
    std::unordered_set<void*> targets;
    int records = 0;
    int texHandles = 0;
};

Ledger& TheLedger()
{
    static Ledger* ledger = new Ledger; // never destroyed: objects may go after main
    return *ledger;
}

} // namespace

void CountTarget(void* target, bool alive)
{
    Ledger& l = TheLedger();
    std::lock_guard<std::mutex> g(l.lock);
    if (alive)
        l.targets.insert(target);
    else
        l.targets.erase(target);
}

void CountRecord(bool alive)
{
    Ledger& l = TheLedger();
    std::lock_guard<std::mutex> g(l.lock);
    l.records += alive ? 1 : -1;
}

void CountTexHandle(bool alive)
{
    Ledger& l = TheLedger();
    std::lock_guard<std::mutex> g(l.lock);
    l.texHandles += alive ? 1 : -1;
}

LiveCounts CountLive()
{
    Ledger& l = TheLedger();
    std::lock_guard<std::mutex> g(l.lock);
    LiveCounts c;
    c.targets = (int)l.targets.size();
    for (void* p : l.targets) {
        SClass_ID s = static_cast<ReferenceTarget*>(p)->SuperClassID();
        if (s == TEXMAP_CLASS_ID) ++c.texmaps;
        if (s == PARAMETER_BLOCK2_CLASS_ID) ++c.blocks;
    }
    c.undoRecords = l.records;
    c.texHandles = l.texHandles;
    return c;
}

int CountLiveOfClass(SClass_ID superClass, Class_ID classID)
{
    Ledger& l = TheLedger();
    std::lock_guard<std::mutex> g(l.lock);
    int n = 0;
    for (void* p : l.targets) {
        ReferenceTarget* t = static_cast<ReferenceTarget*>(p);
        if (t->SuperClassID() == superClass && t->ClassID() == classID) ++n;
    }
    return n;
}

std::string DescribeLeft(const LiveCounts& before)
{
    const LiveCounts now = CountLive();
    std::ostringstream out;
    auto grew = [&](int was, int is, const char* what) {
        if (is > was) out << (out.tellp() > 0 ? ", " : "") << (is - was) << " " << what;
    };
    grew(before.targets, now.targets, "reference targets");
    grew(before.texmaps, now.texmaps, "textures/maps");
    grew(before.blocks, now.blocks, "parameter blocks");
    grew(before.undoRecords, now.undoRecords, "undo records");
    grew(before.texHandles, now.texHandles, "viewport texture handles");
    if (now.targets > before.targets) {
        // The classes alive now, to say what the extra ones are.
        std::map<std::string, int> classes;
        Ledger& l = TheLedger();
        std::lock_guard<std::mutex> g(l.lock);
        for (void* p : l.targets) {
            MSTR name;
            static_cast<ReferenceTarget*>(p)->GetClassName(name);
            ++classes[name.ToUTF8()];
        }
        out << " (alive:";
        for (const auto& c : classes)
            out << " " << c.first << " x" << c.second;
        out << ")";
    }
    return out.str();
}

} // namespace host
