// corvane-cli io map: the wiring of every input and output.
#include <cstdio>

#include "cli/cli_support.h"
#include "machine/io_map.h"

namespace corvane::cli {

namespace {

int runIo(Arguments& args);

const Command kIo{"io", "io map [--json]", runIo};

int runIo(Arguments& args) {
    if (auto unknown = args.unknownOption()) return usageError(kIo, "unknown option " + *unknown);
    if (args.words.size() != 1 || args.words[0] != "map") return usageError(kIo, "expected 'map'");
    if (args.json) {
        Json all = Json::array();
        for (const auto& e : ioMap()) {
            all.push_back({{"table", ioTableName(e.table)},
                           {"index", e.index},
                           {"name_en", e.englishName},
                           {"name_zh", e.chineseName},
                           {"card", e.card},
                           {"bit", e.bit},
                           {"library_bit", e.libraryBit()},
                           {"active_level", e.activeLevel}});
        }
        printJson(all);
        return kExitOk;
    }
    std::printf("%-16s %5s  %-38s %-22s %4s %4s %7s %6s\n", "table", "index", "name", "chinese name",
                "card", "bit", "library", "active");
    for (const auto& e : ioMap()) {
        std::printf("%-16s %5d  %-38s %-22s %4d %4d %7d %6d\n", ioTableName(e.table), e.index,
                    ("\"" + e.englishName + "\"").c_str(), e.chineseName.c_str(), e.card, e.bit,
                    e.libraryBit(), e.activeLevel);
    }
    return kExitOk;
}

const CommandRegistration registration{kIo};

}  // namespace

}  // namespace corvane::cli
