// SPDX-License-Identifier: MIT
#include "engine/ValueField.h"

#include "engine/CommandLanguage.h"
#include "engine/RandomSource.h"
#include "tests/engine/RecordDefinitions.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t TestSeed = 0x13579BDFu;

/// The records of a definition by GetRecord from TestSeed, without line ends.
std::vector<std::string> Values(const std::string& definition, int count) {
    TVxRndParser parser;
    parser.Parse(definition);
    Seed = TestSeed;
    std::vector<std::string> values;
    std::string line;
    for (int i = 0; i < count; ++i) {
        parser.GetRecord(false, line);
        values.push_back(line);
    }
    return values;
}

/// The message that parsing, or else preparing a run of records records, raises; empty
/// when there is none.
std::string Refusal(const std::string& definition, std::uint64_t records = 1) {
    try {
        TVxRndParser parser;
        parser.Parse(definition);
        parser.Prepare(records);
    } catch (const Exception& e) {
        return e.what();
    }
    return {};
}

struct TRefusalCase {
    const char* Definition;
    const char* Message;
};

class ValueFieldRefusalTest : public testing::TestWithParam<TRefusalCase> {};

TEST_P(ValueFieldRefusalTest, IsRefusedWithItsMessage) {
    EXPECT_EQ(Refusal(GetParam().Definition), GetParam().Message);
}

INSTANTIATE_TEST_SUITE_P(
    Definitions, ValueFieldRefusalTest,
    testing::Values(
        TRefusalCase{"/M=0,abc", "Invalid range for argument /M: abc (low..high expected)."},
        TRefusalCase{"/M=0,1..", "Invalid range for argument /M: 1.. (low..high expected)."},
        TRefusalCase{"/M=0,1...5", "Invalid range for argument /M: 1...5 (low..high expected)."},
        TRefusalCase{"/M=0,.5..1.5", "Invalid range for argument /M: .5..1.5 (low..high "
                                     "expected)."},
        TRefusalCase{"/M=0,1.5..2.", "Invalid range for argument /M: 1.5..2. (low..high "
                                     "expected)."},
        TRefusalCase{"/M=0,5..1", "Invalid range for argument /M: 5..1 (low above high)."},
        TRefusalCase{"/M=0,-1.00..-1.01",
                     "Invalid range for argument /M: -1.00..-1.01 (low above high)."},
        TRefusalCase{"/M=0,0.5..9.99",
                     "Invalid range for argument /M: 0.5..9.99 (different numbers of decimals)."},
        TRefusalCase{"/M=0,1..2.0",
                     "Invalid range for argument /M: 1..2.0 (different numbers of decimals)."},
        TRefusalCase{"/M=0,0.5..9,5",
                     "Invalid range for argument /M: 0.5..9,5 (different decimal marks)."},
        TRefusalCase{"/M=0,1..1234567890123456789", "Invalid range for argument /M: "
                                                    "1..1234567890123456789 (more than 18 "
                                                    "digits)."},
        TRefusalCase{"/M=0,0.0000000000000000001..1.0000000000000000000",
                     "Invalid range for argument /M: "
                     "0.0000000000000000001..1.0000000000000000000 (more than 18 digits)."},
        TRefusalCase{"/M=6,-999.99..0.00", "Field 1 (\"number range\"): the value -999.99 "
                                           "takes 7 characters, more than its width of 6."},
        TRefusalCase{"/N=1 /M=2,0..100", "Field 2 (\"number range\"): the value 100 takes 3 "
                                         "characters, more than its width of 2."},
        TRefusalCase{"/M=,1..2", "Invalid length for argument M."},
        TRefusalCase{"/M=-1,1..2", "Invalid length for argument M."},
        TRefusalCase{"/M", "Invalid range for argument /M:  (low..high expected)."},
        TRefusalCase{"/V=0,", "Empty list for argument /V."},
        TRefusalCase{"/V=5", "Empty list for argument /V."},
        TRefusalCase{"/V=0,a*0|b", "Invalid weight for argument /V: a*0 (a whole number from 1 "
                                   "expected)."},
        TRefusalCase{"/V=0,a|b*x", "Invalid weight for argument /V: b*x (a whole number from 1 "
                                   "expected)."},
        TRefusalCase{"/V=0,a*-2", "Invalid weight for argument /V: a*-2 (a whole number from 1 "
                                  "expected)."},
        TRefusalCase{"/V=0,a*", "Invalid weight for argument /V: a* (a whole number from 1 "
                                "expected)."},
        TRefusalCase{"/V=0,a*4294967296", "Invalid weight for argument /V: a*4294967296 (a "
                                          "whole number from 1 expected)."},
        TRefusalCase{"/V=0,a*4294967295|b",
                     "Weights for argument /V add up to more than 4294967295."},
        TRefusalCase{"/V=2,ab|abc*4|x", "Field 1 (\"random from list\"): the item \"abc\" "
                                        "takes 3 characters, more than its width of 2."},
        TRefusalCase{"/I=2,100", "Field 1 (\"counter (record number)\"): the value 100 takes 3 "
                                 "characters, more than its width of 2."},
        TRefusalCase{"/I=0,1.5", "Invalid first value for argument /I: 1.5 (a whole number of "
                                 "up to 18 digits expected)."},
        TRefusalCase{"/I=0,1234567890123456789", "Invalid first value for argument /I: "
                                                 "1234567890123456789 (a whole number of up to "
                                                 "18 digits expected)."},
        TRefusalCase{"/I=-1", "Invalid length for argument I."},
        TRefusalCase{"/I=2000000", "Invalid length for argument I."},
        TRefusalCase{"/W=0", "Missing file name for argument /W."},
        TRefusalCase{"/W=0,#", "Code sequence not valid: #"}));

// Values: widths, signs, decimal marks, and the value that fills every record alike.
struct TValueCase {
    const char* Definition;
    std::vector<std::string> Records;
};

class ValueFieldValuesTest : public testing::TestWithParam<TValueCase> {};

TEST_P(ValueFieldValuesTest, GivesTheseRecords) {
    EXPECT_EQ(Values(GetParam().Definition, static_cast<int>(GetParam().Records.size())),
              GetParam().Records);
}

INSTANTIATE_TEST_SUITE_P(
    Definitions, ValueFieldValuesTest,
    testing::Values(
        TValueCase{"/I=7 /F=1,#59", {"0000001;", "0000002;", "0000003;"}},
        TValueCase{"/I=0", {"1", "2", "3"}}, TValueCase{"/I", {"1", "2"}},
        TValueCase{"/I=", {"1", "2"}}, TValueCase{"/I=0,-2", {"-2", "-1", "0", "1", "2"}},
        TValueCase{"/I=4,-12", {"-012", "-011"}}, TValueCase{"/I=3,+8", {"008", "009", "010"}},
        TValueCase{"/I=0,999999999999999999", {"999999999999999999", "1000000000000000000"}},
        TValueCase{"/M=6,-5..-5", {"-00005", "-00005"}}, TValueCase{"/M=0,-0,50..-0,50", {"-0,50"}},
        TValueCase{"/M=0,-0.00..0.00", {"0.00"}}, TValueCase{"/M=5,1,5..1,5", {"001,5"}},
        TValueCase{"/M=3,7..7 /M=0,+3.25..3.25", {"0073.25"}},
        TValueCase{"/V=0,only", {"only", "only"}}, TValueCase{"/V=0,2*3=6*1", {"2*3=6"}},
        TValueCase{"/V=0,#97#44#98", {"a,b"}}));

// Lists: empty items, commas inside items, padding with blanks.
TEST(ValueFieldTest, ListGivesItsItems) {
    for (const auto& [definition, expected] :
         std::vector<std::pair<std::string, std::set<std::string>>>{
             {"/V=3,|x*2 /F=1,;", {"x  ;", "   ;"}},
             {"/V=0,a,b|c", {"a,b", "c"}},
             {"/V=0,||", {""}}}) {
        const std::vector<std::string> values = Values(definition, 100);
        EXPECT_EQ(std::set<std::string>(values.begin(), values.end()), expected) << definition;
    }
}

// Every value of a small range turns up, the ends included, with the decimal mark given.
TEST(ValueFieldTest, RangeGivesEveryValueInStepsOfItsLastDigit) {
    for (const auto& [definition, expected] :
         std::vector<std::pair<std::string, std::set<std::string>>>{
             {"/M=0,-0.2..0.2", {"-0.2", "-0.1", "0.0", "0.1", "0.2"}},
             {"/M=0,9,98..10,01", {"9,98", "9,99", "10,00", "10,01"}},
             {"/M=3,-2..2", {"-02", "-01", "000", "001", "002"}}}) {
        const std::vector<std::string> values = Values(definition, 400);
        EXPECT_EQ(std::set<std::string>(values.begin(), values.end()), expected) << definition;
    }
}

// The number of a range comes from one draw as DrawBelow gives it, or from two draws for a
// range of more than 2^32 values; a draw count that changed would shift every later record.
TEST(ValueFieldTest, RangeDrawsOnceUpTo2To32ValuesAndTwiceBeyond) {
    const std::vector<std::pair<std::string, std::uint64_t>> cases{
        {"/M=0,0..4294967295", 1},
        {"/M=0,0..4294967296", 2},
        {"/M=0,-999999999999999999..999999999999999999", 2},
        {"/M=0,0.000000001..9.999999999", 2},
        {"/M=0,1..1", 1}};
    for (const auto& [definition, draws] : cases) {
        TVxRndParser parser;
        parser.Parse(definition);
        EXPECT_EQ(DrawsPerRecord(parser), draws) << definition;
    }
    // One draw over 2^32 values gives the state itself.
    std::uint32_t state = TestSeed;
    DrawBelow(state, 1);
    EXPECT_EQ(Values("/M=0,0..4294967295", 1)[0], std::to_string(state));

    // Two draws: their states as one 64-bit number, scaled to the span.
    state = TestSeed;
    DrawBelow(state, 1);
    const std::uint64_t high = state;
    DrawBelow(state, 1);
    __extension__ using Wide = unsigned __int128;
    const std::uint64_t span = 1999999999999999999u;
    const auto k = static_cast<std::uint64_t>((static_cast<Wide>(high << 32 | state) * span) >> 64);
    EXPECT_EQ(Values("/M=0,-999999999999999999..999999999999999999", 1)[0],
              std::to_string(static_cast<std::int64_t>(k) - 999999999999999999));
}

// An item is drawn with one draw of the total weight as bound; the weights split the draws
// in order, with a table for small totals and a search for large ones.
TEST(ValueFieldTest, ListItemsFollowTheirWeights) {
    const std::vector<
        std::tuple<std::string, std::uint32_t, std::vector<std::pair<std::uint32_t, std::string>>>>
        cases{{"/V=0,open*3|closed|pending", 5, {{3, "open"}, {4, "closed"}, {5, "pending"}}},
              {"/V=0,a*5000|b|c*70000", 75001, {{5000, "a"}, {5001, "b"}, {75001, "c"}}}};
    for (const auto& [definition, total, bounds] : cases) {
        const std::vector<std::string> values = Values(definition, 3000);
        std::uint32_t state = TestSeed;
        for (const std::string& value : values) {
            const std::uint32_t draw = DrawBelow(state, total);
            std::string expected;
            for (const auto& [end, item] : bounds) {
                if (draw < end) {
                    expected = item;
                    break;
                }
            }
            ASSERT_EQ(value, expected) << definition;
        }
    }
}

/// Runs in a temporary folder of its own, which it removes afterwards; relative file names
/// of word files are found there.
class WordFileTest : public testing::Test {
protected:
    void SetUp() override {
        FFolder = std::filesystem::temp_directory_path() / "tabbit-test-XXXXXX";
        std::string name = FFolder.string();
        ASSERT_NE(mkdtemp(name.data()), nullptr);
        FFolder = name;
        FOld = std::filesystem::current_path();
        std::filesystem::current_path(FFolder);
    }
    void TearDown() override {
        std::filesystem::current_path(FOld);
        std::filesystem::permissions(FFolder / "locked.txt", std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, FIgnored);
        std::filesystem::remove_all(FFolder);
    }
    static void Write(const std::string& name, const std::string& bytes) {
        std::ofstream(name, std::ios::binary) << bytes;
    }

    std::filesystem::path FFolder;
    std::filesystem::path FOld;
    std::error_code FIgnored;
};

// Lines end at LF, a CR before it is dropped, a last line without LF counts, an empty line
// is a value of its own; a file of one line gives it every time.
TEST_F(WordFileTest, LinesAsTheFileHoldsThem) {
    const std::vector<std::pair<std::string, std::set<std::string>>> cases{
        {"a\r\nb\r\nc\r\n", {"a", "b", "c"}},
        {"a\nb\r\n\nlast", {"a", "b", "", "last"}},
        {"one", {"one"}},
        {"one\n", {"one"}},
        {"\n", {""}},
        {"x\r\r\n", {"x\r"}},
        {"\xE4\xF6\n\xFC", {"\xE4\xF6", "\xFC"}}};
    for (const auto& [bytes, lines] : cases) {
        Write("words.txt", bytes);
        const std::vector<std::string> values = Values("/W=0,words.txt", 200);
        EXPECT_EQ(std::set<std::string>(values.begin(), values.end()), lines)
            << testing::PrintToString(bytes);
    }
    Write("words.txt", "ab\ncde\n");
    EXPECT_EQ(std::set<std::string>({"ab   ", "cde  "}), [] {
        const std::vector<std::string> values = Values("/W=5,words.txt", 50);
        return std::set<std::string>(values.begin(), values.end());
    }());
}

TEST_F(WordFileTest, FaultsAreRefusedNamingTheFile) {
    Write("empty.txt", "");
    Write("wide.txt", "ab\nabcd\r\nabc\nabcde\nx");
    Write("locked.txt", "a\n");
    std::filesystem::create_directory("folder");
    ASSERT_EQ(mkfifo("pipe", 0600), 0);
    std::ofstream("huge.txt").close();
    std::filesystem::resize_file("huge.txt", (std::uintmax_t{256} << 20) + 1);
    EXPECT_EQ(Refusal("/W=0,missing.txt"),
              "Cannot read the word file \"missing.txt\" (No such file or directory).");
    EXPECT_EQ(Refusal("/W=0,folder"), "The word file \"folder\" is not a regular file.");
    EXPECT_EQ(Refusal("/W=0,pipe"), "The word file \"pipe\" is not a regular file.");
    EXPECT_EQ(Refusal("/W=0,empty.txt"), "The word file \"empty.txt\" is empty.");
    EXPECT_EQ(Refusal("/W=0,huge.txt"), "The word file \"huge.txt\" is larger than 256 MiB.");
    EXPECT_EQ(Refusal("/N=1 /W=4,wide.txt"),
              "Field 2 (\"random line of file\"): line 4 of \"wide.txt\" takes 5 characters, "
              "more than its width of 4.");
    EXPECT_EQ(Refusal("/W=5,wide.txt"), "");
    if (geteuid() != 0) {
        std::filesystem::permissions("locked.txt", std::filesystem::perms::none);
        EXPECT_EQ(Refusal("/W=0,locked.txt"),
                  "Cannot read the word file \"locked.txt\" (Permission denied).");
    }
}

// A name outside ASCII is the file's UTF-8 name unless the definition's bytes are the name.
TEST_F(WordFileTest, NamesAreUtf8OrTheDefinitionsBytes) {
    Write("\xC3\xA4.txt", "utf8\n");
    Write("\xE4.txt", "bytes\n");
    EXPECT_EQ(Values("/W=0,\xE4.txt", 1)[0], "utf8");
    TVxRndParser parser;
    parser.Parse("/W=0,\xE4.txt");
    parser.Prepare(1, true);
    std::string line;
    parser.GetRecord(false, line);
    EXPECT_EQ(line, "bytes");
}

// The file is read once, before the first record: a copy of the parser made for a run, as
// the window makes one, shares what was read.
TEST_F(WordFileTest, FileIsReadOnceForTheRun) {
    Write("words.txt", "first\n");
    TVxRndParser parser;
    parser.Parse("/W=0,words.txt");
    const TVxRndParser copy = parser;
    parser.Prepare(1);
    Write("words.txt", "second\n");
    TVxRndParser run = copy;
    std::string line;
    run.GetRecord(false, line);
    EXPECT_EQ(line, "first");
}

// The counter counts the records of the whole run: its widest value is checked against the
// run's record count before the first record.
TEST(ValueFieldTest, CounterIsCheckedOverTheWholeRun) {
    EXPECT_EQ(Refusal("/I=3", 999), "");
    EXPECT_EQ(Refusal("/I=3", 1000), "Field 1 (\"counter (record number)\"): the value 1000 "
                                     "takes 4 characters, more than its width of 3.");
    EXPECT_EQ(Refusal("/I=3,-99", 200), "");
    EXPECT_EQ(Refusal("/I=3,-100", 1), "Field 1 (\"counter (record number)\"): the value -100 "
                                       "takes 4 characters, more than its width of 3.");
    EXPECT_EQ(Refusal("/I=0,999999999999999999", std::uint64_t{1} << 63),
              "Field 1 (\"counter (record number)\"): the counter runs past "
              "9223372036854775807.");
}

// GetRecord counts from the run's first record: Parse starts again at record 0, and a run
// that starts further on says so.
TEST(ValueFieldTest, GetRecordCountsFromTheRunsFirstRecord) {
    TVxRndParser parser;
    parser.Parse("/I=0,10 /E=U");
    std::string line;
    parser.GetRecord(true, line);
    parser.GetRecord(true, line);
    EXPECT_EQ(line, "11\n");
    EXPECT_EQ(parser.NextRecord(), 2u);
    parser.Parse("/I=0,10 /E=U");
    parser.GetRecord(true, line);
    EXPECT_EQ(line, "10\n");
    parser.SetNextRecord(90);
    parser.GetRecord(false, line);
    EXPECT_EQ(line, "100");
    std::string field;
    parser.GetField(parser.Fields()[0], field);
    EXPECT_EQ(field, "101");
}

// A counter that outgrows its width record by record, as GetRecord goes on past the run it
// was checked for, is refused rather than written wider.
TEST(ValueFieldTest, GetRecordNeverWritesACounterWiderThanItsWidth) {
    TVxRndParser parser;
    parser.Parse("/I=1,8 /E=U");
    std::string line;
    parser.GetRecord(true, line);
    parser.GetRecord(true, line);
    EXPECT_EQ(line, "9\n");
    EXPECT_THROW(parser.GetRecord(true, line), Exception);
}

} // namespace
