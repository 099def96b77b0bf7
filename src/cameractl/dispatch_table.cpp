// The control's dispatch table.
#include "cameractl/dispatch_table.h"

#include <cstdio>
#include <sstream>

#include "cameractl/ostrel_ctl.h"

namespace ostrelctl {

namespace {

using Args = std::vector<Argument>;

constexpr const char* kInfoFields = "enable, auto, range maximum, range minimum, 5 values";
constexpr const char* kExposureFields = "enable, auto, range maximum, range minimum, value";
constexpr const char* kGainValues = "global, G1, G2, R, B";
constexpr const char* kBlackValues = "calibration, G1, G2, R, B";

CallResult code(int32_t c) {
    CallResult r;
    r.kind = ResultKind::Code;
    r.code = c;
    return r;
}

CallResult none() {
    return CallResult{};
}

int32_t i32(const Args& a, size_t k) {
    return static_cast<int32_t>(a[k].number);
}
bool flag(const Args& a, size_t k) {
    return a[k].number != 0;
}

// A method with two out integers.
template <typename F>
Invoker twoOut(F method) {
    return [method](OstrelCtl& c, const Args&) {
        int32_t a = 0;
        int32_t b = 0;
        CallResult r = code((c.*method)(&a, &b));
        if (r.code == kSuccess) {
            r.outs = {a, b};
        }
        return r;
    };
}

template <typename F>
Invoker oneOut(F method) {
    return [method](OstrelCtl& c, const Args&) {
        int32_t a = 0;
        CallResult r = code((c.*method)(&a));
        if (r.code == kSuccess) {
            r.outs = {a};
        }
        return r;
    };
}

template <typename F>
Invoker fiveOut(F method) {
    return [method](OstrelCtl& c, const Args&) {
        int32_t v[5] = {};
        CallResult r = code((c.*method)(v));
        if (r.code == kSuccess) {
            r.outs.assign(v, v + 5);
        }
        return r;
    };
}

// A method that takes the address of caller's values (null when left out).
template <typename F>
Invoker valuesIn(F method) {
    return [method](OstrelCtl& c, const Args& a) {
        return code((c.*method)(a[0].present ? a[0].values.data() : nullptr));
    };
}

template <typename Info>
std::vector<int32_t> infoValues(const Info& info) {
    return {info.enable,    info.autoMode,  info.rangeMaximum, info.rangeMinimum, info.values[0],
            info.values[1], info.values[2], info.values[3],    info.values[4]};
}

template <typename Info>
Info infoFrom(const std::vector<int32_t>& v) {
    Info info{};
    info.enable = v[0];
    info.autoMode = v[1];
    info.rangeMaximum = v[2];
    info.rangeMinimum = v[3];
    for (size_t k = 0; k < 5; ++k) {
        info.values[k] = v[4 + k];
    }
    return info;
}

std::vector<Method> buildTable() {
    using C = OstrelCtl;
    const ArgKind I = ArgKind::Integer;
    const ArgKind B = ArgKind::Boolean;
    const ArgKind O = ArgKind::OutInteger;
    std::vector<Method> t;
    t.push_back({1,
                 "TQGetFrameRate",
                 {},
                 ResultKind::Rate,
                 "`TQ_GetFrameRate`; answers the rate; \"Get Frame Rate Fail!\", -15",
                 [](C& c, const Args&) {
                     CallResult r;
                     r.kind = ResultKind::Rate;
                     r.rate = c.TQGetFrameRate();
                     return r;
                 }});
    t.push_back({2,
                 "TQSaveParaToIniFile",
                 {},
                 ResultKind::Code,
                 "`TQ_SaveParaToIniFile`; \"Save Configurations Fail!\", -21",
                 [](C& c, const Args&) { return code(c.TQSaveParaToIniFile()); }});
    t.push_back({3,
                 "TQSnapSWTrigger",
                 {},
                 ResultKind::Code,
                 "`TQ_SnapSWTrigger`; \"Snap Software Trigger Fail!\", -25",
                 [](C& c, const Args&) { return code(c.TQSnapSWTrigger()); }});
    t.push_back({4,
                 "TQSetImageColorStat",
                 {{"bColor", B}},
                 ResultKind::Code,
                 "`TQ_SetImageColorStat`; \"Set Image Color State Fail!\", -16",
                 [](C& c, const Args& a) { return code(c.TQSetImageColorStat(flag(a, 0))); }});
    t.push_back({5,
                 "TQSetSnapDebounceTime",
                 {{"lDebouncerTime", I}},
                 ResultKind::Code,
                 "`TQ_SetSnapDebounceTime`; \"Set Snap Debounce Time Fail!\", -16",
                 [](C& c, const Args& a) { return code(c.TQSetSnapDebounceTime(i32(a, 0))); }});
    t.push_back({6,
                 "TQGetSnapDebounceTime",
                 {{"plDebouncerTime", O}},
                 ResultKind::Code,
                 "`TQ_GetSnapDebounceTime`; \"Get Image Snap Debounce Fail!\", -15",
                 oneOut(&C::TQGetSnapDebounceTime)});
    t.push_back({7,
                 "TQGetSnapExpTime",
                 {{"plExpTime", O}},
                 ResultKind::Code,
                 "`TQ_GetSnapExpTime`; \"Get Snap Exposure Time Fail!\", -15",
                 oneOut(&C::TQGetSnapExpTime)});
    t.push_back({8,
                 "TQGetSnapTrigFreqImgCount",
                 {{"plTrigFreq", O}, {"plTrigImgCount", O}},
                 ResultKind::Code,
                 "`TQ_GetSnapTrigFreqImgCount`; \"Get Snap Trigger Freq. and Image Count Fail!\", "
                 "-15",
                 twoOut(&C::TQGetSnapTrigFreqImgCount)});
    t.push_back({9,
                 "TQSetSnapTrigFreqImgCount",
                 {{"lTrigFreq", I}, {"lTrigImgCount", I}},
                 ResultKind::Code,
                 "`TQ_SetSnapTrigFreqImgCount`; \"Set Snap Trigger Freq. and Image Count Fail!\", "
                 "-16",
                 [](C& c, const Args& a) {
                     return code(c.TQSetSnapTrigFreqImgCount(i32(a, 0), i32(a, 1)));
                 }});
    t.push_back(
        {10,
         "TQSetSnapIOMode",
         {{"nInMode", I}, {"nOutMode", I}},
         ResultKind::Code,
         "`TQ_SetSnapIOMode`; \"Set Snap IO Mode Fail!\", -16",
         [](C& c, const Args& a) { return code(c.TQSetSnapIOMode(i32(a, 0), i32(a, 1))); }});
    t.push_back(
        {11,
         "TQSetPreviewSnapMode",
         {{"nPreview", I}, {"nSnapMode", I}},
         ResultKind::Code,
         "`TQ_SetPreviewSnapMode`; \"Set Preveiew Snap Mode Fail!\", -16",
         [](C& c, const Args& a) { return code(c.TQSetPreviewSnapMode(i32(a, 0), i32(a, 1))); }});
    t.push_back(
        {12,
         "TQSetResolution",
         {{"nVideoWidth", I}, {"nVideoHeight", I}},
         ResultKind::Code,
         "`TQ_SetResolution`; \"Set Resolution Fail!\", -16",
         [](C& c, const Args& a) { return code(c.TQSetResolution(i32(a, 0), i32(a, 1))); }});
    t.push_back({13,
                 "TQGetSnapIOMode",
                 {{"pnInMode", O}, {"pnOutMode", O}},
                 ResultKind::Code,
                 "`TQ_GetSnapIOMode`; \"Get Snap IO Mode Fail!\", -15",
                 twoOut(&C::TQGetSnapIOMode)});
    t.push_back({14,
                 "TQGetResolution",
                 {{"pnVideoWidth", O}, {"pnVideoHeight", O}},
                 ResultKind::Code,
                 "`TQ_GetResolution`; \"Get Resolution Fail!\", -15",
                 twoOut(&C::TQGetResolution)});
    t.push_back({15,
                 "TQGetSnapExpTimeRange",
                 {{"pnExpTimeMax", O}, {"pnExpTimeMin", O}},
                 ResultKind::Code,
                 "`TQ_GetSnapExpTimeRange`; \"Get Snap Exposure Time Range Fail!\", -15",
                 twoOut(&C::TQGetSnapExpTimeRange)});
    t.push_back({16,
                 "TQGetTrigFreqRange",
                 {{"pnTrigFreqMax", O}, {"pnTrigFreqMin", O}},
                 ResultKind::Code,
                 "`TQ_GetTrigFreqRange`; \"Get Trigger Freq. Range Fail!\", -15",
                 twoOut(&C::TQGetTrigFreqRange)});
    t.push_back({17,
                 "TQGetPreviewSnapMode",
                 {{"pnPreview", O}, {"pnSnapMode", O}},
                 ResultKind::Code,
                 "`TQ_GetPreviewSnapMode`; \"Get Preview Snap Mode Fail!\", -15",
                 twoOut(&C::TQGetPreviewSnapMode)});
    t.push_back({18,
                 "TQDevCapRelease",
                 {},
                 ResultKind::None,
                 "`TQ_DevCapRelease`; the control is stopped; no result",
                 [](C& c, const Args&) {
                     c.TQDevCapRelease();
                     return none();
                 }});
    t.push_back({19,
                 "TQGetDevice0",
                 {},
                 ResultKind::None,
                 "stop, open, initialise and start device 0, stopping at the first failure: "
                 "\"Stop Device Fail!\", \"Open Device Fail!\", \"Device Init Fail!\", \"Get Video "
                 "Info Fail!\", \"Device Start Fail!\"; no result",
                 [](C& c, const Args&) {
                     c.TQGetDevice0();
                     return none();
                 }});
    t.push_back({20,
                 "TQGetOutFrameBuffer",
                 {{"pWidth", O}, {"pHeight", O}, {"pBufferSize", O}},
                 ResultKind::Address,
                 "`TQ_GetFrameBuffer` into the control's buffer; answers its address (0 on "
                 "failure); \"Get Frame Buffer Fail!\", \"Get Width Height Fail!\"",
                 [](C& c, const Args&) {
                     int32_t w = 0;
                     int32_t h = 0;
                     int32_t size = 0;
                     CallResult r;
                     r.kind = ResultKind::Address;
                     r.address = c.TQGetOutFrameBuffer(&w, &h, &size);
                     if (r.address != 0) {
                         r.outs = {w, h, size};
                     }
                     return r;
                 }});
    t.push_back({21,
                 "TQOpenDevice0",
                 {},
                 ResultKind::None,
                 "as TQGetDevice0, but goes on after a failed stop (\"Device Stop Fail!\") and "
                 "shows the driver's error text when the start fails; no result",
                 [](C& c, const Args&) {
                     c.TQOpenDevice0();
                     return none();
                 }});
    t.push_back({22,
                 "TQOpenDevList",
                 {},
                 ResultKind::Code,
                 "\"Select Device\"; OK opens and starts the chosen device (\"Open Device Fail!\" "
                 "-23, \"Device Init Fail!\" -11, \"Get Video Info Fail!\" -15, \"Start Capture "
                 "Fail!\" -2); an empty list shows \"Camera is disconnected!\"; Cancel starts the "
                 "device that ran before again (\"Device Start Fail!\" -2)",
                 [](C& c, const Args&) { return code(c.TQOpenDevList()); }});
    t.push_back({23,
                 "TQStartCapture",
                 {},
                 ResultKind::Code,
                 "started already: -1; `TQ_StartCapture`; \"Device Start Fail!\", -2",
                 [](C& c, const Args&) { return code(c.TQStartCapture()); }});
    t.push_back({24,
                 "TQStopCapture",
                 {},
                 ResultKind::Code,
                 "stopped: \"Device already Stopped!\", -1; `TQ_StopCapture`; \"Device Stop "
                 "Fail!\", -3",
                 [](C& c, const Args&) { return code(c.TQStopCapture()); }});
    t.push_back({25,
                 "TQShowSnapshotPage",
                 {},
                 ResultKind::Code,
                 "`TQ_ShowSnapshotPage`; \"Show Snapshot Page Fail!\", -24",
                 [](C& c, const Args&) { return code(c.TQShowSnapshotPage()); }});
    t.push_back({26,
                 "TQShowControlPage",
                 {},
                 ResultKind::Code,
                 "`TQ_ShowControlPage`; \"Show Control Page Fail!\", -24",
                 [](C& c, const Args&) { return code(c.TQShowControlPage()); }});
    t.push_back({27,
                 "TQSaveImage",
                 {{"lpFileName", ArgKind::Text}},
                 ResultKind::Code,
                 "null name: -7; `TQ_GetFrameBuffer` (\"Get Frame Buffer Fail!\", -14), then "
                 "`TQ_SaveImg` (\"Save Image Fail!\", -6)",
                 [](C& c, const Args& a) {
                     return code(c.TQSaveImage(a[0].present ? a[0].text.c_str() : nullptr));
                 }});
    t.push_back({28,
                 "TQSuspendCapture",
                 {{"bSuspend", B}},
                 ResultKind::Code,
                 "stopped: -26; in the asked state: -1; `TQ_SuspendCapture`; \"Suspend/Resume "
                 "Capture Fail!\", -4",
                 [](C& c, const Args& a) { return code(c.TQSuspendCapture(flag(a, 0))); }});
    t.push_back({29,
                 "TQCloseDevice",
                 {},
                 ResultKind::Code,
                 "`TQ_CloseDevice`; the control is stopped; always success",
                 [](C& c, const Args&) { return code(c.TQCloseDevice()); }});
    t.push_back({30,
                 "TQGetBlackLevelInfo",
                 {{"psBlackLevel", ArgKind::OutValues, 9, kInfoFields}},
                 ResultKind::Code,
                 "`TQ_GetBlackLevelInfo`; \"Get BlackLevel Info Error!\", -15",
                 [](C& c, const Args&) {
                     TQ_BlackLevelInfo info{};
                     CallResult r = code(c.TQGetBlackLevelInfo(&info));
                     if (r.code == kSuccess) {
                         r.outs = infoValues(info);
                     }
                     return r;
                 }});
    t.push_back({31,
                 "TQSetBlackLevelInfo",
                 {{"psBlackLevel", ArgKind::Values, 9, kInfoFields}},
                 ResultKind::Code,
                 "`TQ_SetBlackLevelInfo`; \"Set BlackLevel Info Error!\", -16",
                 [](C& c, const Args& a) {
                     if (!a[0].present) {
                         return code(c.TQSetBlackLevelInfo(nullptr));
                     }
                     const auto info = infoFrom<TQ_BlackLevelInfo>(a[0].values);
                     return code(c.TQSetBlackLevelInfo(&info));
                 }});
    t.push_back({32,
                 "TQGetBlackLevelValue",
                 {{"pnValue", ArgKind::OutValues, 5, kBlackValues}},
                 ResultKind::Code,
                 "`TQ_GetBlackLevelValue`; \"Get BlackLevel Value Error!\", -15",
                 fiveOut(&C::TQGetBlackLevelValue)});
    t.push_back({33,
                 "TQSetBlackLevelValue",
                 {{"pnValue", ArgKind::Values, 5, kBlackValues}},
                 ResultKind::Code,
                 "`TQ_SetBlackLevelValue`; \"Set BlackLevel Value Error!\", -16",
                 valuesIn(&C::TQSetBlackLevelValue)});
    t.push_back({34,
                 "TQGetExposureInfo",
                 {{"psExposure", ArgKind::OutValues, 5, kExposureFields}},
                 ResultKind::Code,
                 "`TQ_GetExposureInfo`; \"Get Exposure Info Error!\", -15",
                 [](C& c, const Args&) {
                     TQ_ExposureInfo info{};
                     CallResult r = code(c.TQGetExposureInfo(&info));
                     if (r.code == kSuccess) {
                         r.outs = {info.enable, info.autoMode, info.rangeMaximum, info.rangeMinimum,
                                   info.value};
                     }
                     return r;
                 }});
    t.push_back({35,
                 "TQSetExposureInfo",
                 {{"psExposure", ArgKind::Values, 5, kExposureFields}},
                 ResultKind::Code,
                 "`TQ_SetExposureInfo`; \"Set Exposure Info Error!\", -16",
                 [](C& c, const Args& a) {
                     if (!a[0].present) {
                         return code(c.TQSetExposureInfo(nullptr));
                     }
                     const auto& v = a[0].values;
                     const TQ_ExposureInfo info{v[0], v[1], v[2], v[3], v[4]};
                     return code(c.TQSetExposureInfo(&info));
                 }});
    t.push_back({36,
                 "TQSetExposureValue",
                 {{"pnValue", ArgKind::Values, 1, "rows"}},
                 ResultKind::Code,
                 "`TQ_SetExposureValue`; \"Set Exposure Value Error!\", -16",
                 valuesIn(&C::TQSetExposureValue)});
    t.push_back({37,
                 "TQGetGainInfo",
                 {{"psGain", ArgKind::OutValues, 9, kInfoFields}},
                 ResultKind::Code,
                 "`TQ_GetGainInfo`; \"Get Gain Info Error!\", -15",
                 [](C& c, const Args&) {
                     TQ_GainInfo info{};
                     CallResult r = code(c.TQGetGainInfo(&info));
                     if (r.code == kSuccess) {
                         r.outs = infoValues(info);
                     }
                     return r;
                 }});
    t.push_back({38,
                 "TQSetGainInfo",
                 {{"psGain", ArgKind::Values, 9, kInfoFields}},
                 ResultKind::Code,
                 "`TQ_SetGainInfo`; \"Set Gain Info Error!\", -16",
                 [](C& c, const Args& a) {
                     if (!a[0].present) {
                         return code(c.TQSetGainInfo(nullptr));
                     }
                     const auto info = infoFrom<TQ_GainInfo>(a[0].values);
                     return code(c.TQSetGainInfo(&info));
                 }});
    t.push_back({39,
                 "TQGetGainValue",
                 {{"pnValue", ArgKind::OutValues, 5, kGainValues}},
                 ResultKind::Code,
                 "`TQ_GetGainValue`; \"Get Gain Value Error!\", -15",
                 fiveOut(&C::TQGetGainValue)});
    t.push_back({40,
                 "TQSetGainValue",
                 {{"pnValue", ArgKind::Values, 5, kGainValues}},
                 ResultKind::Code,
                 "`TQ_SetGainValue`; \"Set Gain Value Error!\", -16",
                 valuesIn(&C::TQSetGainValue)});
    t.push_back({41,
                 "TQGetImageGammaState",
                 {{"pbGamma", O}},
                 ResultKind::Code,
                 "`TQ_GetImageGammaStat`; \"Get Image Gamma State Fail!\", -15",
                 oneOut(&C::TQGetImageGammaState)});
    t.push_back({42,
                 "TQSetImageGammaState",
                 {{"bGamma", B}},
                 ResultKind::Code,
                 "`TQ_SetImageGammaStat`; \"Set Image Gamma State Fail!\", -16",
                 [](C& c, const Args& a) { return code(c.TQSetImageGammaState(flag(a, 0))); }});
    t.push_back({43,
                 "TQSetImageMirror",
                 {{"nMirror", I}},
                 ResultKind::Code,
                 "`TQ_SetImageMirror`; \"Set Image Mirror State Fail!\", -16",
                 [](C& c, const Args& a) { return code(c.TQSetImageMirror(i32(a, 0))); }});
    t.push_back({44,
                 "TQSetROI",
                 {{"nOriginalX", I}, {"nOriginalY", I}, {"nImgWidth", I}, {"nImgHeight", I}},
                 ResultKind::Code,
                 "`TQ_SetROI`; \"Set ROI Fail!\", -16",
                 [](C& c, const Args& a) {
                     return code(c.TQSetROI(i32(a, 0), i32(a, 1), i32(a, 2), i32(a, 3)));
                 }});
    t.push_back({45,
                 "TQSetResolutionMode",
                 {{"nMode", I}},
                 ResultKind::Code,
                 "`TQ_SetResolutionMode`; \"Set Resolution Mode Fail!\", -16",
                 [](C& c, const Args& a) { return code(c.TQSetResolutionMode(i32(a, 0))); }});
    t.push_back({46,
                 "TQGetDevice",
                 {{"nDevId", I}},
                 ResultKind::Code,
                 "index outside 0..9: -7; stops a running control (\"Stop Device Fail!\", -3), "
                 "then opens, initialises and starts the device: \"Open Device Fail!\" -23, "
                 "\"Device Init Fail!\" -11, \"Get Video Info Fail!\" -15, \"Device Start Fail!\" "
                 "-2",
                 [](C& c, const Args& a) { return code(c.TQGetDevice(i32(a, 0))); }});
    t.push_back({47,
                 "TQGetMaxResolution",
                 {{"pnMaxWidth", O}, {"pnMaxHeight", O}},
                 ResultKind::Code,
                 "`TQ_GetMaxResolution`; \"Get Max Resolution Fail!\", -15",
                 twoOut(&C::TQGetMaxResolution)});
    t.push_back({48,
                 "TQGetImageMirror",
                 {{"pnMirror", O}},
                 ResultKind::Code,
                 "`TQ_GetImageMirror`; \"Get Image Mirror State Fail!\", -15",
                 oneOut(&C::TQGetImageMirror)});
    t.push_back({49,
                 "TQGetImageColorStat",
                 {{"pnColorState", O}},
                 ResultKind::Code,
                 "`TQ_GetImageColorStat`, answered as 0 or 1; \"Get Image Color State Fail!\", -15",
                 oneOut(&C::TQGetImageColorStat)});
    t.push_back({50,
                 "TQSetNoDispInCallback",
                 {{"bNoDisp", B}},
                 ResultKind::Code,
                 "sets the no-display flag of the control's device index; no device chosen: -7",
                 [](C& c, const Args& a) { return code(c.TQSetNoDispInCallback(flag(a, 0))); }});
    t.push_back({51,
                 "TQGetExposureValue",
                 {{"pnValue", O}},
                 ResultKind::Code,
                 "`TQ_GetExposureValue`; \"Get Exposure Value Error!\", -15",
                 oneOut(&C::TQGetExposureValue)});
    t.push_back({52,
                 "TQAllocation",
                 {{"nWidth", I}, {"nHeight", I}},
                 ResultKind::Code,
                 "size not 1..16384: -7; `TQ_GetImageChannel` (\"Getting Image Channels Fail!\", "
                 "-15), then the control's buffer becomes width x bytes per pixel x height",
                 [](C& c, const Args& a) { return code(c.TQAllocation(i32(a, 0), i32(a, 1))); }});
    t.push_back({54,
                 "TQSetSnapExpTime",
                 {{"lExpTime", I}},
                 ResultKind::Code,
                 "`TQ_SetSnapExpTime`; \"Set Snap Exposure Time Fail!\", -16",
                 [](C& c, const Args& a) { return code(c.TQSetSnapExpTime(i32(a, 0))); }});
    t.push_back({-552,
                 "AboutBox",
                 {},
                 ResultKind::None,
                 "the About box \"About OstrelCtl Control\": \"OstrelCtl Control, Version 1.1.2\"",
                 [](C& c, const Args&) {
                     c.AboutBox();
                     return none();
                 }});
    return t;
}

const char* kindText(const ArgSpec& a) {
    switch (a.kind) {
        case ArgKind::Integer:
            return "integer";
        case ArgKind::Boolean:
            return "boolean";
        case ArgKind::Text:
            return "text";
        case ArgKind::Values:
            return "in";
        case ArgKind::OutInteger:
            return "out integer";
        case ArgKind::OutValues:
            return "out";
    }
    return "";
}

const char* resultText(ResultKind r) {
    switch (r) {
        case ResultKind::Code:
            return "code";
        case ResultKind::Rate:
            return "frame rate (decimal)";
        case ResultKind::Address:
            return "address";
        case ResultKind::None:
            return "none";
    }
    return "";
}

}  // namespace

const std::vector<Method>& dispatchTable() {
    static const std::vector<Method> table = buildTable();
    return table;
}

const Method* findMethod(int id) {
    for (const Method& m : dispatchTable()) {
        if (m.id == id) {
            return &m;
        }
    }
    return nullptr;
}

const Method* findMethod(std::string_view name) {
    for (const Method& m : dispatchTable()) {
        if (name == m.name) {
            return &m;
        }
    }
    return nullptr;
}

std::vector<ArgSpec> inArguments(const Method& m) {
    std::vector<ArgSpec> in;
    for (const ArgSpec& a : m.args) {
        if (a.kind != ArgKind::OutInteger && a.kind != ArgKind::OutValues) {
            in.push_back(a);
        }
    }
    return in;
}

CallResult invoke(OstrelCtl& control, const Method& m, const std::vector<Argument>& in) {
    // Whatever the caller left out is passed as absent: a null pointer or text.
    std::vector<Argument> args = in;
    const auto specs = inArguments(m);
    args.resize(std::max(args.size(), specs.size()));
    for (size_t k = 0; k < specs.size(); ++k) {
        if (args[k].present && specs[k].kind == ArgKind::Values &&
            args[k].values.size() != static_cast<size_t>(specs[k].count)) {
            args[k].values.resize(static_cast<size_t>(specs[k].count), 0);
        }
    }
    return m.invoke(control, args);
}

std::string interfaceDocument() {
    std::ostringstream out;
    out << "# The dispatch interface of the camera control\n\n"
        << "Made by `ostrelctl-host --interface` from the control's dispatch table; do not "
           "edit.\n\n"
        << "| Item | Name | Identifier | Help text |\n|---|---|---|---|\n"
        << "| type library, version 1.0 | `" << kTypeLibrary << "` | " << kTypeLibraryGuid
        << " | \"" << kTypeLibraryHelp << "\" |\n"
        << "| dispatch interface | `" << kDispatchInterface << "` | " << kDispatchInterfaceGuid
        << " | \"" << kDispatchInterfaceHelp << "\" |\n"
        << "| event interface (no events) | `" << kEventInterface << "` | " << kEventInterfaceGuid
        << " | \"" << kEventInterfaceHelp << "\" |\n"
        << "| control class, ProgID \"" << kControlProgId << "\" | `" << kControlClass << "` | "
        << kControlClassGuid << " | \"" << kControlClassHelp << "\" |\n"
        << "| property page (empty), ProgID \"" << kPropertyPageProgId << "\" | \""
        << kPropertyPageCaption << "\" | " << kPropertyPageGuid << " | |\n"
        << "| record | `OstrelCtl_PreSnap_State_i` | | `nPreview`, `nSnapMode` (32-bit) |\n\n"
        << "Arguments are 32-bit unless said. A method answers 0x20000000 (536870912) when the "
           "driver call succeeded; otherwise it shows a message box (caption \"Error\"; ids 30 to "
           "40 and 51 without icon, the others with the error icon) and answers the negative "
           "code.\n\n"
        << "| Id | Name | Arguments | Result | Behaviour |\n|---|---|---|---|---|\n";
    for (const Method& m : dispatchTable()) {
        out << "| " << m.id << " | `" << m.name << "` | ";
        if (m.args.empty()) {
            out << "—";
        }
        for (size_t k = 0; k < m.args.size(); ++k) {
            const ArgSpec& a = m.args[k];
            out << (k > 0 ? ", " : "") << "`" << a.name << "` (" << kindText(a);
            if (a.kind == ArgKind::Values || a.kind == ArgKind::OutValues) {
                out << ", " << a.count << (a.count == 1 ? " value" : " values");
                if (*a.fields != '\0') {
                    out << ": " << a.fields;
                }
            }
            out << ")";
        }
        out << " | " << resultText(m.result) << " | " << m.behaviour << " |\n";
    }
    return out.str();
}

}  // namespace ostrelctl
