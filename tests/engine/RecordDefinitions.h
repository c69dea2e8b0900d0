// SPDX-License-Identifier: MIT
#pragma once

#include "engine/CommandLanguage.h"
#include "engine/Dates.h"
#include "engine/Exceptions.h"
#include "engine/RandomSource.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Definitions that reach every way a record can be made (every field type, counts of 0, 1
// and many, empty and irregular pools, dates of fixed and varying width, reversed ranges,
// the three line ends), and the records GetRecord makes of them, for comparing the faster
// producers with it.

struct TRecordDefinition {
    const char* Name;
    std::string Command;
    std::string DateFormat = "yyyy-mm-dd";
};

inline void PrintTo(const TRecordDefinition& definition, std::ostream* os) {
    *os << definition.Name;
}

/// A word file of five lines in a folder of its own under the temporary folder, written
/// once per test program: a line ending in CR LF, lines ending in LF, an empty line and a
/// last line without a line end. Its name holds no blank, so it can stand in a definition.
inline const std::string& WordFilePath() {
    static const std::string path = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string folder =
            std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tabbit-words.XXXXXX";
        if (mkdtemp(folder.data()) == nullptr) {
            return std::string("/nonexistent/words.txt");
        }
        const std::string file = folder + "/words.txt";
        std::ofstream(file, std::ios::binary) << "alpha\r\nbeta\ngamma\n\ndelta";
        return file;
    }();
    return path;
}

/// The lines of WordFilePath, as a line field gives them.
inline std::vector<std::string> WordFileLines() {
    return {"alpha", "beta", "gamma", "", "delta"};
}

inline std::vector<TRecordDefinition> RecordDefinitions() {
    std::string longPool;
    for (int i = 0; i < 300; ++i) {
        longPool += "#" + std::to_string(33 + i * 7 % 90);
    }
    return {
        {"Digits", "/N=5 /F=1,#59 /E=U"},
        {"Mixed", "/N=8 /C=4 /S=6 /L=10 /H=8 /B=1 /F=1,#59 /U=5,#65#66#67 /A=4 /Y=1990,2020 /E=U"},
        {"EveryType",
         "/D=\xE4\xF6\xFC /N=5 /H=5 /C=5 /S=5 /L=5 /B=1 /T=1 /F=2,#59#32 /U=5,#120#121#122 "
         "/A=5 /P=5 /X=5 /Y=1900,2100 /E=W",
         "dd.mm.yyyy"},
        {"CountsZeroAndBelow", "/N=0 /C=-1 /T=0 /F=0,abc /U=-3,xyz /H=1 /E=N"},
        {"EmptyPool", "/U=4, /N=2 /E=W"},
        {"PoolOfOne", "/U=3,x /S=1 /E=U"},
        {"EmptyUserCharset", "/D= /A=7 /E=U"},
        {"RepeatedUserCharset", "/D=aa /A=9 /E=U"},
        {"IrregularPool", "/U=11,#122#97#109#48 /N=3 /E=U"},
        {"LongPool", "/U=13,1," + longPool + " /E=U"},
        {"BinaryBytes", "/X=33 /P=9 /E=W"},
        {"LongFields", "/N=3000 /F=1,; /X=1500 /E=U"},
        {"LongFixed", "/F=700,ab /N=2 /T=3 /E=W"},
        {"OnlyADate", "/Y=1600,2400 /E=N", "d/m/yy"},
        {"DateNames", "/N=1 /Y=1990,2030 /B=1 /Y=1,9999 /E=U", "dddd, d. mmmm yyyy"},
        {"ShortNames", "/Y=2000,2010 /C=2 /E=W", "ddd mmm dd yy"},
        {"NestedFormats", "/Y=1999,2001 /E=U", "c 'at' t (ddddd) \"q\" ampm e gg"},
        {"EmptyFormat", "/N=2 /Y=2000,2001 /N=2 /E=U", ""},
        {"AdjacentDates", "/Y=1990,2000 /Y=2001,2002 /C=3 /Y=1,9999 /E=N", "yyyymmdd"},
        {"ReversedYears", "/Y=2020,1990 /N=1 /E=U"},
        {"OneYear", "/Y=2000 /E=U"},
        {"HugeReversedRange", "/Y=5000,-5000 /E=U"},
        {"EmptyRecord", "/T=0 /E=N"},
        {"LineEndOnly", "/B=0 /E=W"},
        {"Counters", "/I=0 /F=1,#59 /I=0,-3 /I=16,-9 /E=U"},
        {"CounterCarries", "/I=8,9999990 /I=3,95 /I=0,999 /I=3,-50 /E=U"},
        {"CountersMadeAhead", "/I=8,9999899 /F=1,; /I=0,95 /F=1,; /I=3,7 /F=1,; /I=0,0 /E=U"},
        {"Ranges", "/M=0,0.00..999.99 /F=1,; /M=8,-5,5..5,5 /M=0,-100..-90 /M=0,7..7 /E=W"},
        {"WidestRange", "/M=0,-999999999999999999..999999999999999999 /N=1 /E=U"},
        {"RangeOfTwoTo32Values", "/M=0,0..4294967295 /M=0,0..4294967296 /E=U"},
        {"Lists", "/V=0,open*3|closed|pending /V=6,|x*2 /C=1 /E=U"},
        {"ListOfLargeWeights", "/V=0,a*5000|b|c*70000 /E=N"},
        {"LongItems",
         "/V=0,abcdefghijklmnopqrstuvwxyz|b|abcdefghijklmnop /F=1,separator /V=20,x|y /E=W"},
        {"WordFile", "/W=0," + WordFilePath() + " /W=9," + WordFilePath() + " /N=2 /E=W"},
        {"SmallRangesOfEveryShape",
         "/M=0,0..99999999 /F=1,; /M=0,0,000001..9,999999 /F=1,#59 /M=5,0.0..99.9 /F=1,; "
         "/M=8,0.00..99999.99 /F=1,; /M=3,5..20 /M=1,0..9 /F=1,; /M=0,9999990..9999999 /F=1,; "
         "/M=0,0.0..999999.9 /F=1,; /M=0,0.0..1000000.0 /F=1,; /M=7,0.000..0.009 /E=W"},
        {"ItemsFillingTheirSlots",
         "/V=14,ab|cdefghijklmno /F=1,; /V=0,abcdefghijklmn|x /F=1,; /V=0,abcdefghijklmn|y "
         "/E=W"},
        {"WordFileBeforeSeparators",
         "/W=12," + WordFilePath() + " /F=1,; /W=0," + WordFilePath() + " /E=W"},
        {"ValuesBetweenDates", "/I=15 /Y=1990,2000 /V=0,a|bb /Y=2001,2002 /E=U", "d/m/yy"},
        {"ValuesAndFixedWidthDates", "/Y=1990,2000 /I=0 /V=2,a|bb /E=U"},
    };
}

/// What GetRecord gives: the records one after another, and the message of the record
/// that failed, if one did (its bytes are then not included).
struct TRecords {
    std::string Bytes;
    std::uint64_t Count = 0;
    std::optional<std::string> Error;
    /// Seed after the last whole record.
    std::uint32_t SeedAfter = 0;
};

/// Records first to first + count - 1 of the run from seed, by GetRecord one at a time; the
/// run's record 0 is the record numbered runStart (for a counter).
inline TRecords GetRecords(TVxRndParser& parser, bool toFile, std::uint32_t seed,
                           std::uint64_t first, std::uint64_t count, std::uint64_t runStart = 0) {
    TRecords records;
    Seed = seed;
    parser.SetNextRecord(runStart);
    std::string line;
    for (std::uint64_t i = 0; i < first + count; ++i) {
        const std::uint32_t before = Seed;
        try {
            parser.GetRecord(toFile, line);
        } catch (const Exception& error) {
            records.Error = error.what();
            Seed = before;
            break;
        }
        if (i >= first) {
            records.Bytes += line;
            ++records.Count;
        }
    }
    records.SeedAfter = Seed;
    return records;
}

/// Keeps the process-wide date format and settings of one test from leaking into the next.
class TDateFormatGuard {
public:
    TDateFormatGuard() : FFormat(SystemDateFormat), FSettings(FormatSettings()) {}
    ~TDateFormatGuard() {
        SystemDateFormat = FFormat;
        FormatSettings() = FSettings;
    }
    TDateFormatGuard(const TDateFormatGuard&) = delete;
    TDateFormatGuard& operator=(const TDateFormatGuard&) = delete;

private:
    std::string FFormat;
    TFormatSettings FSettings;
};
