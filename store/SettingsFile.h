// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Latin1Text.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The settings file: named sections of key=value lines, read whole into memory and written
// back whole when changed. All texts are 8-bit Latin-1, one byte per character; keys and
// section names compare without regard to case, values exactly.

/// The settings file of the program: the path given to SetDefaultIniPath, or else the
/// executable's own path with its extension replaced by ".ini".
std::string DefaultIniPath();
/// Sets the path DefaultIniPath returns; an empty path brings back the executable's one.
void SetDefaultIniPath(const std::string& path);
/// executablePath with the extension of its file name replaced by ".ini" (appended when the
/// file name has none).
std::string IniPathOfExecutable(const std::string& executablePath);

/// The sections of a settings file in file order, each a name with the lines it owns.
/// Lookups by name ignore case and start where the last one succeeded.
class TSectionList {
public:
    /// Index at which the last successful IndexOf found its name; the next search starts
    /// there.
    std::int32_t LastFound = 0;

    std::int32_t Count() const { return static_cast<std::int32_t>(FEntries.size()); }
    /// The section name exactly as it stood between the brackets.
    const std::string& Name(std::int32_t index) const;
    std::vector<std::string>& SectionLines(std::int32_t index);
    const std::vector<std::string>& SectionLines(std::int32_t index) const;

    /// Appends a section with no lines; returns its index.
    std::int32_t Add(const std::string& name);
    /// Removes the section at index with its lines.
    void Delete(std::int32_t index);
    /// Removes every section; LastFound returns to 0.
    void Clear();

    /// The index of the section called name, searched from LastFound to the end and then
    /// from the start; -1 when there is none.
    std::int32_t IndexOf(const std::string& name);
    /// Keeps only the first of several sections of one name, with its own lines, and the
    /// order of the others; true when anything was dropped.
    bool RemoveDuplicates();

private:
    /// One section: its name and the lines it owns.
    struct TEntry {
        std::string Name;
        std::vector<std::string> Lines;
    };

    void CheckIndex(std::int32_t index) const;

    std::vector<TEntry> FEntries;
};

/// One settings file held in memory: loaded when the store is bound to the file, every read
/// answered from memory, and the whole file rewritten when the content has changed (on
/// UpdateFile, when bound to another file, and at the latest on destruction).
///
/// Several processes may change one file at once. A rewrite holds an exclusive lock (on the
/// file "<settings file>.lock" beside it, removed again afterwards), reads the file anew
/// under it and makes this store's changes again on what it finds, so that no change another
/// process has written is lost. The changes it carries are those made through WriteString,
/// DeleteKey and EraseSection (and what builds on them); sections that LoadFromFile added from
/// another file are not among them. The new file goes to a temporary file
/// "<settings file>.saving-XXXXXX" that replaces the old one in one step, so a reader sees
/// either the old file or the new one, and keeps the old file's owner, group and permission
/// bits; such temporary files that a killed process left behind are removed by the next
/// rewrite. A settings file reached through symbolic links stays a link: the file at the end of
/// the chain is rewritten (and made when missing), with the lock and the temporary file beside
/// it, so that programs saving through different links to one file share one lock.
///
/// A rewrite waits for a lock that another process holds at most LockTimeout, calling
/// OnLockWait between its attempts, and then fails with ESettingsFileError. A lock that cannot
/// be had otherwise (a folder in its place, say) fails the rewrite with ESettingsFileError, an
/// EInOutError whose message names the settings file and the cause; only a missing folder
/// keeps the runtime's text, as for the settings file itself. Reading never locks.
///
/// Only regular files are read, and none larger than 256 MB ("Settings file too large").
class TVxIniFile {
public:
    /// Binds to path, or to DefaultIniPath() when path is empty, and loads the file.
    explicit TVxIniFile(const std::string& path);
    TVxIniFile(const TVxIniFile&) = delete;
    TVxIniFile& operator=(const TVxIniFile&) = delete;

    /// Appends the section's lines to target, then turns every line of target into its
    /// value (text after the first "="; a line without "=" stays whole).
    virtual void ReadSectionValueList(const std::string& section, std::vector<std::string>& target);
    virtual std::string ReadString(const std::string& section, const std::string& key,
                                   const std::string& defaultValue);
    /// An empty key erases the section, or, with section and value empty too, only writes
    /// pending changes. Raises Exception for a text the file cannot carry (a line break or
    /// character 26) and changes nothing then.
    virtual void WriteString(const std::string& section, const std::string& key,
                             const std::string& value);
    /// The value as a decimal or hexadecimal ("0x", "$") 32-bit integer; the default when
    /// it is absent or not a number.
    virtual std::int32_t ReadInteger(const std::string& section, const std::string& key,
                                     std::int32_t defaultValue);
    virtual void WriteInteger(const std::string& section, const std::string& key,
                              std::int32_t value);
    virtual bool ReadBool(const std::string& section, const std::string& key, bool defaultValue);
    virtual void WriteBool(const std::string& section, const std::string& key, bool value);
    /// Appends the key of every line of the section to target.
    virtual void ReadSection(const std::string& section, std::vector<std::string>& target);
    /// Replaces the content of target with all section names.
    virtual void ReadSections(std::vector<std::string>& target);
    /// Appends the section's lines, unchanged, to target.
    virtual void ReadSectionValues(const std::string& section, std::vector<std::string>& target);
    virtual void EraseSection(const std::string& section);
    /// Removes the first line of the key.
    virtual void DeleteKey(const std::string& section, const std::string& key);
    /// Appends the lines of the written form of the whole store to target, each key line as
    /// the store holds it. The file carries a value that loading would change (one in quotes
    /// or with blanks in front, or one that makes its line look like a section header) inside
    /// one more pair of double quotes, so that it loads back unchanged.
    virtual void SaveToStrings(std::vector<std::string>& target);
    /// Rewrites the file when the content changed: under the lock, the file's current content
    /// with this store's changes made again on it, which the store then holds. On failure
    /// raises EInOutError (Exception for a file too large), leaves the previous file as it
    /// was and the store still modified, with its changes pending: when the file could not be
    /// locked or opened, the store holds what it held; otherwise it holds what it read of the
    /// file now with its changes made on it, as a successful rewrite would have left it, so
    /// that a large file is never held twice.
    virtual void UpdateFile();
    /// Adds the sections of the file at path; a missing file adds nothing. A folder raises
    /// EInOutError, any other file that is not a regular one Exception "Not a regular file:
    /// <path>", and a file larger than 256 MB Exception "Settings file too large".
    virtual void LoadFromFile(const std::string& path);
    /// Writes what is still pending; a failure is dropped here, so callers that changed the
    /// store call UpdateFile themselves first.
    virtual ~TVxIniFile();

    /// Writes pending changes to the file bound so far, then binds to path (nothing when
    /// empty) and loads it. When loading fails the store is left bound to nothing, so that
    /// a partly read file is never written back over the whole one.
    void SetFilePath(const std::string& path);
    /// Removes every section.
    void ClearSections();
    /// Forgets the changes not written yet, so that nothing is written for them: for a caller
    /// that has reported a failed rewrite and does not want the release to try again.
    void DiscardChanges();
    /// Finds the section from CurSection on, wrapping around; when it is absent and create
    /// is set, appends it empty. lines receives the section's line list, or nullptr. Returns
    /// the index of the key's first line, or -1.
    std::int32_t FindKey(const std::string& section, const std::string& key,
                         std::vector<std::string>*& lines, bool create);

    const std::string& FilePath() const { return FFilePath; }
    bool Modified() const { return FModified; }
    const TSectionList& Sections() const { return FSections; }
    /// Index of the section used last by a key operation.
    std::int32_t CurSection() const { return FCurSection; }

    // Treatment of the lines while a file is loaded.
    /// A line whose first character is ";" is ignored.
    bool SkipComments = true;
    /// A line without "=" is ignored.
    bool SkipLinesWithoutEquals = true;
    /// Blanks and tabs directly around the first "=" are removed.
    bool TrimAroundEquals = true;
    /// A value enclosed in a matching pair of double quotes or apostrophes loses the pair.
    bool StripQuotes = true;
    /// Characters with codes below 33 at the end of a line are removed.
    bool TrimLineEnd = false;

    /// The longest a rewrite waits for a lock that another process holds.
    std::chrono::milliseconds LockTimeout{5000};
    /// Called between two attempts to get a lock that another process holds, for example to
    /// keep a window responsive; may be empty.
    std::function<void()> OnLockWait;

private:
    /// One change made through the store since it was loaded or last written, kept so that a
    /// rewrite can make it again on the file as it is then.
    struct TChange {
        enum TKind { Write, Delete, Erase };
        TKind Kind;
        std::string Section;
        std::string Key;
        std::string Value;
    };

    void AddLine(std::string_view line, std::int32_t& current);
    /// Makes change on the sections in memory; true when they changed.
    bool ApplyChange(const TChange& change);
    /// Notes a change made, for the next rewrite.
    void RecordChange(TChange change);
    void RewriteUnderLock();
    /// Opens path for LoadFrom after the checks of LoadFromFile; -1 when there is no file.
    int OpenToLoad(const std::string& path) const;
    /// Adds the sections of the file open at fd, which it closes.
    void LoadFrom(int fd, const std::string& path);
    /// The file a rewrite replaces: FilePath, or the file a symbolic link there leads to.
    std::string ReplacedFile() const;
    void WriteWholeFile(const std::string& target);

    std::string FFilePath;
    bool FModified = false;
    std::vector<TChange> FChanges;
    TSectionList FSections;
    std::int32_t FCurSection = 0;
};
