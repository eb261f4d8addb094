// Parameter maps: the automatic user interface of a parameter block (declared with P_AUTO_UI
// and p_ui). The host builds none here; the declarations come with iparamb2.h.
#pragma once

#include "iparamb2.h"

class IParamMap2;

class ParamMap2UserDlgProc {
public:
    virtual ~ParamMap2UserDlgProc() { }
    virtual INT_PTR DlgProc(TimeValue t, IParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam,
                            LPARAM lParam) = 0;
    virtual void DeleteThis() = 0;
    virtual void SetThing(ReferenceTarget* m) { (void)m; }
    virtual void Update(TimeValue t) { (void)t; }
};
