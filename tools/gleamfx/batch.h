// gleamfx batch: one operation applied to many files in one process.
//
//   gleamfx batch FOLDER [options] OP [ARG...] -- IN...
//
// Each IN is run exactly as `gleamfx apply [options] IN FOLDER/NAME OP
// [ARG...]` would run it, NAME being IN's file name (a JPEG's with the
// extension .png, since gleamfx writes no JPEG). FOLDER is made when
// missing. On a terminal a progress line counts the files.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace gleamkit::tools {

// Runs the batch command (`args` are the words after "batch"). Answers
// kExitOk when every file was written; kExitFailure when one or more could
// not be (each reported on `err`, the others still written); kExitUsage for
// a malformed command, before any file is touched. `progress` asks for the
// progress line on `err`.
int RunBatch(std::span<const std::string> args, std::ostream& err, bool progress);

} // namespace gleamkit::tools
