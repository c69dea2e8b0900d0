// SPDX-License-Identifier: MIT
// Saved definitions must come back exactly as they were saved, whatever bytes they hold.
#include "store/SettingsFile.h"

#include "tests/support/TTempDir.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

const std::string Section = "RecordDefs";

/// Bytes a settings-file line can carry: everything but the line ends and Ctrl-Z.
char RandomByte(std::mt19937& random) {
    for (;;) {
        const char c = static_cast<char>(std::uniform_int_distribution<int>(1, 255)(random));
        if (c != '\r' && c != '\n' && c != 26)
            return c;
    }
}

std::string RandomText(std::mt19937& random, int maxLength) {
    std::string text(std::uniform_int_distribution<int>(0, maxLength)(random), ' ');
    for (char& c : text)
        c = RandomByte(random);
    return text;
}

/// A name as the manage dialog lets it through: trimmed, not empty, no "=", not starting
/// with ";" or "[", unique without regard to case.
std::string RandomName(std::mt19937& random, const std::vector<std::string>& taken) {
    for (;;) {
        std::string name = RandomText(random, 20);
        while (!name.empty() && static_cast<unsigned char>(name.front()) <= ' ')
            name.erase(0, 1);
        while (!name.empty() && static_cast<unsigned char>(name.back()) <= ' ')
            name.pop_back();
        if (name.empty() || name.find('=') != std::string::npos || name[0] == ';' || name[0] == '[')
            continue;
        bool unique = true;
        for (const std::string& t : taken)
            unique = unique && !SameText(t, name);
        if (unique)
            return name;
    }
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (unsigned char c : text)
        out +=
            c >= 32 && c < 127 ? std::string(1, static_cast<char>(c)) : "\\x" + std::to_string(c);
    return out;
}

} // namespace

TEST(VxIniRoundTrip, SavedDefinitionsReadBackUnchanged) {
    std::mt19937 random(20261208);
    for (int round = 0; round < 40; ++round) {
        TTempDir dir;
        const std::string path = dir.File("tabbit.ini");
        std::vector<std::string> names;
        std::vector<std::string> definitions;
        const int count = std::uniform_int_distribution<int>(1, 12)(random);
        for (int i = 0; i < count; ++i) {
            names.push_back(RandomName(random, names));
            definitions.push_back(RandomText(random, 300));
            // One store per save, as every action of the manage dialog works.
            TVxIniFile ini(path);
            ini.WriteString(Section, names.back(), definitions.back());
            ini.UpdateFile();
        }

        TVxIniFile ini(path);
        std::vector<std::string> readNames;
        ini.ReadSection(Section, readNames);
        ASSERT_EQ(readNames, names) << "round " << round;
        for (std::size_t i = 0; i < names.size(); ++i)
            EXPECT_EQ(ini.ReadString(Section, names[i], "<absent>"), definitions[i])
                << "round " << round << ", name " << Escaped(names[i]) << ", value "
                << Escaped(definitions[i]);
    }
}
