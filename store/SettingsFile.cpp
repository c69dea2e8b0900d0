// SPDX-License-Identifier: MIT
#include "store/SettingsFile.h"

#include "engine/CommandLanguage.h"
#include "engine/Exceptions.h"
#include "engine/Latin1Text.h"
#include "store/FileLock.h"
#include "store/FileReplacement.h"
#include "store/LinkTarget.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <utility>

namespace {

constexpr char CtrlZ = 26;

/// The largest settings file read or written. The file holds one line per saved definition;
/// anything near this size is not a settings file, and reading it whole would only exhaust
/// memory.
constexpr std::size_t MaxFileSize = std::size_t{256} * 1024 * 1024;

[[noreturn]] void ThrowTooLarge() {
    throw Exception("Settings file too large");
}

/// Refuses what a settings file cannot be: a folder gives the runtime's error for one, every
/// other kind of file that is not a regular one (a device, a pipe, a socket) would never end
/// or would block, and a file beyond MaxFileSize would exhaust memory.
void CheckReadable(const struct stat& info, const std::string& path) {
    if (S_ISDIR(info.st_mode))
        throw EInOutError(EISDIR, path);
    if (!S_ISREG(info.st_mode))
        throw Exception("Not a regular file: " + path);
    if (static_cast<std::uintmax_t>(info.st_size) > MaxFileSize)
        ThrowTooLarge();
}

bool IsBlankOrTab(char c) {
    return c == ' ' || c == '\t';
}

/// The key of a stored line: its text before the first "=", empty without one.
std::string_view KeyOf(std::string_view line) {
    const std::size_t eq = line.find('=');
    return eq == std::string_view::npos ? std::string_view() : line.substr(0, eq);
}

/// Appends a key line as the file carries it. Loading takes one pair of quotes off a value
/// and the blanks off its front, and reads a line in brackets as a section header; a value
/// that loading would change that way, or that would make its line read as a header, is
/// written inside one more pair of double quotes, which loading takes off again. So a
/// rewritten file loads back to the lines the store held.
void AppendFileLine(std::string& content, std::string_view line, bool trimAroundEquals,
                    bool stripQuotes) {
    const std::size_t eq = line.find('=');
    std::string_view key = line.substr(0, eq == std::string_view::npos ? 0 : eq);
    if (trimAroundEquals)
        while (!key.empty() && IsBlankOrTab(key.back()))
            key.remove_suffix(1);
    // Loading leaves the value of a line without a key as it stands.
    if (!stripQuotes || key.empty()) {
        content += line;
        return;
    }
    const std::string_view value = line.substr(eq + 1);
    const bool quoted = value.size() >= 2 && value.front() == value.back() &&
                        (value.front() == '"' || value.front() == '\'');
    const bool blankFirst = trimAroundEquals && !value.empty() && IsBlankOrTab(value.front());
    const bool header = line.front() == '[' && line.back() == ']';
    if (!quoted && !blankFirst && !header) {
        content += line;
        return;
    }
    content += line.substr(0, eq + 1);
    content += '"';
    content += value;
    content += '"';
}

/// A line break or a Ctrl-Z inside a stored text would change the file's lines when it is
/// read back, and a Ctrl-Z would even hide everything after it, so such texts are refused.
void CheckStorable(const std::string& text) {
    if (text.find_first_of(std::string_view("\r\n\x1a", 3)) != std::string::npos)
        throw Exception("A line break or character 26 cannot be stored in the settings file");
}

std::string& ChosenIniPath() {
    static std::string path;
    return path;
}

std::string ExecutableFile() {
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            throw EInOutError(errno, "/proc/self/exe");
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

/// Closes a descriptor opened for reading; a failing close loses nothing there.
class TReadFile {
public:
    explicit TReadFile(int fd) : FFd(fd) {}
    TReadFile(const TReadFile&) = delete;
    TReadFile& operator=(const TReadFile&) = delete;
    ~TReadFile() {
        if (FFd >= 0) {
            ::close(FFd);
        }
    }
    int Fd() const { return FFd; }
    /// Hands the descriptor on to a caller that closes it.
    int Release() {
        const int fd = FFd;
        FFd = -1;
        return fd;
    }

private:
    int FFd;
};

/// Reads fd up to its end or its first Ctrl-Z and hands every line to addLine as soon as it is
/// whole, so that the file's text is never held at once: a line ends at CR LF, CR or LF, and
/// the text after the last line end is a line too. Returns 0 or the errno of a failed read;
/// then only the whole lines before it were handed on. A file that grows past MaxFileSize while
/// it is read is refused all the same.
template <class AddLine> int ReadLinesUpToCtrlZ(int fd, const AddLine& addLine) {
    std::array<char, 65536> buffer;
    std::string partial;
    std::size_t total = 0;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        const auto length = static_cast<std::size_t>(got);
        const auto* stop = static_cast<const char*>(std::memchr(buffer.data(), CtrlZ, length));
        std::string_view chunk(buffer.data(),
                               stop ? static_cast<std::size_t>(stop - buffer.data()) : length);
        total += chunk.size();
        if (total > MaxFileSize) {
            ThrowTooLarge();
        }
        // CR and LF each end a line: the empty line between the two of a CR LF, also one split
        // between two reads, is no line of the file.
        while (!chunk.empty()) {
            const auto end = static_cast<std::size_t>(
                std::find_if(chunk.begin(), chunk.end(),
                             [](char c) { return c == '\r' || c == '\n'; }) -
                chunk.begin());
            if (end == chunk.size()) {
                partial.append(chunk);
                break;
            }
            if (partial.empty()) {
                addLine(chunk.substr(0, end));
            } else {
                partial.append(chunk.substr(0, end));
                addLine(partial);
                partial.clear();
            }
            chunk.remove_prefix(end + 1);
        }
        if (got == 0 || stop != nullptr) {
            if (!partial.empty()) {
                addLine(partial);
            }
            return 0;
        }
    }
}

} // namespace

std::string DefaultIniPath() {
    if (!ChosenIniPath().empty())
        return ChosenIniPath();
    return IniPathOfExecutable(ExecutableFile());
}

void SetDefaultIniPath(const std::string& path) {
    ChosenIniPath() = path;
}

std::string IniPathOfExecutable(const std::string& executablePath) {
    const std::size_t slash = executablePath.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = executablePath.rfind('.');
    if (dot == std::string::npos || dot < nameStart)
        return executablePath + ".ini";
    return executablePath.substr(0, dot) + ".ini";
}

// TSectionList

void TSectionList::CheckIndex(std::int32_t index) const {
    if (index < 0 || index >= Count())
        throw Exception("List index out of bounds (" + std::to_string(index) + ")");
}

const std::string& TSectionList::Name(std::int32_t index) const {
    CheckIndex(index);
    return FEntries[static_cast<std::size_t>(index)].Name;
}

std::vector<std::string>& TSectionList::SectionLines(std::int32_t index) {
    CheckIndex(index);
    return FEntries[static_cast<std::size_t>(index)].Lines;
}

const std::vector<std::string>& TSectionList::SectionLines(std::int32_t index) const {
    CheckIndex(index);
    return FEntries[static_cast<std::size_t>(index)].Lines;
}

std::int32_t TSectionList::Add(const std::string& name) {
    FEntries.push_back({name, {}});
    return Count() - 1;
}

void TSectionList::Delete(std::int32_t index) {
    CheckIndex(index);
    FEntries.erase(FEntries.begin() + index);
}

void TSectionList::Clear() {
    FEntries.clear();
    LastFound = 0;
}

std::int32_t TSectionList::IndexOf(const std::string& name) {
    const std::int32_t count = Count();
    // LastFound is open to anyone; a value that no longer indexes a section starts at 0.
    const std::int32_t start = LastFound >= 0 && LastFound < count ? LastFound : 0;
    for (std::int32_t step = 0; step < count; ++step) {
        const std::int32_t i = (start + step) % count;
        if (SameText(FEntries[static_cast<std::size_t>(i)].Name, name)) {
            LastFound = i;
            return i;
        }
    }
    return -1;
}

bool TSectionList::RemoveDuplicates() {
    if (FEntries.size() < 2)
        return false;
    // Every rewrite loads the file anew, so this runs once per save: a set of the names seen,
    // folded to small letters, finds a repeated name in one pass.
    std::unordered_set<std::string> seen;
    seen.reserve(FEntries.size());
    std::vector<bool> dropped(FEntries.size(), false);
    bool result = false;
    for (std::size_t i = 0; i < FEntries.size(); ++i) {
        if (!seen.insert(FoldedLatin1(FEntries[i].Name)).second) {
            dropped[i] = true;
            result = true;
        }
    }
    if (result) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < FEntries.size(); ++i) {
            if (dropped[i])
                continue;
            if (kept != i)
                FEntries[kept] = std::move(FEntries[i]);
            ++kept;
        }
        FEntries.resize(kept);
    }
    return result;
}

// TVxIniFile

TVxIniFile::TVxIniFile(const std::string& path) {
    SetFilePath(path.empty() ? DefaultIniPath() : path);
}

TVxIniFile::~TVxIniFile() {
    // A destructor must not throw: it may run while another exception unwinds the stack.
    // Every caller that changed the store has already called UpdateFile, where a failure
    // reaches the user; this last write is only for changes still pending, and its failure
    // has nobody left to tell.
    try {
        UpdateFile();
    } catch (...) {
    }
}

void TVxIniFile::SetFilePath(const std::string& path) {
    UpdateFile();
    ClearSections();
    FFilePath = path;
    if (!path.empty()) {
        try {
            LoadFromFile(path);
        } catch (...) {
            FFilePath.clear();
            throw;
        }
    }
    FModified = false;
}

void TVxIniFile::ClearSections() {
    FSections.Clear();
}

void TVxIniFile::DiscardChanges() {
    FChanges.clear();
    FModified = false;
}

void TVxIniFile::LoadFromFile(const std::string& path) {
    FCurSection = 0;
    const int fd = OpenToLoad(path);
    if (fd >= 0) {
        LoadFrom(fd, path);
    }
}

int TVxIniFile::OpenToLoad(const std::string& path) const {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return -1;
        }
        throw EInOutError(errno, path);
    }
    // Looked at before opening, because opening a device can have effects of its own.
    CheckReadable(info, path);
    // Non-blocking, so that a pipe put in the file's place since cannot hang the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        throw EInOutError(errno, path);
    }
    TReadFile file(fd);
    if (::fstat(file.Fd(), &info) != 0) {
        throw EInOutError(errno, path);
    }
    CheckReadable(info, path);
    return file.Release();
}

void TVxIniFile::LoadFrom(int fd, const std::string& path) {
    const TReadFile file(fd);
    std::int32_t current = -1;
    const int readError = ReadLinesUpToCtrlZ(
        file.Fd(), [this, &current](std::string_view line) { AddLine(line, current); });
    if (FSections.RemoveDuplicates()) {
        FModified = true;
    }
    if (readError != 0) {
        throw EInOutError(readError, path);
    }
}

void TVxIniFile::AddLine(std::string_view line, std::int32_t& current) {
    if (line.empty() || (SkipComments && line.front() == ';'))
        return;
    if (line.front() == '[' && line.back() == ']') {
        current = FSections.Add(std::string(line.substr(1, line.size() - 2)));
        return;
    }
    // Without "=", key holds the whole line.
    std::string_view key = line;
    std::string_view value;
    const std::size_t eq = line.find('=');
    const bool hasEquals = eq != std::string_view::npos;
    if (hasEquals) {
        key = line.substr(0, eq);
        value = line.substr(eq + 1);
        if (TrimAroundEquals && !key.empty()) {
            while (!key.empty() && IsBlankOrTab(key.back()))
                key.remove_suffix(1);
            // A key made only of blanks leaves the "=" first, and then the value keeps its
            // leading blanks.
            if (!key.empty())
                while (!value.empty() && IsBlankOrTab(value.front()))
                    value.remove_prefix(1);
        }
        if (StripQuotes && !key.empty() && value.size() >= 2 && value.front() == value.back() &&
            (value.front() == '"' || value.front() == '\''))
            value = value.substr(1, value.size() - 2);
    }
    if (TrimLineEnd) {
        // The "=" itself stops the trimming, so only the value's end can go.
        std::string_view& tail = hasEquals ? value : key;
        while (!tail.empty() && static_cast<unsigned char>(tail.back()) < 33)
            tail.remove_suffix(1);
    }
    if ((SkipLinesWithoutEquals && !hasEquals) || current < 0)
        return;
    std::string stored;
    stored.reserve(key.size() + 1 + value.size());
    stored.append(key);
    if (hasEquals) {
        stored += '=';
        stored.append(value);
    }
    FSections.SectionLines(current).push_back(std::move(stored));
}

std::int32_t TVxIniFile::FindKey(const std::string& section, const std::string& key,
                                 std::vector<std::string>*& lines, bool create) {
    lines = nullptr;
    const std::int32_t count = FSections.Count();
    bool found = false;
    if (count > 0) {
        const std::int32_t stop = FCurSection == 0 ? count - 1 : FCurSection - 1;
        for (;;) {
            found = SameText(FSections.Name(FCurSection), section);
            if (found || FCurSection == stop)
                break;
            FCurSection = FCurSection == count - 1 ? 0 : FCurSection + 1;
        }
    }
    if (!found) {
        if (create) {
            FCurSection = FSections.Add(section);
            lines = &FSections.SectionLines(FCurSection);
        }
        return -1;
    }
    lines = &FSections.SectionLines(FCurSection);
    for (std::size_t i = 0; i < lines->size(); ++i)
        if (SameText(KeyOf((*lines)[i]), key))
            return static_cast<std::int32_t>(i);
    return -1;
}

void TVxIniFile::ReadSectionValueList(const std::string& section,
                                      std::vector<std::string>& target) {
    ReadSectionValues(section, target);
    for (std::string& line : target) {
        if (StripQuotes && line.size() > 1 && line.front() == '"' && line.back() == '"')
            line = line.substr(1, line.size() - 2);
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos)
            line.erase(0, eq + 1);
    }
}

std::string TVxIniFile::ReadString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue) {
    std::vector<std::string>* lines = nullptr;
    const std::int32_t index = FindKey(section, key, lines, false);
    if (index < 0)
        return defaultValue;
    const std::string& line = (*lines)[static_cast<std::size_t>(index)];
    const std::size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

void TVxIniFile::WriteString(const std::string& section, const std::string& key,
                             const std::string& value) {
    if (key.empty()) {
        if (section.empty() && value.empty())
            UpdateFile();
        else
            EraseSection(section);
        return;
    }
    CheckStorable(section);
    CheckStorable(key);
    CheckStorable(value);
    if (ApplyChange({TChange::Write, section, key, value}))
        RecordChange({TChange::Write, section, key, value});
}

std::int32_t TVxIniFile::ReadInteger(const std::string& section, const std::string& key,
                                     std::int32_t defaultValue) {
    std::string text = ReadString(section, key, "");
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.replace(0, 2, "$");
    std::int32_t value = 0;
    return TryStrToInt(text, value) ? value : defaultValue;
}

void TVxIniFile::WriteInteger(const std::string& section, const std::string& key,
                              std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

bool TVxIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TVxIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TVxIniFile::ReadSection(const std::string& section, std::vector<std::string>& target) {
    const std::int32_t index = FSections.IndexOf(section);
    if (index < 0)
        return;
    for (const std::string& line : FSections.SectionLines(index))
        target.emplace_back(KeyOf(line));
}

void TVxIniFile::ReadSections(std::vector<std::string>& target) {
    target.clear();
    for (std::int32_t i = 0; i < FSections.Count(); ++i)
        target.push_back(FSections.Name(i));
}

void TVxIniFile::ReadSectionValues(const std::string& section, std::vector<std::string>& target) {
    const std::int32_t index = FSections.IndexOf(section);
    if (index < 0)
        return;
    const std::vector<std::string>& lines = FSections.SectionLines(index);
    target.insert(target.end(), lines.begin(), lines.end());
}

void TVxIniFile::EraseSection(const std::string& section) {
    if (ApplyChange({TChange::Erase, section, {}, {}}))
        RecordChange({TChange::Erase, section, {}, {}});
}

void TVxIniFile::DeleteKey(const std::string& section, const std::string& key) {
    if (ApplyChange({TChange::Delete, section, key, {}}))
        RecordChange({TChange::Delete, section, key, {}});
}

bool TVxIniFile::ApplyChange(const TChange& change) {
    switch (change.Kind) {
    case TChange::Write: {
        std::string line = change.Key + "=" + change.Value;
        std::vector<std::string>* lines = nullptr;
        const std::int32_t index = FindKey(change.Section, change.Key, lines, true);
        if (index < 0) {
            lines->push_back(std::move(line));
            return true;
        }
        std::string& stored = (*lines)[static_cast<std::size_t>(index)];
        if (stored == line)
            return false;
        stored = std::move(line);
        return true;
    }
    case TChange::Delete: {
        std::vector<std::string>* lines = nullptr;
        const std::int32_t index = FindKey(change.Section, change.Key, lines, true);
        if (index < 0)
            return false;
        lines->erase(lines->begin() + index);
        return true;
    }
    case TChange::Erase: {
        const std::int32_t index = FSections.IndexOf(change.Section);
        if (index < 0)
            return false;
        FSections.Delete(index);
        FSections.LastFound = 0;
        if (FCurSection >= FSections.Count())
            FCurSection = 0;
        return true;
    }
    }
    return false;
}

void TVxIniFile::RecordChange(TChange change) {
    FChanges.push_back(std::move(change));
    FModified = true;
}

void TVxIniFile::SaveToStrings(std::vector<std::string>& target) {
    for (std::int32_t i = 0; i < FSections.Count(); ++i) {
        const std::vector<std::string>& lines = FSections.SectionLines(i);
        if (lines.empty())
            continue;
        target.push_back("[" + FSections.Name(i) + "]");
        target.insert(target.end(), lines.begin(), lines.end());
        target.emplace_back();
    }
}

void TVxIniFile::UpdateFile() {
    if (!FModified)
        return;
    if (!FFilePath.empty())
        RewriteUnderLock();
    FChanges.clear();
    FModified = false;
}

void TVxIniFile::RewriteUnderLock() {
    const std::string target = ReplacedFile();
    const TFileLock lock(target + ".lock", FFilePath, LockTimeout, OnLockWait);
    TReplacement::RemoveStale(target);
    // The file as it is now, with every change of this store made again on it: what other
    // processes wrote since this store was loaded stays. Should the file not open, the store
    // goes back to what it held, with its changes still pending.
    TSectionList loaded = std::move(FSections);
    FSections = TSectionList();
    int fd = -1;
    try {
        fd = OpenToLoad(FFilePath);
    } catch (...) {
        FSections = std::move(loaded);
        FModified = true;
        throw;
    }
    // What the store held goes before the file is read, so that a large file is never held
    // twice. Should anything fail from here on, the store holds what it read of the file with
    // its changes made on it, and they stay pending for the next rewrite.
    loaded = TSectionList();
    bool applied = false;
    try {
        FCurSection = 0;
        if (fd >= 0) {
            LoadFrom(fd, FFilePath);
        }
        for (const TChange& change : FChanges) {
            ApplyChange(change);
        }
        applied = true;
        WriteWholeFile(target);
    } catch (...) {
        if (!applied) {
            for (const TChange& change : FChanges) {
                ApplyChange(change);
            }
        }
        FModified = true;
        throw;
    }
}

std::string TVxIniFile::ReplacedFile() const {
    // A settings file reached through symbolic links stays a link: the file at the end of
    // the chain is the one replaced, and made when it is missing.
    return FinalLinkTarget(FFilePath, FFilePath);
}

void TVxIniFile::WriteWholeFile(const std::string& target) {
    TReplacement replacement(target, FFilePath);
    replacement.MaxSize = MaxFileSize;
    replacement.TakeOverAttributes();
    // The written form of SaveToStrings, with each key line in the form that loads back as
    // the same line, written piece by piece rather than built whole first.
    std::string text;
    for (std::int32_t i = 0; i < FSections.Count(); ++i) {
        const std::vector<std::string>& lines = FSections.SectionLines(i);
        if (lines.empty())
            continue;
        text = '[';
        text += FSections.Name(i);
        text += "]\r\n";
        replacement.Write(text);
        for (const std::string& line : lines) {
            text.clear();
            AppendFileLine(text, line, TrimAroundEquals, StripQuotes);
            text += "\r\n";
            replacement.Write(text);
        }
        replacement.Write("\r\n");
    }
    replacement.Commit();
}
