// SPDX-License-Identifier: MIT
#include "cli/TabbitGen.h"

int main(int argc, char** argv) {
    return RunTabbitGen(std::vector<std::string>(argv + 1, argv + argc));
}
