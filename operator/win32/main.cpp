// SPDX-License-Identifier: MIT
// Kestrix for Windows: the dialog, modal, until it closes.
#include <windows.h>
#include <commctrl.h>

#include "compare_table.h"
#include "win32_kestrix_dlg.h"
#include "win32_toolkit.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    // The comparison list lives as long as the program.
    static kestrix::CompareTable compareTable;
    kestrix::Win32Toolkit toolkit;
    kestrix::CKestrixDlg dialog(toolkit, compareTable);
    dialog.runModal(instance);
    return 0;
}
