// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TVxIniFile;

/// The record definitions saved by name in section RecordDefs of one settings file: each a
/// line name=command string, in the order of saving. Names are unique without regard to case
/// (Latin-1 letters). Every operation reads the file anew, and every change is written before
/// the operation returns, so that several programs can share the file.
///
/// Failures are exceptions with the user's message: the name checks with the texts the
/// manage dialog has always shown, and a file that cannot be read or written as an
/// EInOutError whose message names the settings file and the cause.
class TSavedDefinitions {
public:
    /// The section of the settings file that holds the definitions.
    static const std::string Section;

    explicit TSavedDefinitions(std::string iniPath);

    const std::string& IniPath() const { return FIniPath; }

    /// The names in the order of the file.
    std::vector<std::string> Names() const;
    /// The command string saved under name, looked up without regard to case; none when the
    /// file holds no such name.
    std::optional<std::string> Load(const std::string& name) const;
    /// Saves definition under name, after the name checks; an existing definition is never
    /// overwritten. The name is taken as given: callers trim what the user typed.
    void Save(const std::string& name, const std::string& definition);
    /// Gives the definition oldName the name newName, which moves it to the end.
    void Rename(const std::string& oldName, const std::string& newName);
    /// Removes the definition name; nothing happens when there is none.
    void Delete(const std::string& name);

    /// The longest a change waits for another program that is saving the file.
    std::chrono::milliseconds LockTimeout{5000};
    /// Called while a change waits for another program that is saving the file.
    std::function<void()> OnLockWait;

private:
    /// A store on the settings file, loaded.
    std::unique_ptr<TVxIniFile> Open() const;
    /// Writes the changes made on ini.
    void Write(TVxIniFile& ini) const;
    /// Refuses a name the settings file would not read back as it was saved.
    static void CheckStorableName(const std::string& name);
    /// Refuses name when the file holds it already, without regard to case.
    static void CheckNew(TVxIniFile& ini, const std::string& name);

    std::string FIniPath;
};
