// The wiring table of the machine's signals.
#include "machine/io_map.h"

#include "machine/io_points.h"

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

const std::vector<IoMapEntry>& ioMap() {
    static const std::vector<IoMapEntry> map = [] {
        std::vector<IoMapEntry> entries;
        for (int i = 0; i < kOutputCount; ++i) {
            const Row& r = kOutputTable[i];
            entries.push_back({IoTable::Outputs, i, r.english, r.chinese, r.card, r.bit, 0});
        }
        for (int i = 0; i < kInputCount; ++i) {
            const Row& r = kInputTable[i];
            entries.push_back({IoTable::Inputs, i, r.english, r.chinese, r.card, r.bit,
                               static_cast<uint16_t>(i == kActiveHighInput ? 1 : 0)});
        }
        // Stations 1..10 drive card 1 bits 1..10, stations 11 and 12 card 0
        // bits 26 and 27; every station input is card 0 bit n + 16.
        for (int n = 1; n <= kStationCount; ++n) {
            entries.push_back({IoTable::StationOutputs, n - 1, "Station " + std::to_string(n),
                               "料站" + std::to_string(n), static_cast<uint16_t>(n <= 10 ? 1 : 0),
                               static_cast<uint16_t>(n <= 10 ? n : n + 15), 0});
        }
        for (int n = 1; n <= kStationCount; ++n) {
            entries.push_back({IoTable::StationInputs, n - 1, "Station " + std::to_string(n),
                               "料站" + std::to_string(n), 0, static_cast<uint16_t>(n + 16), 0});
        }
        return entries;
    }();
    return map;
}

const char* ioTableName(IoTable table) {
    switch (table) {
        case IoTable::Outputs: return "outputs";
        case IoTable::Inputs: return "inputs";
        case IoTable::StationOutputs: return "station_outputs";
        case IoTable::StationInputs: return "station_inputs";
    }
    return "";
}

}  // namespace corvane
