// Script parsing and result lines.
#include "cameractl/script.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

namespace ostrelctl {

namespace {

// Splits a line into words; a word in double quotes may hold blanks, \" and \\.
bool splitWords(const std::string& line, std::vector<std::string>* words, std::string* why) {
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
            continue;
        }
        std::string word;
        if (line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < line.size()) {
                    word += line[i++];
                } else {
                    word += c;
                }
            }
            if (!closed) {
                *why = "unterminated quoted text";
                return false;
            }
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
                word += line[i++];
            }
        }
        words->push_back(word);
    }
    return true;
}

bool parseInteger(const std::string& word, int64_t* value) {
    if (word.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(word.c_str(), &end, 0);
    if (errno != 0 || end == word.c_str() || *end != '\0' || v < INT32_MIN || v > UINT32_MAX) {
        return false;
    }
    *value = v > INT32_MAX ? static_cast<int64_t>(static_cast<int32_t>(v)) : v;
    return true;
}

bool parseBoolean(const std::string& word, int64_t* value) {
    if (word == "true" || word == "True" || word == "TRUE") {
        *value = 1;
        return true;
    }
    if (word == "false" || word == "False" || word == "FALSE") {
        *value = 0;
        return true;
    }
    return parseInteger(word, value);
}

}  // namespace

std::optional<std::vector<ScriptCall>> parseScript(const std::string& text, ScriptError* error) {
    std::vector<ScriptCall> calls;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    const auto failed = [&](const std::string& message) {
        error->line = number;
        error->message = message;
        return std::nullopt;
    };
    while (std::getline(in, line)) {
        ++number;
        std::vector<std::string> words;
        std::string why;
        if (!splitWords(line, &words, &why)) {
            return failed(why);
        }
        if (words.empty() || words[0][0] == ';') {
            continue;
        }
        ScriptCall call;
        call.line = number;
        const std::string& head = words[0];
        if (head == "@wait") {
            int64_t ms = 0;
            if (words.size() != 2 || !parseInteger(words[1], &ms) || ms < 0 || ms > 600000) {
                return failed("@wait takes one number of milliseconds (0 to 600000)");
            }
            call.waitMs = static_cast<int>(ms);
            calls.push_back(call);
            continue;
        }
        if (head[0] == '#') {
            int64_t id = 0;
            if (!parseInteger(head.substr(1), &id) ||
                (call.method = findMethod(static_cast<int>(id))) == nullptr) {
                return failed("no method has the id '" + head.substr(1) + "'");
            }
        } else if ((call.method = findMethod(head)) == nullptr) {
            return failed("unknown method '" + head + "'");
        }
        const std::string name = call.method->name;
        size_t next = 1;
        for (const ArgSpec& spec : inArguments(*call.method)) {
            Argument arg;
            const size_t left = words.size() - next;
            switch (spec.kind) {
                case ArgKind::Integer:
                case ArgKind::Boolean: {
                    if (left == 0) {
                        return failed(name + " needs " + spec.name);
                    }
                    const std::string& w = words[next++];
                    const bool parsed = spec.kind == ArgKind::Integer
                                            ? parseInteger(w, &arg.number)
                                            : parseBoolean(w, &arg.number);
                    if (!parsed) {
                        return failed(std::string(spec.name) + " of " + name + " is not a 32-bit " +
                                      (spec.kind == ArgKind::Integer ? "integer" : "boolean") +
                                      ": '" + w + "'");
                    }
                    arg.present = true;
                    break;
                }
                case ArgKind::Text:
                    if (left > 0) {
                        arg.text = words[next++];
                        arg.present = true;
                    }
                    break;
                case ArgKind::Values:
                    if (left == 0) {
                        break;
                    }
                    if (left < static_cast<size_t>(spec.count)) {
                        return failed(std::string(spec.name) + " of " + name + " takes " +
                                      std::to_string(spec.count) + " values, or none");
                    }
                    for (int k = 0; k < spec.count; ++k) {
                        int64_t v = 0;
                        if (!parseInteger(words[next], &v)) {
                            return failed(std::string(spec.name) + " of " + name +
                                          " holds integers: '" + words[next] + "'");
                        }
                        arg.values.push_back(static_cast<int32_t>(v));
                        ++next;
                    }
                    arg.present = true;
                    break;
                case ArgKind::OutInteger:
                case ArgKind::OutValues:
                    break;
            }
            call.args.push_back(arg);
        }
        if (next < words.size()) {
            return failed("too many arguments for " + name + ": '" + words[next] + "'");
        }
        calls.push_back(call);
    }
    return calls;
}

std::string resultLine(const Method& m, const CallResult& r) {
    std::ostringstream out;
    out << m.name << " = ";
    switch (r.kind) {
        case ResultKind::Code:
            out << r.code;
            break;
        case ResultKind::Rate:
            out << r.rate;
            break;
        case ResultKind::Address:
            out << "0x" << std::hex << r.address << std::dec;
            break;
        case ResultKind::None:
            out << "none";
            break;
    }
    for (int32_t v : r.outs) {
        out << ' ' << v;
    }
    return out.str();
}

}  // namespace ostrelctl
