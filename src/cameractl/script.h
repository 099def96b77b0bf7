// Scripts of method calls, as hosts that script controls run them.
//
// One call per line: `NAME [ARG...]` or `#ID [ARG...]`. Integers are decimal
// or 0x hexadecimal, booleans 0/1/true/false, text bare or in double quotes;
// an argument that takes several values takes them one after the other. A
// text or a group of values left out is passed as a null pointer. Blank lines
// and lines starting with ';' are skipped; `@wait MS` lets the window run for
// MS milliseconds.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cameractl/dispatch_table.h"

namespace ostrelctl {

struct ScriptCall {
    int line = 0;
    const Method* method = nullptr;  // null for `@wait`
    std::vector<Argument> args;
    int waitMs = 0;
};

struct ScriptError {
    int line = 0;
    std::string message;
};

// Reads the whole script; the first malformed line makes it an error.
std::optional<std::vector<ScriptCall>> parseScript(const std::string& text, ScriptError* error);

// One call's line: `NAME = RESULT OUT...`.
std::string resultLine(const Method& m, const CallResult& r);

}  // namespace ostrelctl
