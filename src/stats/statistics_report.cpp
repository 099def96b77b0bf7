// The report block and its dated file.
#include "stats/statistics_report.h"

#include <exception>
#include <iomanip>
#include <sstream>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/language.h"
#include "platform/message_box.h"
#include "platform/program_directory.h"
#include "platform/number_text.h"
#include "stats/removable_drives.h"

namespace corvane {

namespace {

std::string localTime(const char* format, std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    std::ostringstream text;
    text << std::put_time(&local, format);
    return text.str();
}

std::string percent(double rate) {
    return formatReal(rate * 100.0, 2) + "%";
}

}  // namespace

std::string statisticsReportBlock(const StatisticsRecord& r, std::time_t saveTime) {
    std::string block = "\n********************************************\n";
    auto line = [&block](const char* english, const char* chinese, const std::string& value) {
        block += tr(english, chinese);
        block += value;
        block += "\n";
    };
    line("Program Name: ", "程序名称: ", r.programName);
    line("Start time: ", "开始记录时间: ", formatCalendarTime(r.startTime));
    line("Save time: ", "保存记录时间: ", formatCalendarTime(saveTime));
    line("Production Planning: ", "生产计划: ", formatInt(r.plannedCount));
    line("Number produced: ", "已生产数目: ",
         tr("big board: ", "大板: ") + formatInt(r.boardsProduced) +
             tr("; small board: ", ";  小板: ") + std::to_string(r.smallBoards()));
    line("Number of splices: ", "拼板数目: ", formatInt(r.splicesPerBoard));
    line("Number of inserts  ", "插入总数: ", formatInt(r.inserts));
    line("Number of successes: ", "成功数目: ", formatInt(r.successes));
    line("Number of failures: ", "失败数目: ", formatInt(r.failures));
    line("Success rate: ", "成功率: ", percent(r.successRate()));
    line("Passboard alarm times: ", "传板报警次数: ", formatInt(r.passboardAlarms));
    line("Number of alarms for material shortage: ", "缺料报警次数: ", formatInt(r.shortageAlarms));
    line("Number of other errors: ", "其他错误次数: ", formatInt(r.otherAlarms));
    line("Boot-up timing: ", "开机计时: ", formatTimeSpan(r.bootUpTime));
    line("Production Timing: ", "生产计时: ", formatTimeSpan(r.productionTime));
    line("Productivity: ", "生产率: ", percent(r.timeEfficiency()));
    line("Utilization rate: ", "稼动率: ", percent(r.utilizationRate()));
    line("Passboard waiting time: ", "传板等待时间: ", formatTimeSpan(r.passboardWaiting));
    line("Shortage waiting time: ", "缺料等待时间: ", formatTimeSpan(r.shortageWaiting));
    line("Error insertion waiting time: ", "插错等待时间: ",
         formatTimeSpan(r.errorInsertionWaiting));
    line("Other Error Waiting Time: ", "其他错误等待时间: ", formatTimeSpan(r.otherErrorWaiting));
    line("Standby time: ", "待机时间: ", formatTimeSpan(r.standbyTime));
    block += "\n";
    return block;
}

std::filesystem::path statisticsReportFile(const std::filesystem::path& root, std::time_t now) {
    return root / "Statistical" / localTime("%Y-%m", now) / (localTime("%Y-%m-%d", now) + ".txt");
}

ReportResult writeStatisticsReport(const std::filesystem::path& root,
                                   const StatisticsRecord& record, std::time_t now) {
    ReportResult result;
    result.file = statisticsReportFile(root, now);
    std::error_code error;
    std::filesystem::create_directories(result.file.parent_path(), error);
    if (error) {
        result.error =
            "cannot create " + result.file.parent_path().string() + ": " + error.message();
        return result;
    }
    if (std::filesystem::exists(result.file, error) &&
        !std::filesystem::is_regular_file(result.file, error)) {
        result.error = result.file.string() + " is not a file";
        return result;
    }
    try {
        result.written = platform::appendFileAtomically(
            result.file, statisticsReportBlock(record, now), &result.error);
    } catch (const std::exception& failure) {
        result.error = result.file.string() + ": " + failure.what();
    }
    return result;
}

std::string noRemovableDriveMessage() {
    return tr("No mobile device was found. Make sure the mobile device is plugged in.",
              "没有找到移动设备，请确认插入了移动设备");
}

std::string reportFailedMessage(const ReportResult& result) {
    return tr("The statistics report could not be written: ", "统计报告无法写入: ") + result.error;
}

std::string reportSavedMessage(const ReportResult& result) {
    return tr("The statistics report was saved in ", "统计报告已保存到 ") + result.file.string();
}

namespace {

ReportResult tellOperator(ReportResult result) {
    if (result.written)
        platform::messageBox(reportSavedMessage(result));
    else if (result.file.empty())
        platform::messageBox(result.error);  // no drive: the message says so
    else
        platform::messageBox(reportFailedMessage(result));
    return result;
}

}  // namespace

ReportResult saveStatisticsLocally(const StatisticsRecord& record, std::time_t now) {
    return tellOperator(writeStatisticsReport(platform::programDirectory(), record, now));
}

ReportResult saveStatisticsToRemovableDrive(const StatisticsRecord& record, std::time_t now) {
    return tellOperator(writeStatisticsReportToRemovableDrive(record, now));
}

ReportResult writeStatisticsReportToRemovableDrive(const StatisticsRecord& record,
                                                   std::time_t now) {
    const auto roots = findRemovableDriveRoots();
    if (roots.empty()) {
        ReportResult result;
        result.error = noRemovableDriveMessage();
        return result;
    }
    // With several drives plugged in, the first one mounted takes the report.
    return writeStatisticsReport(roots.front(), record, now);
}

}  // namespace corvane
