// SPDX-License-Identifier: MIT
#include "cli/GenParser.h"

#include "engine/Exceptions.h"

void TGenParser::Override(char letter, std::string value) {
    FOverrides.emplace_back(letter, std::move(value));
}

void TGenParser::Parse(std::string cmdLine) {
    FArgs.clear();
    FBegun = 0;
    FInHandler = false;
    std::string rest = cmdLine;
    std::string arg;
    for (NextArg(rest, arg); !arg.empty(); NextArg(rest, arg)) {
        FArgs.push_back(arg);
    }
    try {
        TVxRndParser::Parse(std::move(cmdLine));
    } catch (const Exception& e) {
        if (FInHandler && FBegun > 0 && FBegun <= FArgs.size()) {
            RaiseError(e.Message() + " (in " + FArgs[FBegun - 1] + ")");
        }
        if (Fields().empty() && !FileName().empty()) {
            RaiseError(e.Message() + " (\"" + FileName() +
                       "\" was taken as the output file name; the definition has no field)");
        }
        throw;
    }
    for (const auto& [letter, value] : FOverrides) {
        TVxRndParser::DoOption(std::string(1, letter), value);
    }
}

void TGenParser::DoOption(std::string name, std::string value) {
    // Left set when the handler raises, so that Parse knows the failure is this argument's.
    ++FBegun;
    FInHandler = true;
    for (const auto& [letter, replacement] : FOverrides) {
        if (name.size() == 1 && name[0] == letter) {
            value = replacement;
        }
    }
    TVxRndParser::DoOption(std::move(name), std::move(value));
    FInHandler = false;
}

void TGenParser::DoParam(std::string text) {
    ++FBegun;
    FInHandler = true;
    TVxRndParser::DoParam(std::move(text));
    FInHandler = false;
}
