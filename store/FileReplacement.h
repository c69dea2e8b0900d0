// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

/// The temporary file "<target>.saving-XXXXXX" that a rewrite writes before it puts it in place
/// of target in one step, so that a reader sees either the old file or the new one. The new
/// file takes over the owner, group and permission bits of the file it replaces, so that a
/// save by root or by a member of the file's group does not take the file from its owner.
/// Unless Commit succeeds, the temporary file is removed again. Failures raise EInOutError
/// naming the settings file (ESettingsFileError where the temporary file cannot be made or the
/// owner cannot be kept).
class TReplacement {
public:
    /// The infix of a temporary file's name, between target's name and six unique characters.
    static constexpr std::string_view SavingInfix = ".saving-";

    /// Makes the temporary file beside target.
    TReplacement(std::string target, std::string settingsPath);
    TReplacement(const TReplacement&) = delete;
    TReplacement& operator=(const TReplacement&) = delete;
    ~TReplacement();

    /// Gives the temporary file target's owner, group and permission bits, or for a new file
    /// the bits the process's umask allows. Refuses a target that is write-protected.
    void TakeOverAttributes();
    /// Appends bytes to the new file, through a buffer of a fixed size; raises Exception
    /// "Settings file too large" once the file would grow past maxSize.
    void Write(std::string_view bytes);
    /// Makes the new content durable, then puts it in place of target in one step.
    void Commit();

    /// Removes the temporary files of rewrites of target that were killed before they could
    /// clean up. Only to be called under the rewrite lock, when no rewrite of target is under
    /// way; only names of exactly the form a rewrite gives are touched. Best effort: a file that
    /// cannot be removed costs nothing but its space.
    static void RemoveStale(const std::string& target);

    /// The largest file written.
    std::size_t MaxSize = 0;

private:
    void Flush();
    [[noreturn]] void Fail() const;

    std::string FTarget;
    std::string FSettingsPath;
    std::string FTempName;
    std::string FBuffer;
    std::size_t FWritten = 0;
    int FFd = -1;
    bool FCommitted = false;
};
