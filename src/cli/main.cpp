// corvane-cli: the machine program's core without a screen.
#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: corvane-cli COMMAND [ARGS...]\n");
        return 2;
    }
    std::fprintf(stderr, "corvane-cli: unknown command '%s'\n", argv[1]);
    return 2;
}
