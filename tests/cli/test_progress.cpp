// SPDX-License-Identifier: MIT
#include "cli/Progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

TEST(ProgressTexts, NumbersSizesAndDurations) {
    EXPECT_EQ(GroupedNumber(0), "0");
    EXPECT_EQ(GroupedNumber(999), "999");
    EXPECT_EQ(GroupedNumber(1000), "1,000");
    EXPECT_EQ(GroupedNumber(1000000), "1,000,000");
    EXPECT_EQ(GroupedNumber(18446744073709551615ull), "18,446,744,073,709,551,615");

    EXPECT_EQ(ByteSize(0), "0 bytes");
    EXPECT_EQ(ByteSize(1), "1 byte");
    EXPECT_EQ(ByteSize(999), "999 bytes");
    EXPECT_EQ(ByteSize(1000), "1.0 kB");
    EXPECT_EQ(ByteSize(7000000), "7.0 MB");
    EXPECT_EQ(ByteSize(999960), "1.0 MB");
    EXPECT_EQ(ByteSize(18446744073709551615ull), "18.4 EB");

    EXPECT_EQ(Duration(0.04), "0.04 s");
    EXPECT_EQ(Duration(59.99), "59.99 s");
    EXPECT_EQ(Duration(65.5), "1:05");
    EXPECT_EQ(Duration(7387), "2:03:07");
}

TEST(ProgressTexts, LineShowsRecordsPercentRateElapsedAndLeft) {
    EXPECT_EQ(ProgressText(250000, 1000000, 2.0),
              "250,000/1,000,000 records (25%), 125,000 records/s, 2.00 s elapsed, 6.00 s left");
    EXPECT_EQ(ProgressText(0, 1000, 0.1),
              "0/1,000 records (0%), 0 records/s, 0.10 s elapsed, time left unknown");
    EXPECT_EQ(ProgressText(1000, 1000, 0.5),
              "1,000/1,000 records (100%), 2,000 records/s, 0.50 s elapsed, 0.00 s left");
    EXPECT_EQ(ProgressText(0, 0, 0.0),
              "0/0 records (100%), 0 records/s, 0.00 s elapsed, 0.00 s left");
}

TEST(ProgressTexts, SummarySaysWhatWentWhere) {
    EXPECT_EQ(SummaryText(1000000, 7000000, "out.txt", 0.04),
              "1,000,000 records (7.0 MB) written to out.txt in 0.04 s");
    EXPECT_EQ(SummaryText(1, 7, "standard output", 0.001),
              "1 record (7 bytes) written to standard output in 0.00 s");
}

TEST(TProgress, DrawsInPlaceAndClearsOrEndsTheLine) {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* terminal = ::open_memstream(&buffer, &size);
    ASSERT_NE(terminal, nullptr);
    {
        TProgress progress(10, terminal);
        progress.Update(3);  // too soon after the start: nothing drawn
        progress.Clear();    // nothing drawn, nothing to clear
        progress.Update(10); // the end is always drawn
        progress.Update(10); // but only once
        progress.Clear();
        progress.Finish(); // the line is gone: no line end
    }
    {
        TProgress progress(0, terminal);
        progress.Update(0);
        progress.Finish();
    }
    std::fclose(terminal);
    const std::string written(buffer, size);
    std::free(buffer);
    ASSERT_EQ(written.rfind("\r10/10 records (100%), ", 0), 0u) << written;
    const std::size_t first = written.find("\x1b[K");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(written.substr(first, 8), "\x1b[K\r\x1b[K\r");
    EXPECT_NE(written.find("0/0 records (100%)", first), std::string::npos);
    EXPECT_EQ(written.substr(written.size() - 4), "\x1b[K\n");
}
