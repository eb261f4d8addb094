// The undo system. Edits made between Begin and Accept become one undo step named by the
// Accept label; Cancel restores what the step recorded. Records (RestoreObj) are put only
// while holding. The history keeps the newest MaxUndoSteps steps; older ones are dropped.
// References replaced (ReplaceReference) and parameter block values and counts changed while
// holding are recorded by the host itself.
#pragma once

#include "maxtypes.h"
#include "strclass.h"

class CoreExport RestoreObj {
public:
    RestoreObj();
    virtual ~RestoreObj();
    // Undo (isUndo TRUE) or a cancel (FALSE): put the state back as before the edit.
    virtual void Restore(int isUndo) = 0;
    // Make the edit again.
    virtual void Redo() = 0;
    virtual int Size();
    virtual void EndHold();
    virtual MSTR Description();
};

struct HoldStack;

class CoreExport Hold {
    HoldStack* stack;
    Hold(const Hold&);
    Hold& operator=(const Hold&);

public:
    Hold();
    ~Hold();

    // Starts (or nests into) a holding level.
    void Begin();
    // Records rob while holding; the hold owns it. Without holding, rob is deleted at once.
    void Put(RestoreObj* rob);
    // Ends a level; at the outermost the records become one undo step with this label.
    void Accept(int nameID);
    void Accept(const MCHAR* name);
    // Ends a level restoring (Restore(FALSE), newest first) and dropping what it recorded.
    void Cancel();
    // Non-zero while a Begin is open, holding is not suspended and no record is being restored.
    int Holding();
    // Holding stops (Put deletes) until Resume; nests.
    void Suspend();
    void Resume();
    int IsSuspended();
    // Grouping of several Accepts into one step.
    void SuperBegin();
    void SuperAccept(int nameID);
    void SuperAccept(const MCHAR* name);
    void SuperCancel();
    // Restores the records of the current level without ending it.
    void Restore();
    // Drops the records of the current level without restoring.
    void Release();
    // Host undo stack: number of steps that can be undone, the label of step i (0 = newest),
    // and undo / redo of the newest step.
    int GetUndoCount();
    MSTR GetUndoLabel(int i);
    BOOL Undo();
    BOOL Redo();
    int GetRedoCount();
    // Clears undo and redo history.
    void ClearHistory();
    // Non-zero while records are being restored or redone (Undo, Redo, Cancel, Restore):
    // objects then take back what they hear rather than acting on it as on a new edit.
    int RestoreOrRedoing();
};

// The most steps the undo history keeps.
enum { MaxUndoSteps = 100 };

extern CoreExport Hold theHold;
