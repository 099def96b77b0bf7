// Counters, time spans, derived values and history of the statistics record.
#include "stats/production_statistics.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <sstream>

#include "platform/clock.h"
#include "platform/program_directory.h"
#include "platform/language.h"
#include "platform/number_text.h"
#include "stats/statistics_report.h"

namespace corvane {

double StatisticsRecord::successRate() const {
    return inserts > 0 ? static_cast<double>(successes) / inserts : 0.0;
}

double StatisticsRecord::timeEfficiency() const {
    return bootUpTime > 0 ? productionTime / bootUpTime : 0.0;
}

double StatisticsRecord::plannedInsertions() const {
    const double n = static_cast<double>(plannedCount) * programRecords;
    return n == 0 ? 1.0 : n;
}

double StatisticsRecord::utilizationRate() const {
    // Planned hours of 0 would divide by zero: nothing was planned, nothing used.
    if (!(plannedHours > 0))
        return 0.0;
    const double perInsert = inserts > 0 ? productionTime / inserts : productionTime;
    return perInsert / (plannedHours * 3600.0 / plannedInsertions());
}

double StatisticsRecord::completion() const {
    return inserts / plannedInsertions();
}

std::string formatTimeSpan(double seconds) {
    const auto total = seconds > 0 ? static_cast<long long>(std::floor(seconds)) : 0LL;
    char text[16];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", total / 3600 % 24, total / 60 % 60,
                  total % 60);
    return text;
}

std::string formatCalendarTime(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    std::ostringstream text;  // the classic locale: "Tue Mar  5 14:03:01 2024"
    text << std::put_time(&local, "%c");
    return text.str();
}

std::vector<StatisticsLine> statisticsLines(const StatisticsRecord& r) {
    auto percent = [](double rate) { return formatReal(rate * 100.0, 2) + "%"; };
    return {
        {tr("FileName", "文件名"), r.programName},
        {tr("Start recording time", "开始记录时间"), formatCalendarTime(r.startTime)},
        {tr("Production Planning", "生产计划"), formatInt(r.plannedCount)},
        {tr("Planning time", "计划时间"), formatReal(r.plannedHours, 2)},
        {tr("Number produced", "已生产数目"),
         formatInt(r.boardsProduced) + " / " + std::to_string(r.smallBoards())},
        {tr("Number of spellings", "拼板数目"), formatInt(r.splicesPerBoard)},
        {tr("Change program tiems", "换程序次数"), formatInt(r.programChanges)},
        {tr("Number of inserts", "插入总数"), formatInt(r.inserts)},
        {tr("Number of Failure", "失败数目"), formatInt(r.failures)},
        {tr("Number of successes", "成功数目"), formatInt(r.successes)},
        {tr("Passboard alarm times", "传板报警次数"), formatInt(r.passboardAlarms)},
        {tr("Material shortage alarm times", "缺料报警次数"), formatInt(r.shortageAlarms)},
        {tr("Other alarm times", "其他报警次数"), formatInt(r.otherAlarms)},
        {tr("Starting up time", "开机时间"), formatTimeSpan(r.bootUpTime)},
        {tr("Running time", "生产时间"), formatTimeSpan(r.productionTime)},
        {tr("Passboard waiting time", "传板等待时间"), formatTimeSpan(r.passboardWaiting)},
        {tr("Shortage waiting time", "缺料等待时间"), formatTimeSpan(r.shortageWaiting)},
        {tr("Error insertion waiting time", "插错等待时间"),
         formatTimeSpan(r.errorInsertionWaiting)},
        {tr("Other error waiting time", "其他错误等待时间"), formatTimeSpan(r.otherErrorWaiting)},
        {tr("Stop waiting time", "待机时间"), formatTimeSpan(r.standbyTime)},
        {tr("Completion", "完成"), percent(r.completion())},
        {tr("Uncompleted", "未完成"), percent(r.uncompleted())},
        {tr("Utilization", "稼动"), percent(r.utilizationRate())},
        {tr("Difference", "差额"), percent(1.0 - r.utilizationRate())},
    };
}

int32_t splicesFromText(std::string_view text) {
    return std::max(parseInt(text), 1);
}

std::optional<WaitingKind> waitingKindOfAlarm(int alarmCode) {
    if (alarmCode == 5)
        return WaitingKind::Shortage;
    if (alarmCode >= 15 && alarmCode <= 18)
        return WaitingKind::Passboard;
    if (alarmCode == 22 || alarmCode == 23)
        return WaitingKind::ErrorInsertion;
    if (alarmCode >= 1 && alarmCode <= 21)
        return WaitingKind::OtherError;
    return std::nullopt;
}

MachineActivity activityOf(bool stopRequested, bool emergencyStopped, int productionState) {
    if (!stopRequested && !emergencyStopped)
        return MachineActivity::Running;
    return waitingKindOfAlarm(productionState) ? MachineActivity::Fault : MachineActivity::Standby;
}

ProductionStatistics::ProductionStatistics() {
    record_.startTime = std::time(nullptr);
}

void ProductionStatistics::CountProgramChange() {
    std::lock_guard lock(mutex_);
    ++record_.programChanges;
}

void ProductionStatistics::SetPlan(int32_t count, double hours) {
    std::lock_guard lock(mutex_);
    record_.plannedCount = count;
    record_.plannedHours = hours;
}

void ProductionStatistics::CountBoard() {
    std::lock_guard lock(mutex_);
    ++record_.boardsProduced;
}

void ProductionStatistics::SetSplices(int32_t splices) {
    std::lock_guard lock(mutex_);
    record_.splicesPerBoard = splices;
}

void ProductionStatistics::CountInsert() {
    std::lock_guard lock(mutex_);
    ++record_.inserts;
}

void ProductionStatistics::CountFailure() {
    std::lock_guard lock(mutex_);
    ++record_.failures;
}

void ProductionStatistics::CountSuccess() {
    std::lock_guard lock(mutex_);
    ++record_.successes;
}

void ProductionStatistics::CountPassboardAlarm() {
    std::lock_guard lock(mutex_);
    ++record_.passboardAlarms;
}

void ProductionStatistics::CountShortageAlarm() {
    std::lock_guard lock(mutex_);
    ++record_.shortageAlarms;
}

void ProductionStatistics::CountOtherAlarm() {
    std::lock_guard lock(mutex_);
    ++record_.otherAlarms;
}

void ProductionStatistics::AddBootUpTime(double seconds) {
    std::lock_guard lock(mutex_);
    record_.bootUpTime += seconds;
}

void ProductionStatistics::AddProductionTime(double seconds) {
    std::lock_guard lock(mutex_);
    record_.productionTime += seconds;
}

void ProductionStatistics::AddPassboardWaiting(double seconds) {
    std::lock_guard lock(mutex_);
    record_.passboardWaiting += seconds;
}

void ProductionStatistics::AddShortageWaiting(double seconds) {
    std::lock_guard lock(mutex_);
    record_.shortageWaiting += seconds;
}

void ProductionStatistics::AddErrorInsertionWaiting(double seconds) {
    std::lock_guard lock(mutex_);
    record_.errorInsertionWaiting += seconds;
}

void ProductionStatistics::AddOtherErrorWaiting(double seconds) {
    std::lock_guard lock(mutex_);
    record_.otherErrorWaiting += seconds;
}

void ProductionStatistics::AddStandbyTime(double seconds) {
    std::lock_guard lock(mutex_);
    record_.standbyTime += seconds;
}

void ProductionStatistics::MarkStart(std::time_t now) {
    std::lock_guard lock(mutex_);
    record_.startTime = now;
}

void ProductionStatistics::SetProgram(std::string name, int32_t records) {
    std::lock_guard lock(mutex_);
    record_.programName = std::move(name);
    record_.programRecords = records;
}

void ProductionStatistics::SetProductionState(int code) {
    std::lock_guard lock(mutex_);
    productionState_ = code;
}

int ProductionStatistics::ProductionState() const {
    std::lock_guard lock(mutex_);
    return productionState_;
}

void ProductionStatistics::MarkWaitingStart(WaitingKind kind, double clockSeconds) {
    std::lock_guard lock(mutex_);
    waitingStart_[static_cast<int>(kind)] = clockSeconds;
}

void ProductionStatistics::MarkWaitingStart(WaitingKind kind) {
    MarkWaitingStart(kind, platform::Clock::seconds());
}

double ProductionStatistics::CloseWaiting(double clockSeconds) {
    std::lock_guard lock(mutex_);
    const auto kind = waitingKindOfAlarm(productionState_);
    if (!kind)
        return 0;
    const double waited = std::max(0.0, clockSeconds - waitingStart_[static_cast<int>(*kind)]);
    switch (*kind) {
        case WaitingKind::Passboard:
            record_.passboardWaiting += waited;
            break;
        case WaitingKind::Shortage:
            record_.shortageWaiting += waited;
            break;
        case WaitingKind::ErrorInsertion:
            record_.errorInsertionWaiting += waited;
            break;
        case WaitingKind::OtherError:
            record_.otherErrorWaiting += waited;
            break;
    }
    return waited;
}

double ProductionStatistics::CloseWaiting() {
    return CloseWaiting(platform::Clock::seconds());
}

void ProductionStatistics::Tick(double seconds, MachineActivity activity) {
    std::lock_guard lock(mutex_);
    record_.bootUpTime += seconds;
    if (activity == MachineActivity::Standby)
        record_.standbyTime += seconds;
}

void ProductionStatistics::ClockTick(double seconds, bool stopRequested, bool emergencyStopped) {
    Tick(seconds, activityOf(stopRequested, emergencyStopped, ProductionState()));
}

void ProductionStatistics::CloseRecord(std::time_t now) {
    std::lock_guard lock(mutex_);
    if (record_.inserts > 0)
        history_.push_back({record_, statisticsLines(record_)});
    StatisticsRecord fresh;
    fresh.programChanges = record_.programChanges;
    fresh.programName = record_.programName;
    fresh.programRecords = record_.programRecords;
    fresh.startTime = now;
    record_ = std::move(fresh);
}

ReportResult ProductionStatistics::SaveAndClose(std::time_t now) {
    return SaveAndClose(platform::programDirectory(), now);
}

ReportResult ProductionStatistics::SaveAndClose(const std::filesystem::path& root,
                                                std::time_t now) {
    ReportResult result;
    const StatisticsRecord record = Current();
    if (record.inserts > 0)
        result = writeStatisticsReport(root, record, now);
    CloseRecord(now);
    return result;
}

StatisticsRecord ProductionStatistics::Current() const {
    std::lock_guard lock(mutex_);
    return record_;
}

std::vector<HistoryEntry> ProductionStatistics::History() const {
    std::lock_guard lock(mutex_);
    return history_;
}

ProductionStatistics& productionStatistics() {
    static ProductionStatistics statistics;
    return statistics;
}

}  // namespace corvane
