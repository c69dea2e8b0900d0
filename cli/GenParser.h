// SPDX-License-Identifier: MIT
#pragma once

#include "engine/CommandLanguage.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

/// The record parser as tabbit-gen runs it. A refused definition keeps the engine's message
/// and adds where it went wrong: the argument at fault, or, for a definition without a field
/// that has a file name, that the name was taken as one (`tabbit-gen hello`). Settings given
/// as options replace the definition's own.
class TGenParser : public TVxRndParser {
public:
    /// Every switch letter (R, E or D) of the definition takes value instead of its own, and
    /// a definition without that switch gets it.
    void Override(char letter, std::string value);
    void Parse(std::string cmdLine) override;
    void DoOption(std::string name, std::string value) override;
    void DoParam(std::string text) override;

private:
    /// The overridden switches: letter and value, in the order given.
    std::vector<std::pair<char, std::string>> FOverrides;
    /// The arguments of the definition, in order, as the handlers meet them.
    std::vector<std::string> FArgs;
    /// How many handlers have begun: the last of them is the argument in hand.
    std::size_t FBegun = 0;
    /// Whether a handler began and did not return, so that a failure belongs to its argument.
    bool FInHandler = false;
};
