// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

/// The whole of tabbit-gen: parses the arguments (after the program name), generates, and
/// returns the exit status: 0 done, 1 refused definition or failure, 2 usage error.
int RunTabbitGen(const std::vector<std::string>& args);
