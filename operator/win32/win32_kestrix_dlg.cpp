// SPDX-License-Identifier: MIT
#include "win32_kestrix_dlg.h"

#include <commctrl.h>

#include <iterator>
#include <utility>

#include "control_ids.h"
#include "gbk_text.h"
#include "main_dialog.h"
#include "win32_text.h"

namespace kestrix {

namespace {

// The buttons of the template, from its one table.
template <typename Each> void forEachButton(Each each)
{
    for (const auto &t : mainDialogTemplate().controls)
        if (t.kind == ControlKind::Button)
            each(t.id);
}

} // namespace

CKestrixDlg::CKestrixDlg(Win32Toolkit &toolkit, CompareTable &compareTable)
    : toolkit_(toolkit), compareTable_(compareTable)
{
}

CKestrixDlg::~CKestrixDlg()
{
    destroy();
    if (arial_)
        DeleteObject(arial_);
}

INT_PTR CKestrixDlg::runModal(HINSTANCE instance)
{
    modal_ = true;
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_KESTRIX_DIALOG), nullptr, dialogProc,
                           reinterpret_cast<LPARAM>(this));
}

HWND CKestrixDlg::createModeless(HINSTANCE instance)
{
    modal_ = false;
    return CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_KESTRIX_DIALOG), nullptr, dialogProc,
                              reinterpret_cast<LPARAM>(this));
}

void CKestrixDlg::destroy()
{
    // The steps go first: they wait for the reader's transaction in hand.
    controller_.reset();
    if (window_ && !modal_)
        DestroyWindow(window_);
}

INT_PTR CALLBACK CKestrixDlg::dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto *self = reinterpret_cast<CKestrixDlg *>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        self->window_ = window;
        self->initialise();
        return FALSE; // the focus is set: on 关闭软件
    }
    auto *self = reinterpret_cast<CKestrixDlg *>(GetWindowLongPtrW(window, DWLP_USER));
    return self ? self->handle(message, wParam, lParam) : FALSE;
}

void CKestrixDlg::initialise()
{
    toolkit_.setOwner(window_);
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
    bigIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
    SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));

    // The two key edits are drawn in 16-point Arial.
    HDC screen = GetDC(window_);
    arial_ = CreateFontW(-MulDiv(16, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_SWISS, L"Arial");
    ReleaseDC(window_, screen);
    for (int id : {IDC_KEY_TEXT, IDC_KEY_READBACK})
        SendMessageW(control(id), WM_SETFONT, reinterpret_cast<WPARAM>(arial_), FALSE);

    HWND list = control(IDC_RECORD_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    for (int c = 0; c < kListColumnCount; ++c) {
        std::wstring title = toWide(kListColumns[c].title);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = LVCFMT_LEFT;
        column.cx = kListColumns[c].width;
        column.pszText = title.data();
        ListView_InsertColumn(list, c, &column);
    }
    SendMessageW(control(IDC_PROGRESS), PBM_SETRANGE32, 0, 100);
    SendMessageW(control(IDC_PROGRESS), PBM_SETPOS, 0, 0);

    controller_ = std::make_unique<KestrixController>(*this, toolkit_, compareTable_);
    SetFocus(control(IDOK));
}

INT_PTR CKestrixDlg::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED || lParam == 0)
            route(LOWORD(wParam));
        return TRUE;
    case WM_CLOSE: // the close box: as Esc
        if (controller_)
            controller_->escape();
        return TRUE;
    case WM_NOTIFY: {
        auto *header = reinterpret_cast<NMHDR *>(lParam);
        if (header->idFrom == IDC_RECORD_LIST && header->code == LVN_GETDISPINFOW) {
            showRow(*reinterpret_cast<NMLVDISPINFOW *>(lParam));
            return TRUE;
        }
        return FALSE;
    }
    case kRunTaskMessage: Win32Toolkit::runPosted(lParam); return TRUE;
    case WM_SETCURSOR:
        if (!busy_)
            return FALSE;
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_PAINT:
        if (!IsIconic(window_))
            return FALSE;
        paintMinimised();
        return TRUE;
    case WM_QUERYDRAGICON:
        SetWindowLongPtrW(window_, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(bigIcon_));
        return TRUE;
    case WM_QUERYENDSESSION: SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE); return TRUE;
    case WM_ENDSESSION:
        // The session ends: a download stops after the transaction in hand.
        if (wParam && controller_)
            controller_->shutdown();
        return TRUE;
    case WM_DESTROY:
        controller_.reset();
        dropPostedTasks();
        window_ = nullptr;
        return FALSE;
    default: return FALSE;
    }
}

void CKestrixDlg::route(int id)
{
    if (!controller_)
        return;
    if (id == IDCANCEL) // Esc
        return controller_->escape();
    controller_->press(id);
}

void CKestrixDlg::showRow(NMLVDISPINFOW &item)
{
    if (!(item.item.mask & LVIF_TEXT) || !controller_)
        return;
    const auto &rows = controller_->records();
    const auto index = static_cast<std::size_t>(item.item.iItem);
    if (index >= rows.size() || item.item.iSubItem < 0 || item.item.iSubItem > 3 || item.item.cchTextMax <= 0)
        return;
    // The reader's GBK bytes, by code page 936; a byte that is no character
    // shows as U+FFFD.
    const std::u16string text = gbkToUtf16(columnText(rows[index], item.item.iSubItem));
    cell_.assign(text.begin(), text.end());
    lstrcpynW(item.item.pszText, cell_.c_str(), item.item.cchTextMax);
}

void CKestrixDlg::paintMinimised()
{
    // Where the desktop paints minimised windows, the icon sits centred.
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    RECT area;
    GetClientRect(window_, &area);
    const int side = GetSystemMetrics(SM_CXICON);
    DrawIcon(dc, (area.right - area.left - side + 1) / 2, (area.bottom - area.top - side + 1) / 2, bigIcon_);
    EndPaint(window_, &paint);
}

void CKestrixDlg::dropPostedTasks()
{
    // Tasks posted for a window that is going never run; their copies go.
    MSG pending;
    while (PeekMessageW(&pending, window_, kRunTaskMessage, kRunTaskMessage, PM_REMOVE))
        delete reinterpret_cast<std::function<void()> *>(pending.lParam);
}

// ---- the view ----------------------------------------------------------------

std::string CKestrixDlg::fieldText(Field field) const
{
    HWND edit = control(editIdOf(field));
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    const int n = GetWindowTextW(edit, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    return toUtf8(text);
}

void CKestrixDlg::setFieldText(Field field, const std::string &text)
{
    SetWindowTextW(control(editIdOf(field)), toWide(text).c_str());
}

void CKestrixDlg::selectField(Field field)
{
    HWND edit = control(editIdOf(field));
    SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
    SendMessageW(edit, EM_SETSEL, 0, -1);
}

void CKestrixDlg::rowsAppended(std::size_t, std::size_t)
{
    HWND list = control(IDC_RECORD_LIST);
    ListView_SetItemCountEx(list, static_cast<int>(controller_ ? controller_->records().size() : 0),
                            LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

void CKestrixDlg::rowsReset()
{
    HWND list = control(IDC_RECORD_LIST);
    ListView_SetItemCountEx(list, static_cast<int>(controller_ ? controller_->records().size() : 0), LVSICF_NOSCROLL);
    InvalidateRect(list, nullptr, TRUE);
}

void CKestrixDlg::setProgress(int position) { SendMessageW(control(IDC_PROGRESS), PBM_SETPOS, position, 0); }

void CKestrixDlg::setBusy(bool busy)
{
    // A disabled button gives its focus away; it comes back afterwards.
    if (busy)
        focusBeforeBusy_ = GetFocus();
    busy_ = busy;
    // Every button starts work or closes the dialog; while the reader works,
    // none takes a click, and Enter has no default button to press.
    forEachButton([this, busy](int id) { EnableWindow(control(id), !busy); });
    if (!busy && focusBeforeBusy_ && IsWindow(focusBeforeBusy_))
        SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focusBeforeBusy_), TRUE);
    if (!busy)
        focusBeforeBusy_ = nullptr;
    // The cursor changes at once, not at the mouse's next move.
    POINT at;
    GetCursorPos(&at);
    SetCursorPos(at.x, at.y);
}

void CKestrixDlg::closeDialog()
{
    if (modal_)
        EndDialog(window_, IDOK);
    else
        ShowWindow(window_, SW_HIDE);
}

} // namespace kestrix
