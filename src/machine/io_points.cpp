// I/O tables and the locked bit calls.
#include "machine/io_points.h"

#include "machine/d1000.h"
#include "machine/io_map.h"
#include "platform/clock.h"
#include "machine/machine_stops.h"
#include "platform/language.h"

namespace corvane {


std::mutex& InputLock() {
    static std::mutex lock;
    return lock;
}

std::mutex& OutputLock() {
    static std::mutex lock;
    return lock;
}

void IoPoint::Set(const std::string& englishName, const std::string& chineseName, uint16_t card,
                  uint16_t bit, uint16_t activeLevel) {
    englishName_ = englishName;
    chineseName_ = chineseName;
    card_ = card;
    bit_ = bit;
    activeLevel_ = activeLevel;
}

const std::string& IoPoint::name() const {
    return Language.load() == kChinese ? chineseName_ : englishName_;
}

bool InputPoint::IsActive() const {
    int level;
    {
        std::lock_guard lock(InputLock());
        level = d1000_in_bit(libraryBit());
    }
    return level == activeLevel();
}

bool OutputPoint::IsOn() const {
    int level;
    {
        std::lock_guard lock(OutputLock());
        level = d1000_get_outbit(libraryBit());
    }
    return (level & 1) == activeLevel();
}

void OutputPoint::On() {
    std::lock_guard lock(OutputLock());
    d1000_out_bit(libraryBit(), activeLevel() != 0 ? 1 : 0);
}

void OutputPoint::Off() {
    std::lock_guard lock(OutputLock());
    d1000_out_bit(libraryBit(), activeLevel() != 0 ? 0 : 1);
}

std::vector<std::unique_ptr<OutputPoint>>& Outputs() {
    static std::vector<std::unique_ptr<OutputPoint>> table;
    return table;
}

std::vector<std::unique_ptr<InputPoint>>& Inputs() {
    static std::vector<std::unique_ptr<InputPoint>> table;
    return table;
}

std::vector<std::unique_ptr<OutputPoint>>& StationOutputs() {
    static std::vector<std::unique_ptr<OutputPoint>> table;
    return table;
}

std::vector<std::unique_ptr<InputPoint>>& StationInputs() {
    static std::vector<std::unique_ptr<InputPoint>> table;
    return table;
}

void BuildIoTables() {
    Outputs().clear();
    Inputs().clear();
    StationOutputs().clear();
    StationInputs().clear();
    const auto& map = ioMap();
    auto set = [](IoPoint& point, const IoMapEntry& e) {
        point.Set(e.englishName, e.chineseName, e.card, e.bit, e.activeLevel);
    };
    for (const auto& e : map) {
        if (e.table == IoTable::Outputs) Outputs().push_back(std::make_unique<OutputPoint>());
    }
    for (const auto& e : map) {
        if (e.table == IoTable::Inputs) Inputs().push_back(std::make_unique<InputPoint>());
    }
    for (const auto& e : map) {
        if (e.table == IoTable::Outputs) set(output(e.index), e);
    }
    for (const auto& e : map) {
        if (e.table == IoTable::Inputs) set(input(e.index), e);
    }
    output(kOutWorkdeskLight).On();
    for (const auto& e : map) {
        if (e.table == IoTable::StationOutputs) {
            auto point = std::make_unique<OutputPoint>();
            set(*point, e);
            StationOutputs().push_back(std::move(point));
        }
    }
    for (auto& point : StationOutputs()) point->Off();
    for (const auto& e : map) {
        if (e.table == IoTable::StationInputs) {
            auto point = std::make_unique<InputPoint>();
            set(*point, e);
            StationInputs().push_back(std::move(point));
        }
    }
}

void EnsureOutput(OutputPoint& point, bool on) {
    for (;;) {
        point.Switch(on);
        platform::Clock::sleepMs(5);
        if (point.IsOn() == on || machineStops().quitting()) {
            return;
        }
    }
}

void SwitchOffAllButLamps() {
    for (int i = 0; i < static_cast<int>(Outputs().size()); ++i) {
        if (i == kOutWorkdeskLight || i == kOutRedLight || i == kOutYellowLight ||
            i == kOutGreenLight) {
            continue;
        }
        output(i).Off();
    }
    for (auto& point : StationOutputs()) point->Off();
}

}  // namespace corvane
