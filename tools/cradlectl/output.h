// Checked output: every byte cradlectl prints goes through here, so a full disk or a closed pipe ends the
// command with exit 1 instead of being taken for success. After the first failed write nothing more is
// printed on either stream (a reader that went away gets no half lines later).
#pragma once

#include <cstdio>
#include <string_view>

namespace cradlectl {

// Writes all of text and flushes it; false when this or an earlier write failed.
bool writeTo(std::FILE* stream, std::string_view text);
inline bool writeOut(std::string_view text) { return writeTo(stdout, text); }
inline bool writeErr(std::string_view text) { return writeTo(stderr, text); }
// A write has failed: the command's exit code becomes kExitFailure.
bool outputFailed();

}  // namespace cradlectl
