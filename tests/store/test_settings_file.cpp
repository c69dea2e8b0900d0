// SPDX-License-Identifier: MIT
#include "store/SettingsFile.h"

#include "engine/Exceptions.h"

#include "tests/support/TTempDir.h"
#include "tests/support/Unprivileged.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Written(TVxIniFile& store) {
    std::vector<std::string> lines;
    store.SaveToStrings(lines);
    return lines;
}

using Lines = std::vector<std::string>;
const std::string Defs = "/R=100 /D=\xE4\xF6\xFC\xC4\xD6\xDC\xDF /N=5 /F=1,#59 /E=W c:\\random.txt";

TEST(VxIniFile, WithoutAFileReadsDefaultsAndTheFirstWriteCreatesIt) {
    TTempDir dir;
    const std::string path = dir.File("tabbit.ini");
    {
        TVxIniFile store(path);
        Lines keys;
        store.ReadSection("RecordDefs", keys);
        EXPECT_TRUE(keys.empty());
        EXPECT_EQ(store.ReadString("RecordDefs", "short list", "none"), "none");
    }
    EXPECT_FALSE(fs::exists(path));
    TVxIniFile store(path);
    store.WriteString("RecordDefs", "short list", Defs);
    store.UpdateFile();
    EXPECT_EQ(ReadBytes(path), "[RecordDefs]\r\nshort list=" + Defs + "\r\n\r\n");
    EXPECT_EQ(dir.Names(), Lines{"tabbit.ini"});
}

TEST(VxIniFile, WrittenFormSkipsEmptySectionsAndEndsEachWithAnEmptyLine) {
    TTempDir dir;
    const std::string path = dir.File("a.ini");
    TVxIniFile store(path);
    store.WriteString("A", "x", "1");
    store.WriteString("B", "y", "2");
    store.WriteInteger("C", "z", -3);
    store.WriteBool("C", "on", true);
    store.DeleteKey("b", "Y");
    store.UpdateFile();
    EXPECT_EQ(ReadBytes(path), "[A]\r\nx=1\r\n\r\n[C]\r\nz=-3\r\non=1\r\n\r\n");
    EXPECT_EQ(Written(store), (Lines{"[A]", "x=1", "", "[C]", "z=-3", "on=1", ""}));
}

struct LoadCase {
    const char* Name;
    std::string Input;
    Lines Expected;
};

TEST(VxIniLoad, TreatsLinesOfFilesWrittenByOtherMeans) {
    const LoadCase cases[] = {
        {"comments", "[s]\r\n;k=1\r\n ;c=2\r\n", {"[s]", " ;c=2", ""}},
        {"blanks around =", "[s]\r\nkey \t= \tvalue \r\n", {"[s]", "key=value ", ""}},
        {"key of blanks", "[s]\r\n \t=  v\r\n", {"[s]", "=  v", ""}},
        {"double quotes", "[s]\r\nk=\"a \"b\" c\"\r\n", {"[s]", "k=a \"b\" c", ""}},
        {"apostrophes, one pair", "[s]\r\nk=''v''\r\n", {"[s]", "k='v'", ""}},
        {"quotes not a pair",
         "[s]\r\na=\"v'\r\nb=\"\r\nc=\"\"\r\n",
         {"[s]", "a=\"v'", "b=\"", "c=", ""}},
        {"no = and before header", "k=0\r\n[s]\r\njust text\r\nk=1\r\n", {"[s]", "k=1", ""}},
        {"header with blank after", "[s]\r\nk=1\r\n[t] \r\nm=2\r\n", {"[s]", "k=1", "m=2", ""}},
        {"odd names", "[]\r\na=1\r\n[x = y]\r\nb=2\r\n", {"[]", "a=1", "", "[x = y]", "b=2", ""}},
        {"key line like a header", "[s]\r\n[k=v]\r\nm=1\r\n", {"[k=v]", "m=1", ""}},
        {"ctrl-z ends reading", "[s]\r\na=1\x1a\r\nb=2\r\n", {"[s]", "a=1", ""}},
        {"mixed line ends", "[s]\ra=1\nb=2\r\nc=3\n\rd=4", {"[s]", "a=1", "b=2", "c=3", "d=4", ""}},
        {"trailing blank kept", "[s]\r\nk=42 \r\n", {"[s]", "k=42 ", ""}},
        {"nul byte kept", std::string("[s]\nk=a\0b\n", 10), {"[s]", std::string("k=a\0b", 5), ""}},
    };
    for (const LoadCase& c : cases) {
        TTempDir dir;
        WriteBytes(dir.File("in.ini"), c.Input);
        TVxIniFile store(dir.File("in.ini"));
        EXPECT_EQ(Written(store), c.Expected) << c.Name;
        EXPECT_FALSE(store.Modified()) << c.Name;
    }
}

TEST(VxIniLoad, EachOptionSwitchesItsTreatmentOff) {
    struct Case {
        bool TVxIniFile::*Option;
        bool Value;
        Lines Expected;
    };
    const Case cases[] = {
        {&TVxIniFile::SkipComments, true, {"[s]", "k='v' \t", "q=v", ""}},
        {&TVxIniFile::SkipComments, false, {"[s]", ";c=1", "k='v' \t", "q=v", ""}},
        {&TVxIniFile::SkipLinesWithoutEquals, false, {"[s]", "noequals", "k='v' \t", "q=v", ""}},
        {&TVxIniFile::TrimAroundEquals, false, {"[s]", "k = 'v' \t", "q=v", ""}},
        {&TVxIniFile::StripQuotes, false, {"[s]", "k='v' \t", "q='v'", ""}},
        // Quotes are looked at before the line end is trimmed.
        {&TVxIniFile::TrimLineEnd, true, {"[s]", "k='v'", "q=v", ""}},
    };
    TTempDir dir;
    WriteBytes(dir.File("in.ini"), "[s]\r\n;c=1\r\nnoequals\r\nk = 'v' \t\r\nq='v'\r\n");
    for (const Case& c : cases) {
        TVxIniFile store(dir.File("missing.ini"));
        store.*c.Option = c.Value;
        store.LoadFromFile(dir.File("in.ini"));
        EXPECT_EQ(Written(store), c.Expected);
    }
}

TEST(VxIniLoad, LaterSectionsOfOneNameAreDroppedWithTheirLines) {
    TTempDir dir;
    const std::string path = dir.File("dup.ini");
    WriteBytes(path, "[Defs]\r\na=1\r\n[other]\r\no=1\r\n[DEFS]\r\nb=2\r\n[defs]\r\nc=3\r\n");
    TVxIniFile store(path);
    EXPECT_FALSE(store.Modified());
    Lines keys;
    store.ReadSection("defs", keys);
    EXPECT_EQ(keys, Lines{"a"});
    EXPECT_EQ(store.ReadString("Defs", "b", "none"), "none");
    store.WriteString("other", "o", "2");
    store.UpdateFile();
    EXPECT_EQ(ReadBytes(path), "[Defs]\r\na=1\r\n\r\n[other]\r\no=2\r\n\r\n");

    TVxIniFile fresh(dir.File("none.ini"));
    fresh.LoadFromFile(path);
    EXPECT_FALSE(fresh.Modified());
    WriteBytes(path, "[x]\r\nk=1\r\n[X]\r\nk=2\r\n");
    fresh.ClearSections();
    fresh.LoadFromFile(path);
    EXPECT_TRUE(fresh.Modified());
}

TEST(SectionList, RemoveDuplicatesKeepsFirstOccurrencesInOrder) {
    TSectionList list;
    EXPECT_FALSE(list.RemoveDuplicates());
    for (const char* name : {"b", "A", "a", "B", "c", "b"})
        list.SectionLines(list.Add(name)).push_back(std::string("from ") + name);
    EXPECT_TRUE(list.RemoveDuplicates());
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Name(0), "b");
    EXPECT_EQ(list.Name(1), "A");
    EXPECT_EQ(list.Name(2), "c");
    EXPECT_EQ(list.SectionLines(1), Lines{"from A"});
    EXPECT_FALSE(list.RemoveDuplicates());

    TSectionList many;
    for (int i = 0; i < 100000; ++i)
        many.Add("s" + std::to_string(i % 50000));
    EXPECT_TRUE(many.RemoveDuplicates());
    ASSERT_EQ(many.Count(), 50000);
    for (int i = 0; i < 50000; i += 4999)
        EXPECT_EQ(many.Name(i), "s" + std::to_string(i));
}

TEST(SectionList, IndexOfStartsAtLastFoundAndWrapsAround) {
    TSectionList list;
    EXPECT_EQ(list.IndexOf("x"), -1);
    for (const char* name : {"x", "y", "x"})
        list.Add(name);
    EXPECT_EQ(list.IndexOf("X"), 0);
    EXPECT_EQ(list.IndexOf("y"), 1);
    EXPECT_EQ(list.IndexOf("x"), 2);
    EXPECT_EQ(list.IndexOf("q"), -1);
    EXPECT_EQ(list.LastFound, 2);
    EXPECT_EQ(list.IndexOf("Y"), 1);
    list.LastFound = 7;
    EXPECT_EQ(list.IndexOf("x"), 0);
    EXPECT_THROW(list.SectionLines(3), Exception);
}

TEST(VxIniFile, KeySearchStartsAtCurSectionAndWrapsAround) {
    TTempDir dir;
    WriteBytes(dir.File("abc.ini"), "[A]\r\nk=a\r\n[B]\r\nk=b\r\n[C]\r\nk=c\r\n");
    TVxIniFile store(dir.File("abc.ini"));
    EXPECT_EQ(store.CurSection(), 0);
    EXPECT_EQ(store.ReadString("c", "K", ""), "c");
    EXPECT_EQ(store.CurSection(), 2);
    EXPECT_EQ(store.ReadString("a", "k", ""), "a");
    EXPECT_EQ(store.CurSection(), 0);
    EXPECT_EQ(store.ReadString("b", "k", ""), "b");
    // A miss ends at the section before the start.
    EXPECT_EQ(store.ReadString("none", "k", "-"), "-");
    EXPECT_EQ(store.CurSection(), 0);
    EXPECT_EQ(store.ReadString("none", "k", "-"), "-");
    EXPECT_EQ(store.CurSection(), 2);

    std::vector<std::string>* lines = nullptr;
    EXPECT_EQ(store.FindKey("none", "k", lines, false), -1);
    EXPECT_EQ(lines, nullptr);
    EXPECT_EQ(store.FindKey("New", "k", lines, true), -1);
    ASSERT_NE(lines, nullptr);
    EXPECT_TRUE(lines->empty());
    EXPECT_EQ(store.CurSection(), 3);
    EXPECT_EQ(store.Sections().Name(3), "New");
    EXPECT_FALSE(store.Modified());
}

TEST(VxIniFile, NamesCompareWithoutCaseOverLatin1Letters) {
    struct Case {
        const char* A;
        const char* B;
        bool Same;
    };
    const Case cases[] = {
        {"RecordDefs", "rECORDdEFS", true},
        {"\xC0\xC9\xDE", "\xE0\xE9\xFE", true},
        {"\xD7", "\xF7", false},
        {"\xDF", "\xFF", false},
        {"@[", "`{", false},
        {"ab", "abc", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SameText(c.A, c.B), c.Same) << c.A << " / " << c.B;

    TTempDir dir;
    const std::string path = dir.File("latin1.ini");
    WriteBytes(path, "[\xC4rger]\r\n\xC9T\xC9=1\r\n");
    TVxIniFile store(path);
    EXPECT_EQ(store.ReadString("\xE4RGER", "\xE9t\xE9", ""), "1");
    store.WriteString("\xE4rger", "\xE9t\xE9", "2");
    store.UpdateFile();
    EXPECT_EQ(ReadBytes(path), "[\xC4rger]\r\n\xE9t\xE9=2\r\n\r\n");
}

TEST(VxIniFile, WriteStringChangesOnlyWhatDiffersExactly) {
    TTempDir dir;
    const std::string path = dir.File("w.ini");
    WriteBytes(path, "[RecordDefs]\r\nshort list=x\r\n");
    {
        TVxIniFile store(path);
        fs::remove(path);
        store.WriteString("recorddefs", "short list", "x");
        EXPECT_FALSE(store.Modified());
    }
    EXPECT_FALSE(fs::exists(path));
    WriteBytes(path, "[RecordDefs]\r\nshort list=x\r\n");
    TVxIniFile store(path);
    store.WriteString("RecordDefs", "Short List", "x");
    EXPECT_TRUE(store.Modified());
    store.UpdateFile();
    store.WriteString("RecordDefs", "Short List", "X");
    EXPECT_TRUE(store.Modified());
    EXPECT_EQ(Written(store), (Lines{"[RecordDefs]", "Short List=X", ""}));
}

TEST(VxIniFile, WriteStringWithEmptyKeyErasesOrOnlyWrites) {
    TTempDir dir;
    const std::string path = dir.File("e.ini");
    WriteBytes(path, "[]\r\ne=1\r\n[S]\r\nk=1\r\n[T]\r\nm=1\r\n");
    TVxIniFile store(path);
    store.WriteString("s", "", "ignored");
    EXPECT_TRUE(store.Modified());
    store.WriteString("", "", "v");
    EXPECT_EQ(Written(store), (Lines{"[T]", "m=1", ""}));
    EXPECT_EQ(ReadBytes(path), "[]\r\ne=1\r\n[S]\r\nk=1\r\n[T]\r\nm=1\r\n");
    store.WriteString("", "", "");
    EXPECT_FALSE(store.Modified());
    EXPECT_EQ(ReadBytes(path), "[T]\r\nm=1\r\n\r\n");
}

TEST(VxIniFile, TextsThatWouldBreakTheFileAreRefused) {
    TTempDir dir;
    TVxIniFile store(dir.File("r.ini"));
    EXPECT_THROW(store.WriteString("s", "k", "a\r\n[x]"), Exception);
    EXPECT_THROW(store.WriteString("s", "k\n", "a"), Exception);
    EXPECT_THROW(store.WriteString("s\r", "k", "a"), Exception);
    EXPECT_THROW(store.WriteString("s", "k", "a\x1a"), Exception);
    EXPECT_FALSE(store.Modified());
    EXPECT_EQ(store.Sections().Count(), 0);
}

TEST(VxIniFile, ReadIntegerTakesDecimalAndHexPatterns) {
    const std::pair<const char*, std::int32_t> cases[] = {
        {"0x1F", 31},
        {"0X1f", 31},
        {"$1F", 31},
        {" 42", 42},
        {"42 ", -7},
        {"abc", -7},
        {"", -7},
        {"0xFFFFFFFF", -1},
        {"0x100000000", -7},
        {"-2147483648", INT32_MIN},
        {"2147483648", -7},
        {"x10", 16},
    };
    TTempDir dir;
    TVxIniFile store(dir.File("i.ini"));
    for (const auto& [text, expected] : cases) {
        store.WriteString("s", "k", text);
        EXPECT_EQ(store.ReadInteger("s", "k", -7), expected) << '"' << text << '"';
    }
    EXPECT_EQ(store.ReadInteger("s", "absent", -7), -7);
    store.WriteInteger("s", "k", -5);
    EXPECT_EQ(store.ReadString("s", "k", ""), "-5");
    store.WriteBool("s", "b", false);
    EXPECT_EQ(store.ReadString("s", "b", ""), "0");
    EXPECT_FALSE(store.ReadBool("s", "b", true));
    store.WriteString("s", "b", "7");
    EXPECT_TRUE(store.ReadBool("s", "b", false));
    store.WriteString("s", "b", "yes");
    EXPECT_TRUE(store.ReadBool("s", "b", true));
    EXPECT_FALSE(store.ReadBool("s", "absent", false));
}

TEST(VxIniFile, SectionReadsAppendAndValueListTurnsEveryLineIntoItsValue) {
    TTempDir dir;
    WriteBytes(dir.File("v.ini"), "[s]\r\na=1\r\nb=x=y\r\n\"d=e\"\r\nnoeq\r\n[t]\r\nm=1\r\n");
    TVxIniFile store(dir.File("missing.ini"));
    store.SkipLinesWithoutEquals = false;
    store.LoadFromFile(dir.File("v.ini"));

    Lines keys{"keep"};
    store.ReadSection("S", keys);
    EXPECT_EQ(keys, (Lines{"keep", "a", "b", "\"d", ""}));
    Lines names{"old"};
    store.ReadSections(names);
    EXPECT_EQ(names, (Lines{"s", "t"}));
    Lines values{"\"p=q\"", "plain", "\"r\""};
    store.ReadSectionValueList("s", values);
    EXPECT_EQ(values, (Lines{"q", "plain", "r", "1", "x=y", "e", "noeq"}));
    store.StripQuotes = false;
    values.clear();
    store.ReadSectionValueList("s", values);
    EXPECT_EQ(values[2], "e\"");
    values.clear();
    store.ReadSectionValues("absent", values);
    EXPECT_TRUE(values.empty());
}

TEST(VxIniFile, EraseSectionAndDeleteKey) {
    TTempDir dir;
    WriteBytes(dir.File("d.ini"), "[A]\r\nk=1\r\nK=2\r\nm=3\r\n[B]\r\nb=1\r\n[C]\r\nc=1\r\n");
    TVxIniFile store(dir.File("d.ini"));
    store.EraseSection("none");
    store.DeleteKey("a", "none");
    EXPECT_FALSE(store.Modified());
    store.DeleteKey("New", "k");
    EXPECT_EQ(store.Sections().Count(), 4);
    EXPECT_FALSE(store.Modified());

    store.DeleteKey("a", "K");
    EXPECT_TRUE(store.Modified());
    EXPECT_EQ(store.Sections().SectionLines(0), (Lines{"K=2", "m=3"}));
    store.ReadString("c", "c", "");
    EXPECT_EQ(store.CurSection(), 2);
    store.EraseSection("new");
    store.EraseSection("c");
    EXPECT_EQ(store.CurSection(), 0);
    EXPECT_EQ(store.Sections().LastFound, 0);
    EXPECT_EQ(Written(store), (Lines{"[A]", "K=2", "m=3", "", "[B]", "b=1", ""}));
}

TEST(VxIniFile, WritesOnlyWhenModifiedAndToTheBoundFile) {
    TTempDir dir;
    const std::string a = dir.File("a.ini");
    const std::string b = dir.File("b.ini");
    WriteBytes(a, "[s]\r\nk=1\r\n");
    WriteBytes(b, "[t]\r\nm=2\r\n");
    TVxIniFile store(a);
    fs::remove(a);
    store.UpdateFile();
    EXPECT_FALSE(fs::exists(a));

    store.WriteString("s", "k", "3");
    store.SetFilePath(b);
    EXPECT_EQ(ReadBytes(a), "[s]\r\nk=3\r\n\r\n");
    EXPECT_EQ(store.FilePath(), b);
    EXPECT_EQ(store.ReadString("s", "k", "-"), "-");
    EXPECT_EQ(store.ReadString("t", "m", ""), "2");

    store.SetFilePath("");
    store.WriteString("s", "k", "4");
    store.UpdateFile();
    EXPECT_FALSE(store.Modified());
    EXPECT_EQ(dir.Names(), (Lines{"a.ini", "b.ini"}));
    {
        TVxIniFile pending(a);
        pending.WriteString("s", "k", "5");
    }
    EXPECT_EQ(ReadBytes(a), "[s]\r\nk=5\r\n\r\n");
}

TEST(VxIniRewrite, FailureKeepsOldFileAndPendingChanges) {
    TTempDir dir;
    const std::string path = dir.File("f.ini");
    TVxIniFile store(path);
    store.WriteString("s", "k", "1");
    fs::create_directory(path);
    try {
        store.UpdateFile();
        FAIL() << "rewrite over a folder succeeded";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), EISDIR);
        EXPECT_EQ(error.FileName(), path);
    }
    EXPECT_TRUE(store.Modified());
    EXPECT_EQ(dir.Names(), Lines{"f.ini"});
    fs::remove(path);
    store.UpdateFile();
    EXPECT_EQ(ReadBytes(path), "[s]\r\nk=1\r\n\r\n");

    TVxIniFile lost(dir.File("gone/x.ini"));
    lost.WriteString("s", "k", "1");
    try {
        lost.UpdateFile();
        FAIL() << "rewrite into a missing folder succeeded";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), ENOENT);
        EXPECT_EQ(error.Message(), "File not found");
    }
    EXPECT_TRUE(lost.Modified());
}

TEST(VxIniRewrite, WriteBrokenOffLeavesOldFileWhole) {
    TTempDir dir;
    const std::string path = dir.File("big.ini");
    WriteBytes(path, "[s]\r\nold=1\r\n");
    TVxIniFile store(path);
    store.WriteString("s", "new", std::string(4096, 'v'));

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 64;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    int code = 0;
    try {
        store.UpdateFile();
    } catch (const EInOutError& error) {
        code = error.ErrorCode();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(code, EFBIG);
    EXPECT_TRUE(store.Modified());
    EXPECT_EQ(ReadBytes(path), "[s]\r\nold=1\r\n");
    EXPECT_EQ(dir.Names(), Lines{"big.ini"});
}

TEST(VxIniRewrite, DestructorDropsAFailureInsteadOfThrowing) {
    TTempDir dir;
    EXPECT_NO_THROW({
        TVxIniFile store(dir.File("gone/x.ini"));
        store.WriteString("s", "k", "1");
    });
}

TEST(VxIniRewrite, KeepsPermissionBitsAndSymbolicLinks) {
    TTempDir dir;
    const std::string path = dir.File("p.ini");
    const mode_t savedMask = ::umask(022);
    {
        TVxIniFile store(path);
        store.WriteString("s", "k", "1");
    }
    ::umask(savedMask);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0644));
    fs::permissions(path, fs::perms(0640));
    {
        TVxIniFile store(path);
        store.WriteString("s", "k", "2");
    }
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));

    fs::create_directory(dir.File("real"));
    WriteBytes(dir.File("real/t.ini"), "[s]\r\nk=1\r\n");
    fs::create_symlink("real/t.ini", dir.File("link.ini"));
    {
        TVxIniFile store(dir.File("link.ini"));
        store.WriteString("s", "k", "2");
    }
    EXPECT_TRUE(fs::is_symlink(dir.File("link.ini")));
    EXPECT_EQ(ReadBytes(dir.File("real/t.ini")), "[s]\r\nk=2\r\n\r\n");
}

TEST(VxIniRewrite, WriteProtectionIsHonoured) {
    AsUnprivilegedUser([] {
        TTempDir dir;
        const std::string path = dir.File("ro.ini");
        WriteBytes(path, "[s]\r\nk=1\r\n");
        TVxIniFile store(path);
        store.WriteString("s", "k", "2");
        fs::permissions(path, fs::perms(0444));
        EXPECT_THROW(store.UpdateFile(), EInOutError);
        fs::permissions(path, fs::perms(0644));
        fs::permissions(dir.File(""), fs::perms(0555));
        EXPECT_THROW(store.UpdateFile(), EInOutError);
        fs::permissions(dir.File(""), fs::perms(0755));
        EXPECT_EQ(ReadBytes(path), "[s]\r\nk=1\r\n");
        fs::permissions(path, fs::perms(0));
        EXPECT_THROW(TVxIniFile{path}, EInOutError);
        fs::permissions(path, fs::perms(0644));
    });
}

TEST(VxIniLoad, ReadingAFolderFailsAndLeavesTheStoreUnbound) {
    TTempDir dir;
    try {
        TVxIniFile store(dir.File(""));
        FAIL() << "a folder loaded as a settings file";
    } catch (const EInOutError& error) {
        EXPECT_EQ(error.ErrorCode(), EISDIR);
    }
    const std::string path = dir.File("a.ini");
    TVxIniFile store(path);
    store.WriteString("s", "k", "1");
    fs::create_directory(dir.File("sub"));
    EXPECT_THROW(store.SetFilePath(dir.File("sub")), EInOutError);
    EXPECT_EQ(ReadBytes(path), "[s]\r\nk=1\r\n\r\n");
    EXPECT_EQ(store.FilePath(), "");
}

TEST(VxIniLoad, BigInputsLoadAndRoundTrip) {
    TTempDir dir;
    const std::string longValue(std::size_t{10} * 1024 * 1024, 'v');
    WriteBytes(dir.File("long.ini"), "[s]\r\nk =  " + longValue + "\r\n");
    TVxIniFile longStore(dir.File("long.ini"));
    EXPECT_EQ(longStore.ReadString("s", "k", ""), longValue);

    std::string many;
    for (int i = 0; i < 100000; ++i)
        many += "[S" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\n\r\n";
    const std::string path = dir.File("many.ini");
    WriteBytes(path, many);
    TVxIniFile store(path);
    EXPECT_EQ(store.Sections().Count(), 100000);
    EXPECT_EQ(store.ReadString("s99999", "K", ""), "99999");
    store.WriteString("S0", "k", "x");
    store.WriteString("S0", "k", "0");
    store.UpdateFile();
    EXPECT_EQ(ReadBytes(path), many);
}

TEST(DefaultIniPath, ChosenPathOrTheExecutablesWithIni) {
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/tabbit", "/usr/bin/tabbit.ini"},
        {"/opt/app.d/tabbit", "/opt/app.d/tabbit.ini"},
        {"/x/tabbit.exe", "/x/tabbit.ini"},
        {"/x/a.b.c", "/x/a.b.ini"},
        {"tabbit", "tabbit.ini"},
    };
    for (const auto& [exe, ini] : cases)
        EXPECT_EQ(IniPathOfExecutable(exe), ini);

    EXPECT_EQ(DefaultIniPath(), IniPathOfExecutable(fs::read_symlink("/proc/self/exe").string()));
    TTempDir dir;
    SetDefaultIniPath(dir.File("chosen.ini"));
    EXPECT_EQ(DefaultIniPath(), dir.File("chosen.ini"));
    EXPECT_EQ(TVxIniFile("").FilePath(), dir.File("chosen.ini"));
    SetDefaultIniPath("");
}

} // namespace
