// I/O tables and the locked bit calls.
#include "machine/io_points.h"

#include "machine/d1000.h"
#include "platform/clock.h"
#include "production/machine_state.h"

namespace corvane {

namespace {

struct Row {
    const char* english;
    const char* chinese;
    uint16_t card;
    uint16_t bit;
};

constexpr Row kOutputTable[kOutputCount] = {
    {"CTA", "CTA推料气缸", 1, 12},
    {"Paper-Cut", "切纸", 1, 11},
    {"Forfex seat", "剪脚座", 0, 8},
    {"Forfex", "剪脚", 0, 9},
    {"Camera light", "相机开关灯", 0, 12},
    {"Workdesk light", "工作台灯", 0, 7},
    {"Red light", "红灯", 0, 13},
    {"Yellow light", "黄灯", 0, 15},
    {"Green light", "绿灯", 0, 14},
    {"Plug-in head position indicator", "插件头位置指示灯", 0, 18},
    {"The Pcb fixxing 1", "PCB定位1", 0, 6},
    {"The Pcb fixxing 2", "PCB定位2", 0, 10},
    {"Workdesk belt", "工作台皮带", 0, 11},
    {"The LoadPcbLift Belt ", "进板升降台皮带", 0, 2},
    {"The UnloadPcbLift Belt ", "出板升降台皮带", 0, 4},
    {"The LoadPcbLift", "进板升降台", 0, 1},
    {"The UnloadPcbLift", "出板升降台", 0, 3},
    {"Ask for Pcb", "要求上机送板", 0, 5},
    {"Buzzer", "蜂鸣器", 0, 16},
    {"Paper cutting front cylinder", "切纸前气缸", 0, 17},
};

constexpr Row kInputTable[kInputCount] = {
    {"Forfex-Seat Target", "剪脚气缸到位", 1, 10},
    {"Forfex-Manual", "手动剪脚信号", 0, 13},
    {"Left-Check", "检料左", 1, 6},
    {"Right-Check", "检料右", 1, 7},
    {"Forfex-Seat Origin", "剪脚座原位", 1, 11},
    {"Start", "启动", 0, 10},
    {"Stop", "停止生产", 0, 11},
    {"Em-Stop", "紧急停止", 0, 14},
    {"CTA-Target", "CTA推料气缸到位", 1, 8},
    {"CTA-Origin", "CTA推料气缸原位", 1, 9},
    {"H-Return-Origin", "头部原位信号", 0, 12},
    {"Safe door", "安全门", 0, 16},
    {"Feeder Return Detection ", "送料器回位检测", 1, 5},
    {"Pcb arrive workdesk", "pcb到位", 1, 1},
    {"Pcb fixxing", "pcb定位", 1, 2},
    {"The LoadPcbLift pcb checkpoint 1", "进板升降台pcb检测1", 0, 1},
    {"The LoadPcbLift pcb checkpoint 2", "进板升降台pcb检测2", 0, 3},
    {"The UnloadPcbLift pcb checkpoint 1", "出板升降台pcb检测1", 0, 2},
    {"The UnloadPcbLift pcb checkpoint 2", "出板升降台pcb检测2", 0, 4},
    {"The LoadPcbLift Origin", "进板升降台原位", 0, 5},
    {"The LoadPcbLift Target", "进板升降台到位", 0, 6},
    {"The UnloadPcbLift Origin", "出板升降台原位", 0, 7},
    {"The UnloadPcbLift Target", "出板升降台到位", 0, 8},
    {"Receive the next section needs", "接收下一段送板需求", 0, 9},
};

// The one input that is active high.
constexpr int kActiveHighInput = kInFeederReturnDetection;

}  // namespace

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
    return machineState().Language.load() == kChinese ? chineseName_ : englishName_;
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
    for (int i = 0; i < kOutputCount; ++i) Outputs().push_back(std::make_unique<OutputPoint>());
    for (int i = 0; i < kInputCount; ++i) Inputs().push_back(std::make_unique<InputPoint>());
    for (int i = 0; i < kOutputCount; ++i) {
        const Row& r = kOutputTable[i];
        Outputs()[static_cast<size_t>(i)]->Set(r.english, r.chinese, r.card, r.bit, 0);
    }
    for (int i = 0; i < kInputCount; ++i) {
        const Row& r = kInputTable[i];
        Inputs()[static_cast<size_t>(i)]->Set(r.english, r.chinese, r.card, r.bit,
                                              i == kActiveHighInput ? 1 : 0);
    }
    output(kOutWorkdeskLight).On();
    for (int n = 1; n <= kStationCount; ++n) {
        auto point = std::make_unique<OutputPoint>();
        const uint16_t card = n <= 10 ? 1 : 0;
        const uint16_t bit = static_cast<uint16_t>(n <= 10 ? n : n + 15);
        point->Set("Station " + std::to_string(n), "料站" + std::to_string(n), card, bit, 0);
        StationOutputs().push_back(std::move(point));
    }
    for (auto& point : StationOutputs()) point->Off();
    for (int n = 1; n <= kStationCount; ++n) {
        auto point = std::make_unique<InputPoint>();
        point->Set("Station " + std::to_string(n), "料站" + std::to_string(n), 0,
                   static_cast<uint16_t>(n + 16), 0);
        StationInputs().push_back(std::move(point));
    }
}

void EnsureOutput(OutputPoint& point, bool on) {
    for (;;) {
        point.Switch(on);
        platform::Clock::sleepMs(5);
        if (point.IsOn() == on || machineState().QuitRequest.load()) {
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
