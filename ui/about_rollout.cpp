// The About rollout of VorlithDlg: the logo, in its own pixels, in the middle of the rollout.
#include "vorlith_dlg.h"

#include "resource.h"

// The logo's size in pixels.
static const int kLogoWidth = 160;
static const int kLogoHeight = 56;

INT_PTR VorlithDlg::AboutMessage(HWND hwnd, UINT msg, WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    switch (msg) {
    case WM_INITDIALOG: {
        HWND logo = GetDlgItem(hwnd, IDC_ABOUT_LOGO);
        if (logo) {
            // The logo in its own pixels, in the middle of the rollout.
            RECT client;
            GetClientRect(hwnd, &client);
            SetWindowPos(logo, NULL, (client.right - kLogoWidth) / 2,
                         (client.bottom - kLogoHeight) / 2, kLogoWidth, kLogoHeight,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        logoControl = GetICustImage(logo);
        if (!logoImages) {
            logoImages = ImageList_Create(kLogoWidth, kLogoHeight, ILC_COLOR24, 1, 0);
            HBITMAP bitmap = LoadBitmap(hInstance, MAKEINTRESOURCE(IDB_LOGO));
            if (logoImages && bitmap) ImageList_Add(logoImages, bitmap, NULL);
            if (bitmap) DeleteObject(bitmap);
        }
        if (logoControl && logoImages)
            logoControl->SetImage(logoImages, 0, kLogoWidth, kLogoHeight);
        return TRUE;
    }
    case WM_DESTROY:
        ReleaseAboutImage();
        aboutRollout = NULL;
        break;
    }
    return FALSE;
}

void VorlithDlg::ReleaseAboutImage()
{
    if (!logoControl) return;
    logoControl->SetImage(NULL, 0, 0, 0);
    ReleaseICustImage(logoControl);
    logoControl = NULL;
}
