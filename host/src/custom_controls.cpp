// The host's custom controls: window classes for dialog templates and their interfaces.
//
// CustButton and CustEdit are the system button and edit with the host's interface on top;
// SpinnerControl, ColorSwatch and CustImage are drawn here. Each window carries its interface
// object (window property) from creation to destruction. A click on a colour swatch opens the
// system's colour dialog; there is no drag gesture: programs and tests move maps with
// TexDADMgr::Drop.
#include "custcont.h"
#include "hold.h"

#include <commdlg.h>
#include <stdio.h>
#include <math.h>
#include <stdlib.h>
#include <wchar.h>

#include <cmath>
#include <string>

#include "imtl.h"
#include "text_convert.h"

namespace {

const wchar_t kProp[] = L"QuiltraCustomControl";
WNDPROC buttonProc = nullptr;
WNDPROC editProc = nullptr;

HINSTANCE CoreModule()
{
    HMODULE m = NULL;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&CoreModule), &m);
    return m;
}

template <class T>
T* Get(HWND hwnd, const wchar_t* className)
{
    if (!hwnd || !IsWindow(hwnd)) return nullptr;
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (_wcsicmp(name, className) != 0) return nullptr;
    return static_cast<T*>(GetPropW(hwnd, kProp));
}

int ControlID(HWND hwnd) { return GetDlgCtrlID(hwnd); }

// What every control keeps.
template <class Interface>
class Control : public Interface {
public:
    explicit Control(HWND h) : hwnd(h) { }
    HWND GetHwnd() override { return hwnd; }
    void Enable(BOOL onOff) override { EnableWindow(hwnd, onOff); }
    BOOL IsEnabled() override { return IsWindowEnabled(hwnd); }
    void SetTooltip(BOOL onOff, const MCHAR* text) override
    {
        tooltip = onOff && text ? text : L"";
    }
    std::wstring tooltip;

protected:
    HWND hwnd;
};

class SpinnerImpl;

class EditImpl : public Control<ICustEdit> {
public:
    using Control::Control;
    void GetText(MCHAR* text, int ct) override
    {
        if (text && ct > 0) GetWindowTextW(hwnd, text, ct);
    }
    void GetText(MSTR& text) override
    {
        int n = GetWindowTextLengthW(hwnd);
        std::wstring s((size_t)n + 1, L'\0');
        GetWindowTextW(hwnd, &s[0], n + 1);
        s.resize((size_t)n);
        text = s.c_str();
    }
    void SetText(const MCHAR* text) override { SetWindowTextW(hwnd, text ? text : L""); }
    void SetText(int i) override { SetText(host_text::Format(L"%d", i).c_str()); }
    void SetText(float f, int precision) override
    {
        if (precision < 0) precision = 0;
        if (precision > 9) precision = 9;
        SetText(host_text::Format(L"%.*f", precision, (double)f).c_str());
    }
    int GetInt(BOOL* valid) override
    {
        MSTR s;
        GetText(s);
        wchar_t* end = nullptr;
        long v = wcstol(s.data(), &end, 10);
        if (valid) *valid = end != s.data() && *end == 0;
        return (int)v;
    }
    float GetFloat(BOOL* valid) override
    {
        MSTR s;
        GetText(s);
        wchar_t* end = nullptr;
        float v = wcstof(s.data(), &end);
        if (valid) *valid = end != s.data() && *end == 0;
        return v;
    }
    BOOL GotReturn() override
    {
        BOOL r = gotReturn;
        gotReturn = FALSE;
        return r;
    }
    void WantReturn(BOOL yesNo) override { wantReturn = yesNo; }

    void Enter();

    BOOL gotReturn = FALSE;
    BOOL wantReturn = TRUE;
    SpinnerImpl* spinner = nullptr; // the spinner linked to this field
};

class SpinnerImpl : public Control<ISpinnerControl> {
public:
    using Control::Control;
    ~SpinnerImpl() override
    {
        if (EditImpl* e = LinkedEdit()) e->spinner = nullptr;
    }
    float GetFVal() override { return value; }
    int GetIVal() override { return (int)(value < 0.0f ? value - 0.5f : value + 0.5f); }
    void SetScale(float s) override { scale = s; }
    void SetAutoScale(BOOL on) override { autoScale = on; }
    void SetValue(float v, int notify) override
    {
        indeterminate = FALSE;
        value = Limit(IsInt() ? (float)(int)(v < 0.0f ? v - 0.5f : v + 0.5f) : v);
        ShowValue();
        if (notify) Notify(CC_SPINNER_CHANGE, FALSE);
    }
    void SetValue(int v, int notify) override { SetValue((float)v, notify); }
    void SetLimits(float lo, float hi, int limitCurValue) override
    {
        minimum = lo;
        maximum = hi;
        if (limitCurValue) {
            value = Limit(value);
            ShowValue();
        }
    }
    void SetLimits(int lo, int hi, int limitCurValue) override
    {
        SetLimits((float)lo, (float)hi, limitCurValue);
    }
    void LinkToEdit(HWND hEdit, EditSpinnerType t) override
    {
        if (EditImpl* old = LinkedEdit()) old->spinner = nullptr;
        edit = hEdit;
        type = t;
        if (EditImpl* e = LinkedEdit()) e->spinner = this;
        ShowValue();
    }
    void SetResetValue(float v) override { resetValue = v; }
    void SetResetValue(int v) override { resetValue = (float)v; }
    float GetResetValue() override { return resetValue; }
    void SetIndeterminate(BOOL i) override
    {
        indeterminate = i;
        ShowValue();
    }
    BOOL IsIndeterminate() override { return indeterminate; }

    // A click on the upper or lower half: one step up or down, told as a drag.
    void Step(bool up)
    {
        Notify(CC_SPINNER_BUTTONDOWN, FALSE);
        float step =
            scale == SPIN_AUTOSCALE ? (value == 0.0f ? 0.1f : fabsf(value) * 0.01f) : scale;
        if (autoScale && fabsf(value) * 0.01f > step) step = fabsf(value) * 0.01f;
        if (IsInt() && step < 1.0f) step = 1.0f;
        value = Limit(value + (up ? step : -step));
        indeterminate = FALSE;
        ShowValue();
        Notify(CC_SPINNER_CHANGE, TRUE);
    }
    void ButtonUp() { Notify(CC_SPINNER_BUTTONUP, TRUE); }
    // A right click: the reset value, told as a whole change that the dialog accepts.
    void Reset()
    {
        Notify(CC_SPINNER_BUTTONDOWN, FALSE);
        SetValue(resetValue, FALSE);
        Notify(CC_SPINNER_CHANGE, FALSE);
        Notify(CC_SPINNER_BUTTONUP, TRUE);
    }
    // The linked field's Enter: its text becomes the value. Text that is no number, or no
    // finite one ("nan", "inf"), changes nothing and the field shows the value again.
    void FromEdit()
    {
        EditImpl* e = LinkedEdit();
        if (!e) return;
        BOOL valid = FALSE;
        float v = e->GetFloat(&valid);
        if (valid && std::isfinite(v))
            SetValue(v, TRUE);
        else
            ShowValue();
    }

private:
    bool IsInt() const
    {
        return type == EDITTYPE_INT || type == EDITTYPE_POS_INT || type == EDITTYPE_TIME;
    }
    float Limit(float v) const
    {
        if (v < minimum) v = minimum;
        if (v > maximum) v = maximum;
        return v;
    }
    EditImpl* LinkedEdit() { return Get<EditImpl>(edit, L"CustEdit"); }
    void ShowValue()
    {
        EditImpl* e = LinkedEdit();
        if (!e) return;
        if (indeterminate) {
            e->SetText(L"");
        } else if (IsInt()) {
            e->SetText(GetIVal());
        } else {
            // Three decimals, trailing zeros dropped down to one: 100.0, 0.5, 12.125.
            std::wstring s = host_text::Format(L"%.3f", (double)value);
            while (s.size() > 2 && s.back() == L'0' && s[s.size() - 2] != L'.')
                s.pop_back();
            e->SetText(s.c_str());
        }
    }
    void Notify(UINT msg, BOOL dragging)
    {
        HWND parent = GetParent(hwnd);
        if (parent)
            SendMessageW(parent, msg, MAKEWPARAM(ControlID(hwnd), dragging),
                         (LPARAM) static_cast<ISpinnerControl*>(this));
    }

    float value = 0.0f, minimum = -1.0e30f, maximum = 1.0e30f, scale = 0.1f, resetValue = 0.0f;
    HWND edit = NULL;
    EditSpinnerType type = EDITTYPE_FLOAT;
    BOOL indeterminate = FALSE;
    BOOL autoScale = FALSE;
};

void EditImpl::Enter()
{
    gotReturn = TRUE;
    SendMessageW(hwnd, EM_SETMODIFY, FALSE, 0);
    if (spinner) spinner->FromEdit();
    HWND parent = GetParent(hwnd);
    if (parent) SendMessageW(parent, WM_CUSTEDIT_ENTER, (WPARAM)ControlID(hwnd), (LPARAM)hwnd);
}

class ButtonImpl : public Control<ICustButton> {
public:
    using Control::Control;
    void GetText(MCHAR* text, int ct) override
    {
        if (text && ct > 0) GetWindowTextW(hwnd, text, ct);
    }
    void SetText(const MCHAR* text) override { SetWindowTextW(hwnd, text ? text : L""); }
    void SetDADMgr(DADMgr* d) override { dad = d; }
    DADMgr* GetDADMgr() override { return dad; }
    DADMgr* dad = nullptr;
};

class SwatchImpl : public Control<IColorSwatch> {
public:
    using Control::Control;
    COLORREF GetColor() override { return ToRef(color); }
    AColor GetAColor() override { return color; }
    COLORREF SetColor(COLORREF c, int notify) override
    {
        SetAColor(
            AColor(GetRValue(c) / 255.0f, GetGValue(c) / 255.0f, GetBValue(c) / 255.0f, color.a),
            notify);
        return c;
    }
    COLORREF SetColor(Color c, int notify) override
    {
        SetAColor(AColor(c.r, c.g, c.b, color.a), notify);
        return ToRef(color);
    }
    AColor SetAColor(AColor c, int notify) override
    {
        color = c;
        InvalidateRect(hwnd, NULL, TRUE);
        HWND parent = GetParent(hwnd);
        if (notify && parent)
            SendMessageW(parent, CC_COLOR_CHANGE, MAKEWPARAM(ControlID(hwnd), TRUE),
                         (LPARAM) static_cast<IColorSwatch*>(this));
        return color;
    }
    static COLORREF ToRef(const AColor& c)
    {
        auto b = [](float v) { return (int)(v <= 0.0f ? 0 : v >= 1.0f ? 255 : v * 255.0f + 0.5f); };
        return RGB(b(c.r), b(c.g), b(c.b));
    }
    AColor color = AColor(0.0f, 0.0f, 0.0f, 1.0f);
};

class ImageImpl : public Control<ICustImage> {
public:
    using Control::Control;
    void SetImage(HIMAGELIST h, int i, int w, int hgt) override
    {
        images = h;
        index = i;
        width = w;
        height = hgt;
        InvalidateRect(hwnd, NULL, TRUE);
    }
    HIMAGELIST images = NULL;
    int index = 0, width = 0, height = 0;
};

template <class T>
void Attach(HWND hwnd)
{
    SetPropW(hwnd, kProp, new T(hwnd));
}

template <class T>
void Detach(HWND hwnd)
{
    delete static_cast<T*>(GetPropW(hwnd, kProp));
    RemovePropW(hwnd, kProp);
}

LRESULT CALLBACK ButtonWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) Attach<ButtonImpl>(hwnd);
    LRESULT r = CallWindowProcW(buttonProc, hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) Detach<ButtonImpl>(hwnd);
    return r;
}

LRESULT CALLBACK EditWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_NCCREATE) Attach<EditImpl>(hwnd);
    EditImpl* e = static_cast<EditImpl*>(GetPropW(hwnd, kProp));
    if (e && msg == WM_GETDLGCODE && e->wantReturn)
        return CallWindowProcW(editProc, hwnd, msg, wp, lp) | DLGC_WANTALLKEYS;
    if (e && (msg == WM_KEYDOWN || msg == WM_CHAR) && wp == VK_RETURN) {
        if (msg == WM_KEYDOWN) e->Enter();
        return 0;
    }
    // Leaving a field whose text the user changed takes the text as Enter does, so that a
    // value typed before clicking elsewhere (an OK button) is not lost.
    if (e && msg == WM_KILLFOCUS && SendMessageW(hwnd, EM_GETMODIFY, 0, 0)) {
        LRESULT r = CallWindowProcW(editProc, hwnd, msg, wp, lp);
        e->Enter();
        return r;
    }
    LRESULT r = CallWindowProcW(editProc, hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) Detach<EditImpl>(hwnd);
    return r;
}

LRESULT CALLBACK SpinnerWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    SpinnerImpl* s = static_cast<SpinnerImpl*>(GetPropW(hwnd, kProp));
    switch (msg) {
    case WM_NCCREATE:
        Attach<SpinnerImpl>(hwnd);
        break;
    case WM_NCDESTROY:
        Detach<SpinnerImpl>(hwnd);
        return 0;
    case WM_LBUTTONDOWN:
        if (s) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            SetCapture(hwnd);
            s->Step((short)HIWORD(lp) < (rc.bottom - rc.top) / 2);
        }
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == hwnd) ReleaseCapture();
        if (s) s->ButtonUp();
        return 0;
    case WM_RBUTTONDOWN:
        if (s) s->Reset();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc, up, down;
        GetClientRect(hwnd, &rc);
        up = down = rc;
        up.bottom = down.top = (rc.top + rc.bottom) / 2;
        DrawFrameControl(dc, &up, DFC_SCROLL, DFCS_SCROLLUP);
        DrawFrameControl(dc, &down, DFC_SCROLL, DFCS_SCROLLDOWN);
        EndPaint(hwnd, &ps);
        return 0;
    }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK SwatchWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    SwatchImpl* s = static_cast<SwatchImpl*>(GetPropW(hwnd, kProp));
    switch (msg) {
    case WM_NCCREATE:
        Attach<SwatchImpl>(hwnd);
        break;
    case WM_NCDESTROY:
        Detach<SwatchImpl>(hwnd);
        return 0;
    case WM_LBUTTONUP:
        // A click picks a colour; a new one is told to the dialog as a final change.
        if (s) {
            static COLORREF custom[16] = {};
            CHOOSECOLORW cc = {};
            cc.lStructSize = sizeof cc;
            cc.hwndOwner = GetAncestor(hwnd, GA_ROOT);
            cc.rgbResult = s->GetColor();
            cc.lpCustColors = custom;
            cc.Flags = CC_RGBINIT | CC_FULLOPEN;
            if (ChooseColorW(&cc) && cc.rgbResult != s->GetColor()) s->SetColor(cc.rgbResult, TRUE);
        }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        HBRUSH b = CreateSolidBrush(s ? s->GetColor() : 0);
        FillRect(dc, &rc, b);
        DeleteObject(b);
        FrameRect(dc, &rc, (HBRUSH)GetStockObject(BLACK_BRUSH));
        EndPaint(hwnd, &ps);
        return 0;
    }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK ImageWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    ImageImpl* s = static_cast<ImageImpl*>(GetPropW(hwnd, kProp));
    switch (msg) {
    case WM_NCCREATE:
        Attach<ImageImpl>(hwnd);
        break;
    case WM_NCDESTROY:
        Detach<ImageImpl>(hwnd);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (s && s->images) ImageList_Draw(s->images, s->index, dc, 0, 0, ILD_NORMAL);
        EndPaint(hwnd, &ps);
        return 0;
    }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool registered = false;

void RegisterAll()
{
    if (registered) return;
    registered = true;
    HINSTANCE h = CoreModule();
    WNDCLASSEXW wc;
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(NULL, L"BUTTON", &wc)) {
        buttonProc = wc.lpfnWndProc;
        wc.lpfnWndProc = ButtonWndProc;
        wc.hInstance = h;
        wc.style |= CS_GLOBALCLASS;
        wc.lpszClassName = L"CustButton";
        RegisterClassExW(&wc);
    }
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(NULL, L"EDIT", &wc)) {
        editProc = wc.lpfnWndProc;
        wc.lpfnWndProc = EditWndProc;
        wc.hInstance = h;
        wc.style |= CS_GLOBALCLASS;
        wc.lpszClassName = L"CustEdit";
        RegisterClassExW(&wc);
    }
    struct Own {
        const wchar_t* name;
        WNDPROC proc;
    } own[] = {{L"SpinnerControl", SpinnerWndProc},
               {L"ColorSwatch", SwatchWndProc},
               {L"CustImage", ImageWndProc}};
    for (const Own& o : own) {
        WNDCLASSEXW c = {};
        c.cbSize = sizeof c;
        c.style = CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW;
        c.lpfnWndProc = o.proc;
        c.hInstance = h;
        c.hCursor = LoadCursorW(NULL, IDC_ARROW);
        c.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        c.lpszClassName = o.name;
        RegisterClassExW(&c);
    }
}

// The classes exist as soon as the host's core library is loaded, before any dialog.
struct RegisterAtLoad {
    RegisterAtLoad() { RegisterAll(); }
} registerAtLoad;

} // namespace

void InitCustomControls(HINSTANCE) { RegisterAll(); }

ICustButton* GetICustButton(HWND h) { return Get<ButtonImpl>(h, L"CustButton"); }
void ReleaseICustButton(ICustButton*) { }
ICustEdit* GetICustEdit(HWND h) { return Get<EditImpl>(h, L"CustEdit"); }
void ReleaseICustEdit(ICustEdit*) { }
ISpinnerControl* GetISpinner(HWND h) { return Get<SpinnerImpl>(h, L"SpinnerControl"); }
void ReleaseISpinner(ISpinnerControl*) { }
ICustImage* GetICustImage(HWND h) { return Get<ImageImpl>(h, L"CustImage"); }
void ReleaseICustImage(ICustImage*) { }
void ReleaseIColorSwatch(IColorSwatch*) { }

IColorSwatch* GetIColorSwatch(HWND h) { return Get<SwatchImpl>(h, L"ColorSwatch"); }

IColorSwatch* GetIColorSwatch(HWND h, COLORREF col, const MCHAR*)
{
    SwatchImpl* s = Get<SwatchImpl>(h, L"ColorSwatch");
    if (s) s->SetColor(col, FALSE);
    return s;
}

IColorSwatch* GetIColorSwatch(HWND h, Color col, const MCHAR*)
{
    SwatchImpl* s = Get<SwatchImpl>(h, L"ColorSwatch");
    if (s) s->SetColor(col, FALSE);
    return s;
}

ISpinnerControl* SetupFloatSpinner(HWND hwnd, int idSpin, int idEdit, float min, float max,
                                   float val, float scale)
{
    ISpinnerControl* s = GetISpinner(GetDlgItem(hwnd, idSpin));
    if (!s) return NULL;
    s->SetLimits(min, max, FALSE);
    s->SetScale(scale);
    s->LinkToEdit(GetDlgItem(hwnd, idEdit), EDITTYPE_FLOAT);
    s->SetValue(val, FALSE);
    return s;
}

ISpinnerControl* SetupIntSpinner(HWND hwnd, int idSpin, int idEdit, int min, int max, int val)
{
    ISpinnerControl* s = GetISpinner(GetDlgItem(hwnd, idSpin));
    if (!s) return NULL;
    s->SetLimits(min, max, FALSE);
    s->SetScale(1.0f);
    s->LinkToEdit(GetDlgItem(hwnd, idEdit), EDITTYPE_INT);
    s->SetValue(val, FALSE);
    return s;
}

// Drag and drop of maps between a dialog's map buttons.

namespace {
MtlBase* ThingOf(ParamDlg* dlg)
{
    ReferenceTarget* t = dlg ? dlg->GetThing() : NULL;
    if (!t) return NULL;
    SClass_ID s = t->SuperClassID();
    return s == TEXMAP_CLASS_ID || s == MATERIAL_CLASS_ID ? static_cast<MtlBase*>(t) : NULL;
}
} // namespace

SClass_ID TexDADMgr::GetDragType(HWND, POINT) { return TEXMAP_CLASS_ID; }

BOOL TexDADMgr::OkToDrop(ReferenceTarget* dropThis, HWND, HWND hto, POINT, SClass_ID type, BOOL)
{
    if (type != TEXMAP_CLASS_ID || !dlg) return FALSE;
    if (dropThis && dropThis->SuperClassID() != TEXMAP_CLASS_ID) return FALSE;
    return dlg->FindSubTexFromHWND(hto) >= 0 && ThingOf(dlg) != NULL;
}

ReferenceTarget* TexDADMgr::GetInstance(HWND hwnd, POINT, SClass_ID type)
{
    if (type != TEXMAP_CLASS_ID || !dlg) return NULL;
    int slot = dlg->FindSubTexFromHWND(hwnd);
    MtlBase* m = ThingOf(dlg);
    if (slot < 0 || !m || slot >= m->NumSubTexmaps()) return NULL;
    return m->GetSubTexmap(slot);
}

void TexDADMgr::Drop(ReferenceTarget* dropThis, HWND hwnd, POINT p, SClass_ID type, void*)
{
    if (!OkToDrop(dropThis, NULL, hwnd, p, type)) return;
    int slot = dlg->FindSubTexFromHWND(hwnd);
    MtlBase* m = ThingOf(dlg);
    // Only a slot the map has: a dialog that answers a slot past its map's sub-maps gets no drop.
    if (slot < 0 || slot >= m->NumSubTexmaps()) return;
    // A drop on the map's own slot, or one that would make the map its own sub-map, is refused
    // by the reference system (SetSubTexmap's ReplaceReference). A drop is one undo step.
    theHold.Begin();
    m->SetSubTexmap(slot, static_cast<Texmap*>(dropThis));
    theHold.Accept(L"Drag and Drop");
}
