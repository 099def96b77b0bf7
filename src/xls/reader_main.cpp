// corvane-xls-reader: reads one workbook with freexl and writes its sheets
// and cells to standard output (cell_reply.h).
//
// The programs that load workbooks run it on every file, after they checked
// its records and packed them into a fresh compound file (workbook_reader.h):
// a fault freexl still has ends this program, not the machine's, and freexl
// runs in a process that no other thread ever shared.
//
// Usage: corvane-xls-reader [FILE]   (the workbook on standard input when no
// file is named; it must then be a file, freexl reads it by name)
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <string>

#include "xls/cell_reply.h"
#include "xls/freexl_reader.h"

// freexl 1.0.6 loses its workbook handle on some damaged files (it reports
// success and hands back no handle); that leak is the library's, and must not
// turn the reader's answer into a failure in a leak-checking build.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfreexl.so\n";
}

int main(int argc, char** argv) {
    if (argc > 2) {
        std::fputs("usage: corvane-xls-reader [FILE]\n", stderr);
        return 2;
    }
    try {
        const std::string path = argc == 2 ? argv[1] : "/proc/self/fd/0";
        xls::ReplyWriter reply(STDOUT_FILENO);
        std::string error;
        const bool read = xls::readWithFreexl(path, reply, error);
        if (!reply.finish(read, error)) {
            std::fputs("corvane-xls-reader: cannot write the answer\n", stderr);
            return 1;
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "corvane-xls-reader: %s\n", e.what());
        return 3;
    }
}
