// SPDX-License-Identifier: MIT
// Loads any settings file, reads all of it, changes it, rewrites it and loads the rewrite.
// The input is written to a file in a folder of this process (in /dev/shm when there is
// one), made at start and removed at exit.
//
// Properties:
// - loading a regular file never fails;
// - the loaded store has unique section names and lines that the written form can carry
//   (no line break, no character 26, an "=" in every line, no comment);
// - ReadSection, ReadSectionValues, ReadSectionValueList and ReadString agree with each
//   other and with the store's lines;
// - the rewrite is the written form, line by line with CR LF, where a line may carry its
//   value in one more pair of quotes;
// - the rewrite loads back to the same sections and lines, so that a second rewrite is
//   byte-identical to the first.

#include "engine/CommandLanguage.h"
#include "engine/Exceptions.h"
#include "store/SettingsFile.h"
#include "tests/fuzz/FuzzCheck.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Lines = std::vector<std::string>;

std::string& Folder() {
    static std::string folder;
    return folder;
}

void RemoveFolder() {
    std::error_code error;
    fs::remove_all(Folder(), error);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Lines Written(TVxIniFile& store) {
    Lines lines;
    store.SaveToStrings(lines);
    return lines;
}

std::string_view KeyOf(std::string_view line) {
    return line.substr(0, line.find('='));
}

std::string ValueOf(const std::string& line) {
    return line.substr(line.find('=') + 1);
}

/// The line with its value in one more pair of double quotes.
std::string Quoted(const std::string& line) {
    const std::size_t eq = line.find('=');
    return eq == std::string::npos ? line
                                   : line.substr(0, eq + 1) + '"' + line.substr(eq + 1) + '"';
}

void CheckReads(TVxIniFile& store) {
    Lines names{"replaced"};
    store.ReadSections(names);
    FUZZ_CHECK(static_cast<std::int32_t>(names.size()) == store.Sections().Count());
    Lines sorted = names;
    for (std::string& name : sorted)
        std::transform(name.begin(), name.end(), name.begin(), [](char c) {
            const auto u = static_cast<unsigned char>(c);
            const bool capital = (u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7);
            return static_cast<char>(capital ? u + 32 : u);
        });
    std::sort(sorted.begin(), sorted.end());
    FUZZ_CHECK(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end());

    for (std::int32_t i = 0; i < store.Sections().Count(); ++i) {
        const std::string& name = names[static_cast<std::size_t>(i)];
        const Lines& stored = store.Sections().SectionLines(i);
        Lines keys;
        Lines values;
        Lines valueList;
        store.ReadSection(name, keys);
        store.ReadSectionValues(name, values);
        store.ReadSectionValueList(name, valueList);
        FUZZ_CHECK(values == stored);
        FUZZ_CHECK(keys.size() == stored.size() && valueList.size() == stored.size());
        for (std::size_t k = 0; k < stored.size(); ++k) {
            const std::string& line = stored[k];
            FUZZ_CHECK(!line.empty() && line.front() != ';');
            FUZZ_CHECK(line.find('=') != std::string::npos);
            FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\x1a", 3)) == std::string::npos);
            FUZZ_CHECK(keys[k] == KeyOf(line));
            // The first line of a key answers for it.
            const auto first =
                std::find_if(stored.begin(), stored.end(),
                             [&](const std::string& l) { return SameText(KeyOf(l), keys[k]); });
            FUZZ_CHECK(store.ReadString(name, keys[k], "\x01") == ValueOf(*first));
            store.ReadInteger(name, keys[k], 0);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Every input is written and rewritten twice, each rewrite made durable: on a file
    // system in memory that costs no disk wait.
    std::error_code error;
    const fs::path base = fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0
                              ? fs::path("/dev/shm")
                              : fs::temp_directory_path();
    std::string pattern = (base / "tabbit-fuzz-settings-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        std::abort();
    Folder() = pattern;
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = Folder() + "/settings.ini";
    WriteBytes(path, std::string(reinterpret_cast<const char*>(data), size));

    Lines firstForm;
    {
        TVxIniFile store(path);
        CheckReads(store);
        // Two changes, so that the store is modified whatever the file held.
        store.WriteString("tabbit fuzz", "written", "2");
        store.WriteString("tabbit fuzz", "written", "1");
        firstForm = Written(store);
        store.UpdateFile();
        FUZZ_CHECK(!store.Modified());
    }
    const std::string firstRewrite = ReadBytes(path);
    std::vector<std::string> rewritten;
    SplitString(firstRewrite, "\r\n", rewritten);
    FUZZ_CHECK(rewritten.size() == firstForm.size() + 1 && rewritten.back().empty());
    for (std::size_t k = 0; k < firstForm.size(); ++k)
        FUZZ_CHECK(rewritten[k] == firstForm[k] || rewritten[k] == Quoted(firstForm[k]));

    TVxIniFile again(path);
    FUZZ_CHECK(Written(again) == firstForm);
    CheckReads(again);
    // Two changes that cancel out: the rewrite has the same content.
    again.WriteString("tabbit fuzz", "written", "2");
    again.WriteString("tabbit fuzz", "written", "1");
    again.UpdateFile();
    FUZZ_CHECK(ReadBytes(path) == firstRewrite);
    return 0;
}
