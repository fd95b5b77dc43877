// SPDX-License-Identifier: MIT
// The operator's one dialog on Windows: template 102 from the resources,
// each button routed to the operator's step of the same name
// (KestrixController), and the view those steps work through. The list is a
// virtual (owner-data) list-view over the steps' rows, so that 65,535 rows
// cost no more than their bytes.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "kestrix_controller.h"
#include "view.h"
#include "win32_toolkit.h"

namespace kestrix {

class CKestrixDlg : public View {
public:
    CKestrixDlg(Win32Toolkit &toolkit, CompareTable &compareTable);
    ~CKestrixDlg() override;
    CKestrixDlg(const CKestrixDlg &) = delete;
    CKestrixDlg &operator=(const CKestrixDlg &) = delete;

    // The program's way: the dialog modal until it closes.
    INT_PTR runModal(HINSTANCE instance);
    // A test's way: the dialog without its own loop; the caller pumps
    // messages through IsDialogMessage and ends it with destroy().
    HWND createModeless(HINSTANCE instance);
    void destroy();

    HWND window() const { return window_; }
    KestrixController &controller() const { return *controller_; }

    // View.
    std::string fieldText(Field field) const override;
    void setFieldText(Field field, const std::string &text) override;
    void selectField(Field field) override;
    void rowsAppended(std::size_t first, std::size_t count) override;
    void rowsReset() override;
    void setProgress(int position) override;
    void setBusy(bool busy) override;
    void closeDialog() override;

private:
    static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
    void initialise();
    void route(int id);
    void showRow(NMLVDISPINFOW &item);
    void paintMinimised();
    void dropPostedTasks();
    HWND control(int id) const { return GetDlgItem(window_, id); }

    Win32Toolkit &toolkit_;
    CompareTable &compareTable_;
    HWND window_ = nullptr;
    bool modal_ = true;
    bool busy_ = false;
    HWND focusBeforeBusy_ = nullptr;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HFONT arial_ = nullptr;
    std::wstring cell_; // the text a list cell is shown with, until the next one
    std::unique_ptr<KestrixController> controller_;
};

} // namespace kestrix
