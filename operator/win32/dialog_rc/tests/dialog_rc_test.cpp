// SPDX-License-Identifier: MIT
// The dialog template the build writes for kestrix.rc, compiled by the real
// resource compiler and read back as Windows will load it: the dialog table,
// control for control, in table order (the tab order), with each control's
// id, kind, text, rectangle and styles.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "compiled_dialog.h"
#include "dialog_rc.h"
#include "kestrix_testing/child_process.h"
#include "kestrix_testing/test_files.h"

namespace kestrix {
namespace {

using K = ControlKind;
using test::CompiledControl;
using test::CompiledDialog;

// The few style bits of windows.h and commctrl.h the tests look at.
constexpr std::uint32_t kChild = 0x40000000, kVisible = 0x10000000, kTabStop = 0x00010000, kBorder = 0x00800000;
constexpr std::uint32_t kSetFont = 0x40, kCaption = 0x00C00000;
constexpr std::uint32_t kDefPushButton = 0x1, kButtonType = 0xF;
constexpr std::uint32_t kEsCenter = 0x1, kEsAutoHScroll = 0x80, kEsReadOnly = 0x800;
constexpr std::uint32_t kLvsReport = 0x1, kLvsShowSelAlways = 0x8, kLvsOwnerData = 0x1000;
constexpr std::uint32_t kPbsSmooth = 0x1;
constexpr int kGb2312Charset = 0x86;

// The class and the styles a control of the table's kind and flags must
// have been compiled with.
struct Expected {
    const char *windowClass;
    std::uint32_t set, clear;
};

Expected expectedOf(const ControlTemplate &c)
{
    const auto on = [&](unsigned flag, std::uint32_t style) { return (c.flags & flag) ? style : 0u; };
    const auto off = [&](unsigned flag, std::uint32_t style) { return (c.flags & flag) ? 0u : style; };
    const std::uint32_t visible = off(Hidden, kVisible), hidden = on(Hidden, kVisible);
    switch (c.kind) {
    case K::Button:
        return {"Button", kChild | kTabStop | visible | on(DefaultButton, kDefPushButton),
                hidden | off(DefaultButton, kDefPushButton)};
    case K::Edit:
        return {"Edit",
                kChild | kTabStop | kBorder | kEsAutoHScroll | visible | on(Centred, kEsCenter) |
                    on(ReadOnly, kEsReadOnly),
                hidden | off(Centred, kEsCenter) | off(ReadOnly, kEsReadOnly)};
    case K::Label: return {"Static", kChild | visible, hidden | kTabStop};
    case K::ListView:
        return {"SysListView32", kChild | kTabStop | kBorder | visible | kLvsReport | kLvsOwnerData | kLvsShowSelAlways,
                hidden};
    case K::ProgressBar: return {"msctls_progress32", kChild | kBorder | visible | kPbsSmooth, hidden};
    }
    return {"?", 0, 0};
}

std::string upper(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// Where the compiled dialog differs from the table, one line each.
std::vector<std::string> differences(const DialogTemplate &table, const CompiledDialog &compiled)
{
    std::vector<std::string> found;
    auto expect = [&](bool same, const std::string &what) {
        if (!same)
            found.push_back(what);
    };
    expect(compiled.title == table.title, "caption \"" + compiled.title + "\"");
    expect(compiled.width == table.width && compiled.height == table.height, "size");
    expect(compiled.fontName == table.fontName && compiled.fontPoints == table.fontPoints, "font");
    expect(compiled.charset == kGb2312Charset, "character set " + std::to_string(compiled.charset));
    expect((compiled.style & (kSetFont | kCaption)) == (kSetFont | kCaption), "frame styles");
    expect(compiled.controls.size() == table.controls.size(), std::to_string(compiled.controls.size()) +
                                                                  " controls for the table's " +
                                                                  std::to_string(table.controls.size()));
    for (std::size_t i = 0; i < std::min(compiled.controls.size(), table.controls.size()); ++i) {
        const ControlTemplate &t = table.controls[i];
        const CompiledControl &c = compiled.controls[i];
        const Expected e = expectedOf(t);
        const std::string name = "control #" + std::to_string(i + 1) + " (id " + std::to_string(t.id) + "): ";
        expect(c.id == t.id, name + "id " + std::to_string(c.id));
        // Class names are the system's in any case; the compiler writes them in capitals.
        expect(upper(c.windowClass) == upper(e.windowClass), name + "class " + c.windowClass);
        expect(c.title == t.caption, name + "text \"" + c.title + "\"");
        expect(c.x == t.units.x && c.y == t.units.y && c.width == t.units.width && c.height == t.units.height,
               name + "rectangle");
        expect((c.style & e.set) == e.set, name + "styles it lacks " + std::to_string(e.set & ~c.style));
        expect((c.style & e.clear) == 0, name + "styles it should not have " + std::to_string(c.style & e.clear));
    }
    return found;
}

std::string joined(const std::vector<std::string> &lines)
{
    std::string s;
    for (const auto &l : lines)
        s += "  " + l + "\n";
    return s;
}

class DialogScriptTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (std::string(KESTRIX_WINDRES).empty())
            GTEST_SKIP() << "no x86_64-w64-mingw32-windres here (binutils-mingw-w64): the script is not compiled";
    }

    // The script as kestrix.rc has it (after the headers the styles come
    // from), through windres, read back from the .res file.
    CompiledDialog compile(const DialogTemplate &dialog)
    {
        const std::string rc = dir_.file("dialog.rc"), res = dir_.file("dialog.res");
        test::writeFile(rc, "#include <windows.h>\n#include <commctrl.h>\n" + dialogScriptOf(dialog));
        testing::ChildProcess windres(
            {KESTRIX_WINDRES, "--input-format=rc", "--output-format=res", "-i", rc, "-o", res});
        const int status = windres.wait();
        EXPECT_EQ(status, 0) << windres.errors() << "\n" << dialogScriptOf(dialog);
        if (status != 0)
            return {};
        const auto compiled = test::compiledDialog(test::readFile(res), dialog.id);
        EXPECT_TRUE(compiled) << "no dialog " << dialog.id << " in the compiled resources";
        return compiled.value_or(CompiledDialog{});
    }

    test::TempDir dir_;
};

TEST_F(DialogScriptTest, TheMainDialogCompilesToTheTableControlForControl)
{
    const CompiledDialog compiled = compile(mainDialogTemplate());
    const auto found = differences(mainDialogTemplate(), compiled);
    EXPECT_TRUE(found.empty()) << "the compiled dialog differs from the table:\n" << joined(found);
}

// Every kind with every flag it takes, hidden and shown, and texts the
// compiler reads specially: quotes, backslashes, Chinese, a character
// outside the basic plane, the static id.
TEST_F(DialogScriptTest, EveryKindAndFlagAndAwkwardTextsSurviveTheCompiler)
{
    static constexpr ControlTemplate kControls[] = {
        {1, K::Button, "say \"yes\"", {1, 2, 30, 14}, DefaultButton, nullptr},
        {1100, K::Button, "C:\\temp\\", {1, 20, 30, 14}, Hidden, nullptr},
        {1101, K::Button, "", {1, 40, 30, 14}, DefaultButton | Hidden, nullptr},
        {1102, K::Edit, "", {40, 2, 30, 12}, ReadOnly, nullptr},
        {1103, K::Edit, "", {40, 20, 30, 12}, Centred | Hidden | ArialFont16, nullptr},
        {1104, K::Edit, "", {40, 40, 30, 12}, Centred | ReadOnly, nullptr},
        {-1, K::Label, "起始：😀", {80, 2, 30, 8}, 0, nullptr},
        {-1, K::Label, "\\n is no line end", {80, 20, 30, 8}, Hidden, nullptr},
        {1105, K::ListView, "", {120, 2, 100, 100}, Hidden, nullptr},
        {1106, K::ProgressBar, "", {120, 110, 100, 10}, 0, nullptr},
    };
    static constexpr DialogTemplate kDialog = {200, "A \"quoted\" \\ title", 230, 130, "宋体", 9, kControls};
    const auto found = differences(kDialog, compile(kDialog));
    EXPECT_TRUE(found.empty()) << "the compiled dialog differs from the table:\n" << joined(found);
}

// What the script cannot say is refused by name, never written wrong.
TEST(DialogScript, RefusesWhatTheTemplateCannotSay)
{
    const struct {
        const char *what;
        ControlTemplate control;
    } cases[] = {
        {"a line end in a caption", {1, K::Button, "two\nlines", {0, 0, 1, 1}, 0, nullptr}},
        {"a tab in a label", {-1, K::Label, "a\tb", {0, 0, 1, 1}, 0, nullptr}},
        {"text on an edit control", {1, K::Edit, "text", {0, 0, 1, 1}, 0, nullptr}},
        {"a read-only button", {1, K::Button, "b", {0, 0, 1, 1}, ReadOnly, nullptr}},
        {"a centred label", {-1, K::Label, "l", {0, 0, 1, 1}, Centred, nullptr}},
        {"a default edit control", {1, K::Edit, "", {0, 0, 1, 1}, DefaultButton, nullptr}},
    };
    for (const auto &c : cases) {
        const DialogTemplate dialog = {300, "t", 10, 10, "宋体", 9, {&c.control, 1}};
        EXPECT_THROW(dialogScriptOf(dialog), DialogScriptError) << c.what;
    }
}

TEST(DialogScriptWriter, WritesTheMainDialogAndSaysWhenItCannot)
{
    test::TempDir dir;
    testing::ChildProcess writer({KESTRIX_DIALOG_RC_WRITER, dir.file("main_dialog.rc")});
    ASSERT_EQ(writer.wait(), 0) << writer.errors();
    EXPECT_EQ(test::readFile(dir.file("main_dialog.rc")), dialogScriptOf(mainDialogTemplate()));

    testing::ChildProcess refused({KESTRIX_DIALOG_RC_WRITER, dir.file("no-such-folder/main_dialog.rc")});
    EXPECT_EQ(refused.wait(), 1);
    EXPECT_NE(refused.errors().find("cannot write"), std::string::npos) << refused.errors();
}

} // namespace
} // namespace kestrix
