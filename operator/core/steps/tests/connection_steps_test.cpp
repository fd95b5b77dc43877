// SPDX-License-Identifier: MIT
// Connecting, disconnecting, closing, and the field checks on closing.
#include <optional>
#include <string>
#include <vector>

#include "steps_fixture.h"

namespace kestrix::test {

namespace {
using S = KestrixController;
} // namespace

TEST_F(StepsTest, ConnectSaysWhetherTheReaderAnswered)
{
    // The port folder holds no port yet: every port is named with its reason.
    press(&S::connect);
    std::string failed = "连接失败！";
    for (int n = 3; n <= 9; ++n)
        failed += "\nCOM" + std::to_string(n) + "：没有此端口";
    EXPECT_EQ(said(), std::vector<std::string>{failed});
    toolkit.forget();

    auto &com5 = addReader(10, 5);
    press(&S::connect);
    EXPECT_EQ(said(), std::vector<std::string>{"连接成功！"});
    ASSERT_EQ(toolkit.messages.size(), 1u);
    EXPECT_EQ(toolkit.messages[0].icon, MessageIcon::None);

    // Pressing it again searches from COM3 again.
    auto &com3 = addReader(10, 3);
    press(&S::connect);
    com3.clearRequests();
    com5.clearRequests();
    press(&S::queryCount);
    EXPECT_EQ(com3.requestCount(), 1u);
    EXPECT_EQ(com5.requestCount(), 0u);
}

TEST_F(StepsTest, DisconnectShowsNothingAndCommandsThenFail)
{
    press(&S::disconnect);
    EXPECT_TRUE(said().empty()) << "nothing was connected, and nothing is said";

    auto &reader = connectedReader(10);
    press(&S::disconnect);
    EXPECT_TRUE(said().empty());
    press(&S::queryCount);
    EXPECT_EQ(said(), std::vector<std::string>{"查询数目失败！"});
    EXPECT_EQ(reader.requestCount(), 0u);
}

TEST_F(StepsTest, CloseButtonChecksTheFieldsFirst)
{
    type(Field::SingleNumber, "0");
    press(&S::closeChecked);
    EXPECT_EQ(said(), std::vector<std::string>{"请输入一个介于 1 和 20000 之间的整数。"});
    EXPECT_FALSE(view.closed) << "a field that fails keeps the dialog open";
    EXPECT_EQ(view.selected, Field::SingleNumber);

    type(Field::SingleNumber, "7");
    press(&S::closeChecked);
    EXPECT_TRUE(view.closed);
}

TEST_F(StepsTest, CloseBoxEndsTheDialogWithoutChecking)
{
    type(Field::SingleNumber, "0");
    press(&S::escape);
    EXPECT_TRUE(view.closed);
    EXPECT_TRUE(said().empty());
    EXPECT_FALSE(view.selected.has_value());
}

TEST_F(StepsTest, FieldChecksStopAtTheFirstBadField)
{
    struct Case {
        const char *single, *start, *end;
        const char *message; // nullptr: all good
        std::optional<Field> focus;
    };
    const Case cases[] = {
        {"abc", "0", "0", "请输入一个整数。", Field::SingleNumber},
        {"5", "20001", "x", "请输入一个介于 1 和 20000 之间的整数。", Field::RangeStart},
        {"5", "2", "", "请输入一个整数。", Field::RangeEnd},
        {" 12 ", "3", "4", nullptr, std::nullopt},
    };
    DialogFields fields;
    for (const auto &c : cases) {
        toolkit.forget();
        view.selected.reset();
        type(Field::SingleNumber, c.single);
        type(Field::RangeStart, c.start);
        type(Field::RangeEnd, c.end);
        const std::string what = std::string(c.single) + "/" + c.start + "/" + c.end;
        EXPECT_EQ(fetchFields(view, toolkit, fields), c.message == nullptr) << what;
        EXPECT_EQ(said(), c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{}) << what;
        EXPECT_EQ(view.selected, c.focus) << what;
    }
    EXPECT_EQ(fields.singleNumber, 12);
    EXPECT_EQ(fields.rangeStart, 3);
    EXPECT_EQ(fields.rangeEnd, 4);
}

TEST_F(StepsTest, KeyTextHoldsAtMostFifteenCharacters)
{
    struct Case {
        const char *text;
        bool ok;
    };
    const Case cases[] = {
        {"0123456789abcdefg", false},
        {"0123456789abcdef", false},
        {"0123456789abcde", true},
        // Characters are counted, not the bytes of their UTF-8.
        {"一二三四五六七八九十一二三四五", true},
        {"一二三四五六七八九十一二三四五六", false},
    };
    for (const auto &c : cases) {
        toolkit.forget();
        view.selected.reset();
        type(Field::KeyText, c.text);
        DialogFields fields;
        EXPECT_EQ(fetchFields(view, toolkit, fields), c.ok) << c.text;
        if (c.ok) {
            EXPECT_TRUE(said().empty()) << c.text;
            EXPECT_EQ(fields.keyText, c.text);
        } else {
            EXPECT_EQ(said(), std::vector<std::string>{"请输入不超过 15 个字符。"}) << c.text;
            EXPECT_EQ(view.selected, Field::KeyText) << c.text;
        }
    }
}

} // namespace kestrix::test
