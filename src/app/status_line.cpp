// The machine state line: alarm and state texts, buzzer, verification hand-off.
#include "app/status_line.h"

#include <algorithm>
#include <optional>

#include "app/console_view.h"
#include "machine/io_points.h"
#include "machine/machine_parameters.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "production/alarm_texts.h"
#include "production/machine_state.h"
#include "production/program_source.h"
#include "stats/production_statistics.h"

namespace corvane {

namespace {

constexpr uint32_t kBuzzerPatternMs = 15000;

}  // namespace

StatusLine::StatusLine(ConsoleView& view, const ProgramSource& program,
                       ProductionStatistics& statistics, std::function<void()> changed)
    : view_(view), program_(program), statistics_(statistics), changed_(std::move(changed)) {}

void StatusLine::show(const std::string& text) {
    view_.status = text;
    if (changed_) changed_();
}

const std::string& StatusLine::text() const { return view_.status; }

void StatusLine::addToVerify(int station) {
    if (std::find(stationsToVerify_.begin(), stationsToVerify_.end(), station) ==
        stationsToVerify_.end()) {
        stationsToVerify_.push_back(station);
    }
}

void StatusLine::handToVerification(const std::string& text) {
    if (machineParameters().materialVerification != 0 && !stationsToVerify_.empty()) {
        verificationPending_ = true;
    }
    if (verificationHook_) verificationHook_(text, stationsToVerify_);
}

void StatusLine::openVerification(const std::string& text) {
    show(text);
    if (verificationHook_) verificationHook_(text, stationsToVerify_);
}

void StatusLine::verificationResult(bool verified) {
    verificationPending_ = !verified;
    if (verified) stationsToVerify_.clear();
}

void StatusLine::alarm(int code) {
    MachineState& state = machineState();
    state.AlarmCode = code;
    statistics_.SetProductionState(code);
    if (const auto kind = waitingKindOfAlarm(code)) {
        statistics_.MarkWaitingStart(*kind);
    }
    history_.push_back(code);
    std::string text = alarmText(code, Language.load());
    lastAlarmTick_ = platform::Clock::tickCount();

    auto recordOf = [&](int station) -> std::optional<ProductionRecord> {
        for (int i = 1; i <= program_.count(); ++i) {
            ProductionRecord r = program_.record(i);
            if (r.station == station) return r;
        }
        return std::nullopt;
    };

    if (code == kAlarmStationError) {
        statistics_.CountShortageAlarm();
        output(kOutBuzzer).On();
        const std::vector<int> bad = state.badStations();
        std::string stations, names, directions;
        for (size_t i = 0; i < bad.size(); ++i) {
            stations += std::to_string(bad[i]) + (i + 1 < bad.size() ? " " : "");
            addToVerify(bad[i]);
        }
        bool first = true;
        for (int s : bad) {
            if (auto r = recordOf(s)) {
                names += (first ? "" : " ") + r->elementName;
                directions += (first ? "" : " ") + r->direction;
                first = false;
            }
        }
        text += "  " + std::string(tr("Station Error :", "站位错误")) + stations +
                tr(": Element's name:", ": 元件名: ") + names + tr(": Dirction:", ": 方向: ") +
                directions;
        show(text);
        handToVerification(text);
        return;
    }
    if (code >= kAlarmWorkdeskLoad && code <= kAlarmWorkdeskNoPcb) {
        statistics_.CountPassboardAlarm();
    } else if (code == kAlarmPlugInFailureLeft || code == kAlarmPlugInFailureRight) {
        const int current = state.CurrentRecord.load();
        if (current >= 1 && current <= program_.count()) {
            const ProductionRecord r = program_.record(current);
            addToVerify(r.station);
            if (r.station > 0) {
                text += std::string(tr(" Station:", " 站位:")) + std::to_string(r.station) +
                        tr(": Element's name::", ": 元件名: ") + r.elementName +
                        tr(": Dirction:", ": 方向: ") + r.direction;
                show(text);
                handToVerification(text);
            }
        }
    } else if (code > 0 && code != kAlarmSafeDoor) {
        statistics_.CountOtherAlarm();
    }
    if (code > 0) output(kOutBuzzer).On();
    show(text);
}

void StatusLine::stateText(int code) {
    // An alarm text stays until the alarm is cleared.
    if (machineState().AlarmCode.load() == -1) {
        show(corvane::stateText(code, Language.load()));
    }
}

void StatusLine::everySecond(bool buzzerEnabled) {
    const int alarm = machineState().AlarmCode.load();
    if (alarm > 0 && buzzerEnabled &&
        platform::Clock::tickCount() - lastAlarmTick_ < kBuzzerPatternMs) {
        buzzerPhase_ = !buzzerPhase_;
        output(kOutBuzzer).Switch(buzzerPhase_);
    } else {
        buzzerPhase_ = false;
        output(kOutBuzzer).Off();
    }
}

}  // namespace corvane
