// SPDX-License-Identifier: MIT
#include "store/SavedDefinitions.h"

#include "engine/Exceptions.h"
#include "store/SettingsFile.h"
#include "store/SettingsFileError.h"

#include <cerrno>
#include <memory>

namespace {

/// What an errno means for the settings file at path, in words a user can act on.
std::string CauseOf(const EInOutError& error, const std::string& path) {
    switch (error.ErrorCode()) {
    case ENOENT: {
        const std::size_t slash = path.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
        return "its folder " + (folder.empty() ? std::string("/") : folder) + " does not exist";
    }
    case ENOTDIR:
        return "a part of its path is not a folder";
    case EISDIR:
        return "it is a folder";
    case ELOOP:
        return "its symbolic links lead round in a circle";
    case ENAMETOOLONG:
        return "its name is too long";
    default:
        return error.SystemReason();
    }
}

/// Runs action; a failure of the file that carries only the runtime's bare text is raised
/// again with a message that names the settings file and the cause.
template <class Action>
auto Explained(const std::string& doing, const std::string& path, Action&& action) {
    try {
        return action();
    } catch (const ESettingsFileError&) {
        throw;
    } catch (const EInOutError& error) {
        throw ESettingsFileError(error.ErrorCode(), error.FileName(),
                                 "Cannot " + doing + " the settings file " + path + ": " +
                                     CauseOf(error, path));
    }
}

} // namespace

const std::string TSavedDefinitions::Section = "RecordDefs";

TSavedDefinitions::TSavedDefinitions(std::string iniPath) : FIniPath(std::move(iniPath)) {}

std::vector<std::string> TSavedDefinitions::Names() const {
    return Explained("read", FIniPath, [this] {
        std::vector<std::string> names;
        TVxIniFile(FIniPath).ReadSection(Section, names);
        return names;
    });
}

std::optional<std::string> TSavedDefinitions::Load(const std::string& name) const {
    return Explained("read", FIniPath, [this, &name]() -> std::optional<std::string> {
        TVxIniFile ini(FIniPath);
        std::vector<std::string>* lines = nullptr;
        if (ini.FindKey(Section, name, lines, false) < 0) {
            return std::nullopt;
        }
        return ini.ReadString(Section, name, "");
    });
}

void TSavedDefinitions::Save(const std::string& name, const std::string& definition) {
    if (name.empty()) {
        throw Exception("Empty name not valid!");
    }
    CheckStorableName(name);
    const std::unique_ptr<TVxIniFile> ini = Open();
    CheckNew(*ini, name);
    ini->WriteString(Section, name, definition);
    Write(*ini);
}

void TSavedDefinitions::Rename(const std::string& oldName, const std::string& newName) {
    if (newName.empty()) {
        throw Exception("Empty name not valid!");
    }
    if (newName == oldName) {
        throw Exception("Name not changed!");
    }
    CheckStorableName(newName);
    const std::unique_ptr<TVxIniFile> ini = Open();
    CheckNew(*ini, newName);
    const std::string value = ini->ReadString(Section, oldName, "");
    // Written before the old line goes, so that a value the file refuses leaves the store
    // unchanged instead of without the old line.
    ini->WriteString(Section, newName, value);
    ini->DeleteKey(Section, oldName);
    Write(*ini);
}

void TSavedDefinitions::Delete(const std::string& name) {
    const std::unique_ptr<TVxIniFile> ini = Open();
    ini->DeleteKey(Section, name);
    Write(*ini);
}

std::unique_ptr<TVxIniFile> TSavedDefinitions::Open() const {
    return Explained("read", FIniPath, [this] { return std::make_unique<TVxIniFile>(FIniPath); });
}

void TSavedDefinitions::Write(TVxIniFile& ini) const {
    // Written before the store is released, because a failure in the release would have
    // nobody left to tell; after a failure the release must not try again, and wait for the
    // lock once more, behind the user's back.
    ini.LockTimeout = LockTimeout;
    ini.OnLockWait = OnLockWait;
    try {
        Explained("save", FIniPath, [&ini] { ini.UpdateFile(); });
    } catch (...) {
        ini.DiscardChanges();
        throw;
    }
}

void TSavedDefinitions::CheckStorableName(const std::string& name) {
    // The settings file keeps a name only up to its first "=", takes a line beginning with
    // ";" for a comment and one beginning with "[" for a section header.
    if (name.find('=') != std::string::npos || name.front() == ';' || name.front() == '[') {
        throw Exception("Name must not contain \"=\" or begin with \";\" or \"[\"!");
    }
}

void TSavedDefinitions::CheckNew(TVxIniFile& ini, const std::string& name) {
    // Looked up rather than compared with a copy of every name, which a large file would
    // make costly.
    std::vector<std::string>* lines = nullptr;
    if (ini.FindKey(Section, name, lines, false) >= 0) {
        throw Exception("Duplicate name for record definition!");
    }
}
