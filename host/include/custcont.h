// Custom controls of the host's dialogs: spinners, custom edit fields and buttons, colour
// swatches and images, used in dialog templates by their window class names ("SpinnerControl",
// "CustEdit", "CustButton", "ColorSwatch", "CustImage"). The host registers the classes when
// its core library loads. A control's interface is taken with GetI...(hwnd) and given back with
// ReleaseI...; the interface lives as long as its window.
#pragma once

#include "maxtypes.h"

#include <commctrl.h>

#include "strclass.h"
#include "acolor.h"
#include "color.h"

enum EditSpinnerType {
    EDITTYPE_INT = 1,
    EDITTYPE_FLOAT,
    EDITTYPE_UNIVERSE,
    EDITTYPE_POS_INT,
    EDITTYPE_POS_FLOAT,
    EDITTYPE_POS_UNIVERSE,
    EDITTYPE_TIME
};

// Spinner scale that follows the value's size.
#define SPIN_AUTOSCALE -1.0f

// Flags of a rollup page (IMtlParams::AddRollupPage): the page starts closed, showing only its
// title bar until the user opens it.
#define APPENDROLL_CLOSED (1 << 0)

// Messages the controls send to their parent dialog.
// CC_SPINNER_CHANGE: wParam LOWORD control id, HIWORD TRUE while dragging; lParam the spinner's
// ISpinnerControl*.
#define CC_SPINNER_CHANGE (WM_USER + 600)
#define CC_SPINNER_BUTTONDOWN (WM_USER + 601)
#define CC_SPINNER_BUTTONUP (WM_USER + 602)
// CC_COLOR_CHANGE: wParam LOWORD control id, HIWORD TRUE when the change is final (button up);
// lParam the swatch's IColorSwatch*.
#define CC_COLOR_CHANGE (WM_USER + 603)
// WM_CUSTEDIT_ENTER: Enter pressed in a custom edit, or the edit lost the focus after the user
// changed its text; wParam the control id, lParam its HWND.
#define WM_CUSTEDIT_ENTER (WM_USER + 685)
// Sent (posted) to the material editor window: wParam the sub-map slot, lParam the map.
#define WM_TEXMAP_BUTTON 0x4402

class ParamDlg;
class ReferenceTarget;

// Drag and drop between controls.
class DADMgr {
public:
    virtual ~DADMgr() { }
    virtual SClass_ID GetDragType(HWND hwnd, POINT p) = 0;
    virtual BOOL OkToDrop(ReferenceTarget* dropThis, HWND hfrom, HWND hto, POINT p, SClass_ID type,
                          BOOL isNew = FALSE) = 0;
    virtual ReferenceTarget* GetInstance(HWND hwnd, POINT p, SClass_ID type) = 0;
    virtual void Drop(ReferenceTarget* dropThis, HWND hwnd, POINT p, SClass_ID type,
                      void* dragInfo = NULL) = 0;
};

// The host's drag and drop of maps between the map buttons of a material editor dialog: the
// slot behind a button is found with the dialog's FindSubTexFromHWND, the map through its
// GetThing's sub-map interface.
class CoreExport TexDADMgr : public DADMgr {
    ParamDlg* dlg;

public:
    TexDADMgr(ParamDlg* d = NULL) : dlg(d) { }
    void Init(ParamDlg* d) { dlg = d; }
    ParamDlg* GetDlg() const { return dlg; }
    SClass_ID GetDragType(HWND hwnd, POINT p) override;
    BOOL OkToDrop(ReferenceTarget* dropThis, HWND hfrom, HWND hto, POINT p, SClass_ID type,
                  BOOL isNew = FALSE) override;
    ReferenceTarget* GetInstance(HWND hwnd, POINT p, SClass_ID type) override;
    void Drop(ReferenceTarget* dropThis, HWND hwnd, POINT p, SClass_ID type,
              void* dragInfo = NULL) override;
};

class ICustomControl {
public:
    virtual ~ICustomControl() { }
    virtual HWND GetHwnd() = 0;
    virtual void Enable(BOOL onOff = TRUE) = 0;
    virtual void Disable() { Enable(FALSE); }
    virtual BOOL IsEnabled() = 0;
    virtual void SetTooltip(BOOL onOff, const MCHAR* text) = 0;
};

class ICustButton : public ICustomControl {
public:
    virtual void GetText(MCHAR* text, int ct) = 0;
    virtual void SetText(const MCHAR* text) = 0;
    virtual void SetDADMgr(DADMgr* dad) = 0;
    virtual DADMgr* GetDADMgr() = 0;
};

class ICustEdit : public ICustomControl {
public:
    virtual void GetText(MCHAR* text, int ct) = 0;
    virtual void GetText(MSTR& text) = 0;
    virtual void SetText(const MCHAR* text) = 0;
    virtual void SetText(int i) = 0;
    virtual void SetText(float f, int precision = 3) = 0;
    virtual int GetInt(BOOL* valid = NULL) = 0;
    virtual float GetFloat(BOOL* valid = NULL) = 0;
    // Whether Enter was pressed since the last call (the call clears it).
    virtual BOOL GotReturn() = 0;
    virtual void WantReturn(BOOL yesNo) = 0;
};

class ISpinnerControl : public ICustomControl {
public:
    virtual float GetFVal() = 0;
    virtual int GetIVal() = 0;
    virtual void SetScale(float s) = 0;
    // Automatic scaling: a step follows the size of the value (1 in 100 of it), never smaller
    // than the scale.
    virtual void SetAutoScale(BOOL on = TRUE) = 0;
    // Sets the value (kept inside the limits); notify sends CC_SPINNER_CHANGE.
    virtual void SetValue(float v, int notify) = 0;
    virtual void SetValue(int v, int notify) = 0;
    virtual void SetLimits(float min, float max, int limitCurValue = TRUE) = 0;
    virtual void SetLimits(int min, int max, int limitCurValue = TRUE) = 0;
    // The edit control that shows the value and whose Enter sets it.
    virtual void LinkToEdit(HWND hEdit, EditSpinnerType type) = 0;
    // The value a right click returns the spinner to. The reset reaches the dialog as a whole
    // change: CC_SPINNER_BUTTONDOWN, CC_SPINNER_CHANGE, then CC_SPINNER_BUTTONUP with HIWORD
    // TRUE (accepted).
    virtual void SetResetValue(float v) = 0;
    virtual void SetResetValue(int v) = 0;
    virtual float GetResetValue() = 0;
    virtual void SetIndeterminate(BOOL i = TRUE) = 0;
    virtual BOOL IsIndeterminate() = 0;
};

class IColorSwatch : public ICustomControl {
public:
    virtual COLORREF GetColor() = 0;
    virtual AColor GetAColor() = 0;
    // notify sends CC_COLOR_CHANGE (as a final change).
    virtual COLORREF SetColor(COLORREF c, int notify = FALSE) = 0;
    virtual COLORREF SetColor(Color c, int notify = FALSE) = 0;
    virtual AColor SetAColor(AColor c, int notify = FALSE) = 0;
};

class ICustImage : public ICustomControl {
public:
    virtual void SetImage(HIMAGELIST hImage, int index, int w, int h) = 0;
};

// Interfaces of custom controls: NULL when hwnd is not a control of that kind.
CoreExport ICustButton* GetICustButton(HWND hCtrl);
CoreExport void ReleaseICustButton(ICustButton* ctrl);
CoreExport ICustEdit* GetICustEdit(HWND hCtrl);
CoreExport void ReleaseICustEdit(ICustEdit* ctrl);
CoreExport ISpinnerControl* GetISpinner(HWND hCtrl);
CoreExport void ReleaseISpinner(ISpinnerControl* ctrl);
// The swatch's interface; given a colour, the swatch shows that colour first.
CoreExport IColorSwatch* GetIColorSwatch(HWND hCtrl);
CoreExport IColorSwatch* GetIColorSwatch(HWND hCtrl, COLORREF col, const MCHAR* name = NULL);
CoreExport IColorSwatch* GetIColorSwatch(HWND hCtrl, Color col, const MCHAR* name = NULL);
CoreExport void ReleaseIColorSwatch(IColorSwatch* ctrl);
CoreExport ICustImage* GetICustImage(HWND hCtrl);
CoreExport void ReleaseICustImage(ICustImage* ctrl);

// Links spinner idSpin to edit idEdit in hwnd, with limits, value and scale; returns the
// spinner (the caller releases it), or NULL when the controls are missing.
CoreExport ISpinnerControl* SetupFloatSpinner(HWND hwnd, int idSpin, int idEdit, float min,
                                              float max, float val, float scale = 0.1f);
CoreExport ISpinnerControl* SetupIntSpinner(HWND hwnd, int idSpin, int idEdit, int min, int max,
                                            int val);

// Registers the custom control classes for hInst (the host does it at start-up for itself).
CoreExport void InitCustomControls(HINSTANCE hInst);
