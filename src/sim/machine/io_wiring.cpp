// The wiring tables of the machine's inputs and outputs.
#include "sim/machine/io_wiring.h"

#include <array>

namespace corvane::sim {

namespace {

constexpr std::array<WiredPoint, kOutputCount> kOutputs{{
    {"CTA", 1, 12, 0},
    {"Paper-Cut", 1, 11, 0},
    {"Forfex seat", 0, 8, 0},
    {"Forfex", 0, 9, 0},
    {"Camera light", 0, 12, 0},
    {"Workdesk light", 0, 7, 0},
    {"Red light", 0, 13, 0},
    {"Yellow light", 0, 15, 0},
    {"Green light", 0, 14, 0},
    {"Plug-in head position indicator", 0, 18, 0},
    {"The Pcb fixxing 1", 0, 6, 0},
    {"The Pcb fixxing 2", 0, 10, 0},
    {"Workdesk belt", 0, 11, 0},
    {"The LoadPcbLift Belt ", 0, 2, 0},
    {"The UnloadPcbLift Belt ", 0, 4, 0},
    {"The LoadPcbLift", 0, 1, 0},
    {"The UnloadPcbLift", 0, 3, 0},
    {"Ask for Pcb", 0, 5, 0},
    {"Buzzer", 0, 16, 0},
    {"Paper cutting front cylinder", 0, 17, 0},
}};

constexpr std::array<WiredPoint, kInputCount> kInputs{{
    {"Forfex-Seat Target", 1, 10, 0},
    {"Forfex-Manual", 0, 13, 0},
    {"Left-Check", 1, 6, 0},
    {"Right-Check", 1, 7, 0},
    {"Forfex-Seat Origin", 1, 11, 0},
    {"Start", 0, 10, 0},
    {"Stop", 0, 11, 0},
    {"Em-Stop", 0, 14, 0},
    {"CTA-Target", 1, 8, 0},
    {"CTA-Origin", 1, 9, 0},
    {"H-Return-Origin", 0, 12, 0},
    {"Safe door", 0, 16, 0},
    {"Feeder Return Detection ", 1, 5, 1},
    {"Pcb arrive workdesk", 1, 1, 0},
    {"Pcb fixxing", 1, 2, 0},
    {"The LoadPcbLift pcb checkpoint 1", 0, 1, 0},
    {"The LoadPcbLift pcb checkpoint 2", 0, 3, 0},
    {"The UnloadPcbLift pcb checkpoint 1", 0, 2, 0},
    {"The UnloadPcbLift pcb checkpoint 2", 0, 4, 0},
    {"The LoadPcbLift Origin", 0, 5, 0},
    {"The LoadPcbLift Target", 0, 6, 0},
    {"The UnloadPcbLift Origin", 0, 7, 0},
    {"The UnloadPcbLift Target", 0, 8, 0},
    {"Receive the next section needs", 0, 9, 0},
}};

// Inverse table of the input bits, built once.
struct InputMap {
    std::array<std::optional<InputSource>, kMaxLibraryBit + 1> sources{};
    std::array<std::optional<int>, kMaxLibraryBit + 1> stationOutputs{};

    InputMap() {
        for (int i = 0; i < kInputCount; ++i) {
            sources[kInputs[i].libraryBit()] = InputSource{InputSource::Kind::Named, i};
        }
        for (int s = 1; s <= kStationCount; ++s) {
            sources[stationInputWiring(s).libraryBit()] =
                InputSource{InputSource::Kind::Station, s};
            stationOutputs[stationOutputWiring(s).libraryBit()] = s;
        }
    }
};

const InputMap& inputMap() {
    static const InputMap map;
    return map;
}

}  // namespace

const WiredPoint& wiring(Output output) {
    return kOutputs[static_cast<int>(output)];
}
const WiredPoint& wiring(Input input) {
    return kInputs[static_cast<int>(input)];
}

WiredPoint stationOutputWiring(int station) {
    if (station <= 10) {
        return {"Station", 1, station, 0};
    }
    return {"Station", 0, station + 15, 0};
}

WiredPoint stationInputWiring(int station) {
    return {"Station", 0, station + 16, 0};
}

std::optional<InputSource> inputAt(int libraryBit) {
    if (libraryBit < 0 || libraryBit > kMaxLibraryBit) {
        return std::nullopt;
    }
    return inputMap().sources[libraryBit];
}

std::optional<int> stationOutputAt(int libraryBit) {
    if (libraryBit < 0 || libraryBit > kMaxLibraryBit) {
        return std::nullopt;
    }
    return inputMap().stationOutputs[libraryBit];
}

int inputActiveLevel(int libraryBit) {
    const auto source = inputAt(libraryBit);
    if (source && source->kind == InputSource::Kind::Named) {
        return kInputs[source->index].activeLevel;
    }
    return 0;
}

}  // namespace corvane::sim
