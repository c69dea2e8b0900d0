// SPDX-License-Identifier: MIT
#pragma once

#include "cli/GenOptions.h"

#include <cstdint>
#include <string>

/// A stretch of a run's records: the first (from 0) and how many.
struct TRecordRange {
    std::uint64_t First = 0;
    std::uint64_t Count = 0;
};

/// The records that part index of count (1 <= index <= count) of a run of total records
/// writes: from floor((index - 1) * total / count) up to but not including
/// floor(index * total / count), so that the parts one after another make the whole run.
TRecordRange PartRange(std::uint64_t total, std::uint64_t index, std::uint64_t count);

/// A record definition as tabbit-gen generates it.
struct TGenDefinition {
    /// The command string in 8-bit text.
    std::string Text;
    /// True when the definition arrived as bytes that are no UTF-8 and were taken as they
    /// stand: a file name inside it then goes to the system as those same bytes. Otherwise
    /// the name is written in UTF-8, as the terminal and the window program write names.
    bool ArrivedAsBytes = false;
};

/// Generates the records of definition into the output that the options or the definition
/// name and returns the exit status: 0 done (a reader of standard output that went away
/// included), 1 when the output failed (reported on standard error, and a regular file cut
/// back to its last whole record), 128 plus the signal's number when SIGINT, SIGTERM or
/// SIGHUP stopped the run at a record boundary. Failures of the definition or of a record
/// are raised after every record before them has been written.
int GenerateRecords(const TGenOptions& options, const TGenDefinition& definition);
