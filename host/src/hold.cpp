// The undo system (theHold) and the macro recorder.
#include "hold.h"
#include "macrorec.h"

#include <string>
#include <vector>

#include "host/accounting.h"
#include "text_convert.h"

RestoreObj::RestoreObj() { host::CountRecord(true); }
RestoreObj::~RestoreObj() { host::CountRecord(false); }
int RestoreObj::Size() { return 1; }
void RestoreObj::EndHold() { }
MSTR RestoreObj::Description() { return MSTR(L"RestoreObj"); }

struct UndoStep {
    std::wstring label;
    std::vector<RestoreObj*> records;
};

struct HoldStack {
    std::vector<RestoreObj*> records; // of the open step(s)
    std::vector<size_t> levelStart; // where each open Begin level starts in records
    std::vector<size_t> superStart; // where each open SuperBegin starts
    int suspended = 0;
    int restoring = 0; // depth of restores and redos under way
    std::vector<UndoStep> undo;
    std::vector<UndoStep> redo;

    static void Free(std::vector<RestoreObj*>& v)
    {
        for (RestoreObj* r : v)
            delete r;
        v.clear();
    }
    static void Free(std::vector<UndoStep>& steps)
    {
        for (UndoStep& s : steps)
            Free(s.records);
        steps.clear();
    }
    // Restores records[from..] newest first, deletes them.
    void RestoreFrom(size_t from)
    {
        ++restoring;
        while (records.size() > from) {
            RestoreObj* r = records.back();
            records.pop_back();
            r->Restore(FALSE);
            delete r;
        }
        --restoring;
    }
    // The open records become one undo step when no level or group is open any more.
    void Commit(const std::wstring& label)
    {
        if (!levelStart.empty() || !superStart.empty() || records.empty()) return;
        for (RestoreObj* r : records)
            r->EndHold();
        Free(redo);
        UndoStep step;
        step.label = label;
        step.records.swap(records);
        undo.push_back(std::move(step));
        if (undo.size() > (size_t)MaxUndoSteps) {
            Free(undo.front().records);
            undo.erase(undo.begin());
        }
    }
};

Hold::Hold() : stack(new HoldStack) { }

Hold::~Hold()
{
    HoldStack::Free(stack->records);
    HoldStack::Free(stack->undo);
    HoldStack::Free(stack->redo);
    delete stack;
}

void Hold::Begin() { stack->levelStart.push_back(stack->records.size()); }

void Hold::Put(RestoreObj* rob)
{
    if (!rob) return;
    if (Holding())
        stack->records.push_back(rob);
    else
        delete rob;
}

void Hold::Accept(int nameID) { Accept(host_text::Format(L"#%d", nameID).c_str()); }

void Hold::Accept(const MCHAR* name)
{
    if (stack->levelStart.empty()) return;
    stack->levelStart.pop_back();
    stack->Commit(name ? name : L"");
}

void Hold::Cancel()
{
    if (stack->levelStart.empty()) return;
    size_t from = stack->levelStart.back();
    stack->levelStart.pop_back();
    stack->RestoreFrom(from);
}

// Nothing is recorded while records are being restored: what they change is no new edit.
int Hold::Holding()
{
    return !stack->levelStart.empty() && stack->suspended == 0 && stack->restoring == 0;
}
void Hold::Suspend() { ++stack->suspended; }
void Hold::Resume()
{
    if (stack->suspended > 0) --stack->suspended;
}
int Hold::IsSuspended() { return stack->suspended > 0; }

void Hold::SuperBegin() { stack->superStart.push_back(stack->records.size()); }
void Hold::SuperAccept(int nameID) { SuperAccept(host_text::Format(L"#%d", nameID).c_str()); }

void Hold::SuperAccept(const MCHAR* name)
{
    if (stack->superStart.empty()) return;
    stack->superStart.pop_back();
    stack->Commit(name ? name : L"");
}

void Hold::SuperCancel()
{
    if (stack->superStart.empty()) return;
    size_t from = stack->superStart.back();
    stack->superStart.pop_back();
    stack->RestoreFrom(from);
}

void Hold::Restore()
{
    size_t from = stack->levelStart.empty() ? 0 : stack->levelStart.back();
    ++stack->restoring;
    for (size_t i = stack->records.size(); i > from; --i)
        stack->records[i - 1]->Restore(FALSE);
    --stack->restoring;
}

void Hold::Release()
{
    size_t from = stack->levelStart.empty() ? 0 : stack->levelStart.back();
    while (stack->records.size() > from) {
        delete stack->records.back();
        stack->records.pop_back();
    }
}

int Hold::GetUndoCount() { return (int)stack->undo.size(); }
int Hold::GetRedoCount() { return (int)stack->redo.size(); }

MSTR Hold::GetUndoLabel(int i)
{
    if (i < 0 || i >= (int)stack->undo.size()) return MSTR();
    return MSTR(stack->undo[stack->undo.size() - 1 - (size_t)i].label.c_str());
}

BOOL Hold::Undo()
{
    if (Holding() || stack->undo.empty()) return FALSE;
    UndoStep step = std::move(stack->undo.back());
    stack->undo.pop_back();
    ++stack->restoring;
    for (size_t i = step.records.size(); i > 0; --i)
        step.records[i - 1]->Restore(TRUE);
    --stack->restoring;
    stack->redo.push_back(std::move(step));
    return TRUE;
}

BOOL Hold::Redo()
{
    if (Holding() || stack->redo.empty()) return FALSE;
    UndoStep step = std::move(stack->redo.back());
    stack->redo.pop_back();
    ++stack->restoring;
    for (RestoreObj* r : step.records)
        r->Redo();
    --stack->restoring;
    stack->undo.push_back(std::move(step));
    return TRUE;
}

void Hold::ClearHistory()
{
    HoldStack::Free(stack->undo);
    HoldStack::Free(stack->redo);
}

int Hold::RestoreOrRedoing() { return stack->restoring > 0; }

Hold theHold;

// Macro recorder

struct MacroRecorderLines {
    std::vector<std::wstring> lines;
};

MacroRecorder::MacroRecorder()
    : disableCount(0), on(TRUE), recorded(0), lines(new MacroRecorderLines)
{ }

MacroRecorder::~MacroRecorder() { delete lines; }

void MacroRecorder::Enable()
{
    if (disableCount > 0) --disableCount;
}
void MacroRecorder::Disable() { ++disableCount; }
BOOL MacroRecorder::Enabled() { return on && disableCount == 0; }
void MacroRecorder::MacroRecorderOn(BOOL onOff) { on = onOff ? TRUE : FALSE; }
BOOL MacroRecorder::IsOn() { return on; }
int MacroRecorder::DisableCount() { return disableCount; }

BOOL MacroRecorder::EmitScript(const MCHAR* line)
{
    if (!Enabled() || !line) return FALSE;
    lines->lines.push_back(line);
    recorded = (int)lines->lines.size();
    return TRUE;
}

int MacroRecorder::RecordedCount() { return (int)lines->lines.size(); }

MSTR MacroRecorder::RecordedLine(int i)
{
    if (i < 0 || i >= (int)lines->lines.size()) return MSTR();
    return MSTR(lines->lines[(size_t)i].c_str());
}

void MacroRecorder::ClearRecorded()
{
    lines->lines.clear();
    recorded = 0;
}

namespace {
MacroRecorder theMacroRecorder;
}

MacroRecorder* macroRecorder = &theMacroRecorder;
