// SPDX-License-Identifier: MIT
// The Windows toolkit (kestrix_toolkit_probe.exe: the real Win32Toolkit, its
// real message boxes and common file dialogs over a window of the probe,
// answered by a thread of the probe as a user would) under Wine. The probe
// under test is named by KESTRIX_TOOLKIT_PROBE; the build registers this once
// for the 64-bit and once for the 32-bit build.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "probe_hex.h"
#include "messages.h"
#include "kestrix_testing/wine/probe_process.h"
#include "kestrix_testing/wine/wine_session.h"

namespace kestrix {
namespace {

using kestrix::test::hex;
using kestrix::test::unhex;
using kestrix::test::words;

namespace fs = std::filesystem;
using kestlink::test::ProbeProcess;

std::vector<std::string> unhexList(const std::string &text)
{
    std::vector<std::string> items;
    if (text == "-")
        return items;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, ',');)
        items.push_back(unhex(item));
    return items;
}

// The Windows name Wine gives a Linux path: drive Z: is the root.
std::string windowsName(const fs::path &path)
{
    std::string name = "Z:";
    name += fs::absolute(path).string();
    for (char &c : name)
        if (c == '/')
            c = '\\';
    return name;
}

void touch(const fs::path &path) { std::ofstream(path, std::ios::binary) << "1,2\n"; }

// A message box as the probe's helper found it.
struct Box {
    std::string caption, text, icon, buttons;
    bool owned = false;
};

Box boxFrom(const std::vector<std::string> &w, std::size_t first)
{
    if (w.size() < first + 5)
        return {};
    return {unhex(w[first]), unhex(w[first + 1]), w[first + 2], w[first + 3], w[first + 4] == "1"};
}

// A file dialog: what it returned, and what the helper saw of it.
struct FileDialog {
    std::optional<std::string> chosen;
    std::vector<std::string> filters, listing, prompts;
    bool owned = false;
    std::string line;
};

class ToolkitUnderWineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char *probePath = std::getenv("KESTRIX_TOOLKIT_PROBE");
        ASSERT_TRUE(probePath != nullptr && *probePath != '\0')
            << "KESTRIX_TOOLKIT_PROBE is not set: the build sets it for the tests under Wine";
        if (const auto why = kestlink::test::WineSession::whyNotRunnable(probePath); !why.empty())
            GTEST_SKIP() << why;
        scratch = fs::temp_directory_path() / ("kestrix-toolkit-" + std::to_string(::getpid()));
        fs::remove_all(scratch);
        fs::create_directories(scratch);
        probe = std::make_unique<ProbeProcess>(probePath);
        // The file dialogs open in the probe's current folder.
        ASSERT_EQ(probe->call("cd " + hex(windowsName(scratch))), "ok");
    }
    void TearDown() override
    {
        probe.reset();
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
    }

    Box message(const std::string &text, const std::string &icon)
    {
        const std::string line = probe->call("message " + hex(text) + " " + icon);
        return boxFrom(words(line), 0);
    }

    // The answer the toolkit gave, and the box.
    std::pair<bool, Box> ask(const std::string &text, bool pressYes)
    {
        const auto w = words(probe->call("ask " + hex(text) + (pressYes ? " 1" : " 0")));
        return {!w.empty() && w[0] == "1", boxFrom(w, 1)};
    }

    // The name typed (none: Cancel pressed); replace: the answer to a
    // question whether to replace a file.
    FileDialog fileDialog(const std::string &verb, const std::optional<std::string> &typed, bool replace = true)
    {
        FileDialog d;
        d.line = probe->call(verb + " " + (typed ? hex(*typed) : std::string("-")) + (replace ? " yes" : " no"));
        const auto w = words(d.line);
        if (w.size() != 5)
            return d;
        if (w[0] != "none")
            d.chosen = unhex(w[0]);
        d.filters = unhexList(w[1]);
        d.listing = unhexList(w[2]);
        d.prompts = unhexList(w[3]);
        d.owned = w[4] == "1";
        return d;
    }

    fs::path scratch;
    std::unique_ptr<ProbeProcess> probe;
};

// --- Message boxes and questions -------------------------------------------

TEST_F(ToolkitUnderWineTest, MessageBoxShowsTheProgramsCaptionTheExactTextAndTheIcon)
{
    struct Case {
        std::string text, icon;
    };
    const std::string longText(300, 'x');
    std::string longChinese;
    for (int i = 0; i < 100; ++i)
        longChinese += "卡号";
    const Case cases[] = {
        {text::kFileSaved, "none"},
        {"连接成功！", "information"},
        {"读卡器没有回应\n请检查串口", "warning"}, // two lines
        {"", "none"},                              // nothing to say still shows a box
        {longText, "information"},
        {longChinese, "warning"},
        {"100% done & \"quoted\" \\ <tag>", "none"}, // what printf, markup or escapes would mangle
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40) + " / " + c.icon);
        const Box box = message(c.text, c.icon);
        EXPECT_EQ(box.caption, "Kestrix");
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(box.icon, c.icon);
        EXPECT_EQ(box.buttons, "1") << "OK alone";
        EXPECT_TRUE(box.owned) << "the box belongs to the toolkit's window";
    }
}

TEST_F(ToolkitUnderWineTest, QuestionReturnsTheButtonPressed)
{
    // Pressed in turn, so that an answer stuck on one value or left over
    // from the last question shows.
    for (bool pressYes : {true, false, false, true}) {
        SCOPED_TRACE(pressYes ? "Yes" : "No");
        const auto [said, box] = ask("是否删除读卡器中的记录？", pressYes);
        EXPECT_EQ(said, pressYes);
        EXPECT_EQ(box.caption, "Kestrix");
        EXPECT_EQ(box.text, "是否删除读卡器中的记录？");
        EXPECT_EQ(box.icon, "question");
        EXPECT_EQ(box.buttons, "6,7") << "Yes and No, no Cancel";
        EXPECT_TRUE(box.owned);
    }
}

// --- The file dialogs -------------------------------------------------------

TEST_F(ToolkitUnderWineTest, SaveReturnsTheFullWindowsNameWithTheDefaultSuffix)
{
    fs::create_directories(scratch / "报告");
    fs::create_directories(scratch / "with space");
    struct Case {
        std::string typed; // full Windows name, relative to scratch
        fs::path expected; // relative to scratch
    };
    const Case cases[] = {
        {"report", "report.csv"},        // no suffix: the default one is added
        {"报告\\记录", "报告/记录.csv"}, // a Chinese folder and name
        {"data.csv", "data.csv"},        // the suffix already there
        {"with space\\my list", "with space/my list.csv"},
        {"名单.CSV", "名单.CSV"}, // a suffix in capitals is still one
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        const FileDialog d = fileDialog("save", windowsName(scratch) + "\\" + c.typed);
        ASSERT_TRUE(d.chosen.has_value()) << d.line;
        EXPECT_EQ(*d.chosen, windowsName(scratch / c.expected));
        EXPECT_EQ(d.filters, (std::vector<std::string>{"Microsoft Excel(*.csv)", "All Files(*.*)"}));
        EXPECT_TRUE(d.prompts.empty()) << "no file to replace";
        EXPECT_TRUE(d.owned);
    }
}

TEST_F(ToolkitUnderWineTest, CancelledDialogsReturnNone)
{
    for (const std::string verb : {"save", "open"}) {
        SCOPED_TRACE(verb);
        const FileDialog d = fileDialog(verb, std::nullopt);
        EXPECT_FALSE(d.chosen.has_value()) << d.line;
        EXPECT_FALSE(d.filters.empty()) << "the dialog was shown: " << d.line;
    }
}

TEST_F(ToolkitUnderWineTest, SavingOverAnExistingFileAsksFirst)
{
    touch(scratch / "已有.csv");
    const std::string typed = windowsName(scratch / "已有");

    const FileDialog kept = fileDialog("save", typed, false);
    EXPECT_FALSE(kept.chosen.has_value()) << "No to replacing, then Cancel: " << kept.line;
    ASSERT_EQ(kept.prompts.size(), 1u) << kept.line;
    // Wine's question does not name the file ("File already exists. Do you
    // want to replace it?"); it is asked only for a file that is there.
    EXPECT_FALSE(kept.prompts[0].empty());

    const FileDialog replaced = fileDialog("save", typed, true);
    ASSERT_TRUE(replaced.chosen.has_value()) << replaced.line;
    EXPECT_EQ(*replaced.chosen, windowsName(scratch / "已有.csv"));
    EXPECT_EQ(replaced.prompts.size(), 1u) << replaced.line;
}

TEST_F(ToolkitUnderWineTest, OpenReturnsTheChosenFileAndListsOnlyCsvFiles)
{
    touch(scratch / "cmp.csv");
    touch(scratch / "比对.csv");
    touch(scratch / "notes.txt");
    fs::create_directories(scratch / "sub");
    for (const std::string name : {"cmp.csv", "比对.csv"}) {
        SCOPED_TRACE(name);
        const FileDialog d = fileDialog("open", windowsName(scratch / name));
        ASSERT_TRUE(d.chosen.has_value()) << d.line;
        EXPECT_EQ(*d.chosen, windowsName(scratch / name));
        EXPECT_EQ(d.filters, (std::vector<std::string>{"Compare Files(*.csv)", "All Files(*.*)"}));
        // The first file type applies: its pattern, not the text shown.
        EXPECT_EQ(d.listing, (std::vector<std::string>{"cmp.csv", "sub", "比对.csv"}));
        EXPECT_TRUE(d.prompts.empty());
        EXPECT_TRUE(d.owned);
    }
}

// --- Tasks, time, waits -----------------------------------------------------

TEST_F(ToolkitUnderWineTest, TasksPostedFromAWorkerRunOnTheWindowsThreadInOrder)
{
    struct Case {
        int tasks;
        std::string answer;
    };
    const Case cases[] = {{1, "ran 0 1"}, {5, "ran 0,1,2,3,4 1"}};
    for (const auto &c : cases)
        EXPECT_EQ(probe->call("post " + std::to_string(c.tasks)), c.answer);
    // After its window has gone, a task is dropped, and freed.
    EXPECT_EQ(probe->call("dropped"), "ran 0 freed");
}

TEST_F(ToolkitUnderWineTest, LocalTimeIsTheClocksNow)
{
    const std::time_t before = std::time(nullptr);
    const auto w = words(probe->call("time"));
    const std::time_t after = std::time(nullptr);
    ASSERT_EQ(w.size(), 6u);
    std::tm shown{};
    shown.tm_year = std::stoi(w[0]) - 1900;
    shown.tm_mon = std::stoi(w[1]) - 1;
    shown.tm_mday = std::stoi(w[2]);
    shown.tm_hour = std::stoi(w[3]);
    shown.tm_min = std::stoi(w[4]);
    shown.tm_sec = std::stoi(w[5]);
    shown.tm_isdst = -1;
    const std::time_t t = std::mktime(&shown);
    // Both sides read the same clock in the same time zone.
    EXPECT_LE(before, t);
    EXPECT_LE(t, after);
}

TEST_F(ToolkitUnderWineTest, SleepWaitsAtLeastAsLongAsAskedAndBeepReturns)
{
    for (int ms : {0, 1, 150})
        EXPECT_GE(std::stoi(probe->call("sleep " + std::to_string(ms))), ms) << ms;
    EXPECT_EQ(probe->call("beep"), "ok");
}

} // namespace
} // namespace kestrix
