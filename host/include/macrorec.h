// The macro recorder: writes the user's actions as script lines while it is enabled. Code that
// makes changes that are not user actions disables it around them; Disable and Enable nest.
#pragma once

#include "maxtypes.h"
#include "strclass.h"

struct MacroRecorderLines;

class CoreExport MacroRecorder {
    int disableCount;
    BOOL on;
    int recorded;

public:
    MacroRecorder();
    virtual ~MacroRecorder();

    // Disable increments, Enable decrements the nesting; recording happens only at zero.
    // An Enable without a matching Disable is ignored.
    virtual void Enable();
    virtual void Disable();
    virtual BOOL Enabled();
    // Switches recording as a whole (the listener's record button).
    virtual void MacroRecorderOn(BOOL onOff);
    virtual BOOL IsOn();
    // Nesting depth of Disable calls.
    virtual int DisableCount();
    // Records one script line if enabled; returns TRUE when recorded.
    virtual BOOL EmitScript(const MCHAR* line);
    virtual int RecordedCount();
    virtual MSTR RecordedLine(int i);
    virtual void ClearRecorded();

private:
    MacroRecorderLines* lines;
};

extern CoreExport MacroRecorder* macroRecorder;
