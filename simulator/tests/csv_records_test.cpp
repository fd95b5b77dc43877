// SPDX-License-Identifier: MIT
#include "kestsim/csv_records.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace kestsim {
namespace {

// The export's header line "序号,卡号,时间,标记 " in GBK.
const std::string kGbkHeader = "\xD0\xF2\xBA\xC5,\xBF\xA8\xBA\xC5,\xCA\xB1\xBC\xE4,\xB1\xEA\xBC\xC7 \n";

TEST(CsvRecords, ReadsAnExportWithHeader)
{
    const auto records = parseCsvRecords(kGbkHeader + "00001,999 012345678901,2024/05/06 07:08:09, \n"
                                                      "00002,900 000000000042,2024/12/31 23:59:58,3\n");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], makeRecord("999 012345678901", {2024, 5, 6, 7, 8, 9}, 0));
    EXPECT_EQ(records[1], makeRecord("900 000000000042", {2024, 12, 31, 23, 59, 58}, 3));
}

TEST(CsvRecords, ToleratesCrLfBlankLinesAndATrimmedFlag)
{
    const auto records = parseCsvRecords("00001,999 012345678901,2024/05/06 07:08:09,1\r\n"
                                         "\r\n"
                                         "00002,999 012345678902,2024/05/06 07:08:10,\r\n"
                                         "00003,999 012345678903,2024/05/06 07:08:11,2");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(recordFlag(records[0]), 1);
    EXPECT_EQ(recordFlag(records[1]), 0);
    EXPECT_EQ(recordFlag(records[2]), 2);
    EXPECT_EQ(recordCardNumber(records[2]), "999 012345678903");
}

TEST(CsvRecords, EmptyOrHeaderOnlyMeansNoRecords)
{
    EXPECT_TRUE(parseCsvRecords("").empty());
    EXPECT_TRUE(parseCsvRecords(kGbkHeader).empty());
}

TEST(CsvRecords, NamesTheLineOfAMalformedRow)
{
    struct BadRow {
        const char *row;
        const char *reasonPart;
    };
    const BadRow rows[] = {
        {"00002,999 01234567890,2024/05/06 07:08:09, ", "16 characters"},
        {"00002,999 012345678901,2024-05-06 07:08:09, ", "YYYY/MM/DD"},
        {"00002,999 012345678901,2024/02/30 07:08:09, ", "real date"},
        {"00002,999 012345678901,2024/05/06 24:00:00, ", "real date"},
        {"00002,999 012345678901,2024/05/06 07:08:09,4", "flag"},
        {"00002,999 012345678901,2024/05/06 07:08:09,x", "flag"},
        {"00002,999 012345678901,2024/05/06 07:08:09", "4 fields"},
        {"00002,999 012345678901,2024/05/06 07:08:09, ,", "4 fields"},
    };
    for (const auto &bad : rows) {
        SCOPED_TRACE(bad.row);
        try {
            parseCsvRecords(kGbkHeader + "00001,999 012345678901,2024/05/06 07:08:09, \n" + bad.row + "\n");
            ADD_FAILURE() << "accepted";
        } catch (const CsvError &error) {
            EXPECT_EQ(error.line(), 3u);
            EXPECT_NE(error.reason().find(bad.reasonPart), std::string::npos) << error.what();
        }
    }
}

TEST(CsvRecords, LoadsFromAFileAndNamesItInErrors)
{
    char path[] = "/tmp/kestsim-csv-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    {
        std::ofstream(path, std::ios::binary) << kGbkHeader << "00001,999 012345678901,2024/05/06 07:08:09,1\n";
    }
    EXPECT_EQ(loadCsvRecords(path).size(), 1u);
    {
        std::ofstream(path, std::ios::binary) << "00001,999,2024/05/06 07:08:09,1\n";
    }
    try {
        loadCsvRecords(path);
        ADD_FAILURE() << "accepted";
    } catch (const CsvError &error) {
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos);
    }
    ::unlink(path);
    EXPECT_THROW(loadCsvRecords(path), std::runtime_error);
}

} // namespace
} // namespace kestsim
