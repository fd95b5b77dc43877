// SPDX-License-Identifier: MIT
#include "dialog_rc.h"

#include <string_view>
#include <vector>

namespace kestrix {

namespace {

using K = ControlKind;

// A string as the resource compiler reads it back: a quote doubled and a
// backslash escaped; control characters have no place in a caption.
std::string quoted(std::string_view text, int id)
{
    std::string out = "\"";
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            throw DialogScriptError("control " + std::to_string(id) + ": a control character in its caption");
        if (c == '"')
            out += "\"\"";
        else if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out + "\"";
}

std::string rectOf(const DialogRect &r)
{
    return std::to_string(r.x) + ", " + std::to_string(r.y) + ", " + std::to_string(r.width) + ", " +
           std::to_string(r.height);
}

// The flags each kind can carry; the generic ones (Hidden, and the font the
// dialog sets when it starts) apply to all.
unsigned flagsAllowed(ControlKind kind)
{
    const unsigned generic = Hidden | ArialFont16;
    switch (kind) {
    case K::Button: return generic | DefaultButton;
    case K::Edit: return generic | ReadOnly | Centred;
    case K::ListView:
    case K::ProgressBar:
    case K::Label: return generic;
    }
    return 0;
}

// The styles joined with " | ", the visible bit taken away for a hidden
// control (the statements' own defaults carry the rest: visible, a child,
// a tab stop where the kind takes one).
std::string styles(std::vector<std::string> named, unsigned flags)
{
    if (flags & Hidden)
        named.push_back("NOT WS_VISIBLE");
    std::string out;
    for (const std::string &s : named)
        out += (out.empty() ? "" : " | ") + s;
    return out;
}

std::string statementOf(const ControlTemplate &c)
{
    const std::string id = std::to_string(c.id), rect = rectOf(c.units);
    if (c.flags & ~flagsAllowed(c.kind))
        throw DialogScriptError("control " + id + ": a flag its kind cannot carry");
    const std::string caption = quoted(c.caption ? c.caption : "", c.id);
    auto withStyle = [](const std::string &head, const std::string &style) {
        return style.empty() ? head : head + ", " + style;
    };
    switch (c.kind) {
    case K::Button:
        return withStyle(((c.flags & DefaultButton) ? "DEFPUSHBUTTON   " : "PUSHBUTTON      ") + caption + ", " + id +
                             ", " + rect,
                         styles({}, c.flags));
    case K::Label: return withStyle("LTEXT           " + caption + ", " + id + ", " + rect, styles({}, c.flags));
    case K::Edit: {
        if (caption != "\"\"")
            throw DialogScriptError("control " + id + ": an edit control takes no text from the template");
        std::vector<std::string> style;
        if (c.flags & Centred)
            style.push_back("ES_CENTER");
        style.push_back("ES_AUTOHSCROLL");
        if (c.flags & ReadOnly)
            style.push_back("ES_READONLY");
        return "EDITTEXT        " + id + ", " + rect + ", " + styles(style, c.flags);
    }
    case K::ListView:
        // Owner data: the list asks the dialog for each row it shows.
        return "CONTROL         " + caption + ", " + id + ", \"SysListView32\", " +
               styles({"LVS_REPORT", "LVS_OWNERDATA", "LVS_SHOWSELALWAYS", "WS_BORDER", "WS_TABSTOP"}, c.flags) + ", " +
               rect;
    case K::ProgressBar:
        return "CONTROL         " + caption + ", " + id + ", \"msctls_progress32\", " +
               styles({"PBS_SMOOTH", "WS_BORDER"}, c.flags) + ", " + rect;
    }
    throw DialogScriptError("control " + id + ": an unknown kind");
}

} // namespace

std::string dialogScriptOf(const DialogTemplate &dialog)
{
    std::string out = "// The dialog template, written at build time from the dialog table\n"
                      "// (operator/core/model/main_dialog.cpp): change the table, not this file.\n"
                      "#pragma code_page(65001)\n\n";
    out += std::to_string(dialog.id) + " DIALOGEX 0, 0, " + std::to_string(dialog.width) + ", " +
           std::to_string(dialog.height) + "\n";
    out += "STYLE DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | "
           "WS_MINIMIZEBOX\n"
           "EXSTYLE WS_EX_APPWINDOW\n";
    out += "CAPTION " + quoted(dialog.title, dialog.id) + "\n";
    // 0x86: GB2312, the character set of the captions and of the font.
    out += "FONT " + std::to_string(dialog.fontPoints) + ", " + quoted(dialog.fontName, dialog.id) + ", 0, 0, 0x86\n";
    out += "BEGIN\n";
    for (const ControlTemplate &c : dialog.controls)
        out += "    " + statementOf(c) + "\n";
    return out + "END\n";
}

} // namespace kestrix
