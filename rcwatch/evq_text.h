// The command line of the operations event command and the text it
// carries.
//
// The event text (notification banners, array output, diagnostics) is put
// between double quotes of a shell command line.  Every character the shell
// still treats specially there ('"', '$', '`', '\') gets a backslash, so the
// event command receives the text exactly as it was and nothing in it is
// ever run.  NUL bytes, which cannot travel in a command line, are dropped.
//
// The escaped text and the whole command line each fit a 4096-byte buffer
// (at most 4095 characters); a longer text is cut at a character boundary,
// never between a backslash and the character it escapes.

#ifndef RCWATCH_EVQ_TEXT_H_
#define RCWATCH_EVQ_TEXT_H_

#include <cstddef>
#include <string>

namespace orv_evq {

const char kEvqCommandPath[] = "/opt/EMLN/bin/EvQ/evqmsg";
const std::size_t kEvqBufferSize = 4096;

// 8 "normal", 16 "warning", 32 "critical", 64 "minor", 128 "major"; any
// other number "warning".
const char* severityWord(int severity);

// text escaped for double quotes, at most maxLength characters.
std::string escapeForDoubleQuotes(const std::string& text, std::size_t maxLength);

// '<command> sev=<word> app="Orvanta (Jx)" obj="" msg_text="<escaped>"
// msg_grp="HA"'; escaped := the escaped (and possibly cut) text.
std::string buildCommand(const char* severity, const std::string& text,
                         std::string& escaped);

}  // namespace orv_evq

#endif  // RCWATCH_EVQ_TEXT_H_
