// The machine state line of the main window ("Information Of The Machine
// State"): the alarm and state texts the workers send, composed in the current
// language, the alarm buzzer's pattern, and what an alarm hands to the material
// batch verification.
//
// Window thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace corvane {

class ProductionStatistics;
class ProgramSource;
struct ConsoleView;

class StatusLine {
public:
    using VerificationHook = std::function<void(const std::string&, const std::vector<int>&)>;

    StatusLine(ConsoleView& view, const ProgramSource& program, ProductionStatistics& statistics,
               std::function<void()> changed);

    // MSG_ALARM: AlarmCode, the statistics' state and waiting time, the text
    // (with the stations and records of a station error or a failed
    // insertion), the buzzer. The run-level consequences of codes 0, 1 and 2
    // are the console's.
    void alarm(int code);
    // MSG_STATE_TEXT: shown only while no alarm stands.
    void stateText(int code);
    // A ready-made text, shown as it is.
    void show(const std::string& text);
    const std::string& text() const;

    // The one-second timer: the buzzer sounds its pattern for 15 s after an
    // alarm while the Buzzer box is ticked.
    void everySecond(bool buzzerEnabled);

    // Every alarm code received, in order.
    const std::vector<int>& history() const { return history_; }

    // Material batch verification: the screen that verifies, and its answer.
    void setVerificationHook(VerificationHook open) { verificationHook_ = std::move(open); }
    void verificationResult(bool verified);
    // Start refused for a pending verification opens it again.
    void openVerification(const std::string& text);
    bool verificationPending() const { return verificationPending_; }
    void clearVerificationPending() { verificationPending_ = false; }
    const std::vector<int>& stationsToVerify() const { return stationsToVerify_; }

private:
    void addToVerify(int station);
    void handToVerification(const std::string& text);

    ConsoleView& view_;
    const ProgramSource& program_;
    ProductionStatistics& statistics_;
    std::function<void()> changed_;
    VerificationHook verificationHook_;
    bool verificationPending_ = false;
    std::vector<int> stationsToVerify_;
    std::vector<int> history_;
    uint32_t lastAlarmTick_ = 0;
    bool buzzerPhase_ = false;
};

}  // namespace corvane
