// Alarm and state text tables.
#include "production/alarm_texts.h"

#include "production/machine_state.h"

namespace corvane {

namespace {

constexpr const char* kAlarmTexts[2][kAlarmCount] = {
    {
        "完成生产任务",
        "H下插到位超时",
        "P轴报警或者下插超时",
        "剪脚座下落超时",
        "剪脚到位超时",
        "料站错误",
        "切纸错误,链条将动时切纸气阀没有回位",
        "找不到MARK匹配点",
        "相机找不到插件位置",
        "CTA推料气缸到位超时",
        "CTA推料气缸原位超时",
        "进板升降台回位超时",
        "出板升降台回位超时",
        "进板升降台下降超时",
        "出板升降台下降超时",
        "工作台加载PCB超时",
        "PCB定位超时",
        "工作台出板超时",
        "工作台无PCB板",
        "链条将动时，送料器没有回位",
        "链条将动时，分配头感光感应右有信号",
        "链条将动时，分配头感光感应左右都有信号",
        "插件失败",
        "插件失败",
        "安全门被打开，机器暂停运行",
        "进板升降台有两张PCB板",
    },
    {
        "Complete the production",
        "H shaft is  alarm or timeout",
        "P shaft is  alarm or timeout",
        "Forfex-seat down timeout",
        "Shear is timeout",
        "Station error: ",
        "Paper cut error",
        "Cannot find mark-point",
        "Cannot find plug-in position",
        "CTA put out timeout",
        "CTA return origin timeout",
        "The LoadPcbLift go home timeout",
        "The UnloadPcbLift go home timeout",
        "The LoadPcbLift down timeout",
        "The UnloadPcbLift down timeout",
        "Workdesk load pcb timeout",
        "Pcb fix timeout",
        "Workdesk unload pcb timeout",
        "Workdesk no pcb",
        "Distributor-head of stations be not at origin",
        "Right-distributor-head of stations has signal",
        "Left-distributor-head and right-distributor-head of stations has signal",
        "Plug-in failure",
        "Plug-in failure",
        "The safe door was opened",
        "The LoadPcbLift have two pcbs",
    },
};

constexpr const char* kStateTexts[2][kStateCount] = {
    {
        "进板升降台向前机求板",
        "出板升降台等待后机求板信号",
        "出板升降台正在出板",
        "工作台正在加载PCB",
        "工作台正在出板",
        "插件中...",
        "",
    },
    {
        "The LoadPcbLift ask board from pre section",
        "The UnloadPcbLift wait the need board of next section",
        "The UnloadPcbLift is feeding board",
        "The workdesk is loading board",
        "The workdesk is feeding board",
        "",
        "",
    },
};

int table(int language) { return language == kChinese ? 0 : 1; }

}  // namespace

std::string alarmText(int code, int language) {
    if (code < 0 || code >= kAlarmCount) return {};
    return kAlarmTexts[table(language)][code];
}

std::string stateText(int code, int language) {
    if (code < 0 || code >= kStateCount) return {};
    return kStateTexts[table(language)][code];
}

}  // namespace corvane
