// The statistics report: a block of labelled values appended to the day's
// text file under "Statistical/<YYYY-MM>/<YYYY-MM-DD>.txt" of the program
// directory or of a removable drive.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>

#include "stats/production_statistics.h"

namespace corvane {

// The block, labels in the display language.
std::string statisticsReportBlock(const StatisticsRecord& record, std::time_t saveTime);
// Root + "Statistical/<YYYY-MM>/<YYYY-MM-DD>.txt" for the local date of `now`.
std::filesystem::path statisticsReportFile(const std::filesystem::path& root, std::time_t now);
// Creates the folders and appends the block; the old content is never lost.
ReportResult writeStatisticsReport(const std::filesystem::path& root,
                                   const StatisticsRecord& record, std::time_t now);
// "U disk save": the report on the first removable drive found; without one,
// nothing is written and the error is the no-device message.
ReportResult writeStatisticsReportToRemovableDrive(const StatisticsRecord& record, std::time_t now);
std::string noRemovableDriveMessage();
// Why a report was not written, for a message box.
std::string reportFailedMessage(const ReportResult& result);
// Where a report went, for a message box.
std::string reportSavedMessage(const ReportResult& result);

// What the statistics screen's buttons do, messages included: "Local Save"
// appends the record's report under the program directory, "U disk save"
// under the first removable drive; the operator is told where it went or
// why it did not.
ReportResult saveStatisticsLocally(const StatisticsRecord& record, std::time_t now);
ReportResult saveStatisticsToRemovableDrive(const StatisticsRecord& record, std::time_t now);

}  // namespace corvane
