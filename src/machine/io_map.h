// The wiring of the machine's signals as data: which card bit each named
// input and output sits on, and its active level.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

enum class IoTable { Outputs, Inputs, StationOutputs, StationInputs };

struct IoMapEntry {
    IoTable table;
    int index;  // logical number in its table (station n has index n - 1)
    std::string englishName;
    std::string chineseName;
    uint16_t card;
    uint16_t bit;
    uint16_t activeLevel;

    int libraryBit() const { return card * 32 + bit; }
};

// Every point of the four tables, in table order: outputs, inputs, station
// outputs, station inputs.
const std::vector<IoMapEntry>& ioMap();

const char* ioTableName(IoTable table);

}  // namespace corvane
