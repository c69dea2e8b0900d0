// SPDX-License-Identifier: MIT
#include "engine/FieldTypes.h"

#include "engine/CommandLanguage.h"
#include "engine/Dates.h"
#include "engine/RandomSource.h"
#include "engine/RecordPlan.h"
#include "tests/engine/RecordDefinitions.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

/// The steps from one state to another, or UINT64_MAX beyond 100000.
std::uint64_t StepsBetween(std::uint32_t from, std::uint32_t to) {
    for (std::uint64_t steps = 0; steps < 100000; ++steps) {
        if (from == to) {
            return steps;
        }
        DrawBelow(from, 1);
    }
    return UINT64_MAX;
}

// Every row of the table is read by the parser, the record writer, the draw count and the
// record plan: a field of each type, parsed from its own switch, must come out with the
// length and the draws its row promises, the same in all four.
TEST(FieldTypesTest, EveryRowMeansTheSameEverywhere) {
    TDateFormatGuard guard;
    SystemDateFormat = "yyyy-mm-dd";
    for (const TTextTypeOpt& opt : TextTypeOpts) {
        if (opt.Kind == TFieldKind::None) {
            EXPECT_EQ(TextTypeOfLetter(opt.Arg.empty() ? '?' : opt.Arg[1]), ttNone);
            continue;
        }
        SCOPED_TRACE(std::string(opt.Caption));
        ASSERT_EQ(opt.Arg.size(), 3u);
        EXPECT_EQ(TextTypeOfLetter(opt.Arg[1]), opt.TextType);
        // Value fields five characters wide, each with a string it can give values of.
        const std::map<TTextType, std::string> values{{ttCounter, "5,7"},
                                                      {ttRange, "5,1..99"},
                                                      {ttList, "5,a|bb*2"},
                                                      {ttFileLine, "5," + WordFilePath()}};
        const std::string value = opt.Kind == TFieldKind::Date          ? "1990,2020"
                                  : opt.Kind == TFieldKind::Value       ? values.at(opt.TextType)
                                  : opt.Pool == TFieldPool::FieldString ? "4,abc"
                                                                        : "4";
        TVxRndParser parser;
        parser.Parse(std::string(opt.Arg) + value + " /E=N");
        ASSERT_EQ(parser.Fields().size(), 1u);
        const TFieldDef& field = parser.Fields()[0];
        EXPECT_EQ(field.TextType, opt.TextType);

        const std::uint64_t draws = opt.Kind == TFieldKind::Date    ? 3
                                    : opt.Kind == TFieldKind::Value ? (opt.TextType != ttCounter)
                                                                    : 4 * opt.DrawsPerRepetition;
        EXPECT_EQ(DrawsOfField(parser, field), draws);
        EXPECT_EQ(DrawsPerRecord(parser), draws);
        EXPECT_EQ(TVxRecordPlan(parser, true).Draws(), draws);

        Seed = 12345u;
        std::string record;
        parser.GetRecord(true, record);
        EXPECT_EQ(StepsBetween(12345u, Seed), draws);
        const std::size_t length = opt.Kind == TFieldKind::Date    ? 10
                                   : opt.Kind == TFieldKind::Value ? 5
                                   : opt.Kind == TFieldKind::Repeated
                                       ? 4 * parser.PoolOf(field).size()
                                       : 4;
        EXPECT_EQ(record.size(), length);
        const TRecords produced = GetRecords(parser, true, 12345u, 0, 1);
        EXPECT_EQ(produced.Bytes, record);
    }
}

// The window reads from the table which rows take a String and what an empty Field Size
// stands for: the types whose field has a string of its own take one, and a value field's
// natural width is 0.
TEST(FieldTypesTest, StringColumnAndEmptySizeFollowWhatAFieldIsMadeOf) {
    for (const TTextTypeOpt& opt : TextTypeOpts) {
        SCOPED_TRACE(std::string(opt.Caption));
        const bool hasString = opt.Pool == TFieldPool::FieldString ||
                               opt.Kind == TFieldKind::Date || opt.Kind == TFieldKind::Value;
        EXPECT_EQ(opt.UsesString, hasString);
        EXPECT_EQ(opt.EmptySize, opt.Kind == TFieldKind::Value ? "0" : "1");
    }
}

TEST(FieldTypesTest, LettersThatNameNoFieldType) {
    for (const char letter : {'R', 'D', 'E', 'Z', 'n', '\0'}) {
        EXPECT_EQ(TextTypeOfLetter(letter), ttNone) << letter;
    }
}

TEST(FieldTypesTest, TypesWithoutARowHaveNothing) {
    EXPECT_EQ(OptOfTextType(ttNone).Kind, TFieldKind::None);
    EXPECT_EQ(OptOfTextType(static_cast<TTextType>(200)).Kind, TFieldKind::None);
    EXPECT_EQ(CaptionOfTextType(ttNone), "");
}

} // namespace
