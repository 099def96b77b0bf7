// The production statistics: counters and times of the current record, the
// values derived from them, and the history of closed records. Production,
// the alarm handling and the main window's timers feed it from their own
// threads; every operation takes the record's lock.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// One statistics record; also the snapshot kept in the history.
struct StatisticsRecord {
    int32_t plannedCount = 1000;  // "Production Planning"
    double plannedHours = 24.0;   // "Planning time"
    int32_t boardsProduced = 0;   // "Number produced" (big boards)
    int32_t splicesPerBoard = 1;  // "Number of spellings"
    int32_t programChanges = 0;   // "Change program tiems"
    int32_t inserts = 0;          // "Number of inserts"
    int32_t failures = 0;         // "Number of Failure"
    int32_t successes = 0;        // "Number of successes"
    int32_t passboardAlarms = 0;  // "Passboard alarm times"
    int32_t shortageAlarms = 0;   // "Material shortage alarm times"
    int32_t otherAlarms = 0;      // "Other alarm times"
    // Time spans in seconds.
    double bootUpTime = 0;             // "Starting up time"
    double productionTime = 0;         // "Running time"
    double passboardWaiting = 0;       // "Passboard waiting time"
    double shortageWaiting = 0;        // "Shortage waiting time"
    double errorInsertionWaiting = 0;  // "Error insertion waiting time"
    double otherErrorWaiting = 0;      // "Other error waiting time"
    double standbyTime = 0;            // "Stop waiting time"
    std::time_t startTime = 0;         // "Start recording time"
    // The loaded program: its name and its number of records.
    std::string programName;
    int32_t programRecords = 0;

    // successes / inserts; 0 without inserts.
    double successRate() const;
    // productionTime / bootUpTime ("Productivity"); 0 before any boot-up time.
    double timeEfficiency() const;
    // Planned boards times program records; 1 when that is 0.
    double plannedInsertions() const;
    // Time per insert (the production time itself without inserts) over the
    // planned time per insertion; 0 without planned hours.
    double utilizationRate() const;
    double completion() const;
    double uncompleted() const { return 1.0 - completion(); }
    int64_t smallBoards() const { return static_cast<int64_t>(boardsProduced) * splicesPerBoard; }
};

// A time span as "%H:%M:%S" of its last partial day (25 hours: "01:00:00").
std::string formatTimeSpan(double seconds);
// A calendar time as "%c".
std::string formatCalendarTime(std::time_t time);

// A caption and its value, as the statistics screen shows a record.
struct StatisticsLine {
    std::string caption;  // in the display language
    std::string value;
};
// The screen's lines in a fixed order (StatisticsLineIndex), captions in the
// display language.
std::vector<StatisticsLine> statisticsLines(const StatisticsRecord& record);
enum StatisticsLineIndex : int {
    kLineFileName = 0,
    kLineStartTime,
    kLinePlannedCount,
    kLinePlannedHours,
    kLineNumberProduced,
    kLineSplices,
    kLineProgramChanges,
    kLineInserts,
    kLineFailures,
    kLineSuccesses,
    kLinePassboardAlarms,
    kLineShortageAlarms,
    kLineOtherAlarms,
    kLineBootUpTime,
    kLineProductionTime,
    kLinePassboardWaiting,
    kLineShortageWaiting,
    kLineErrorInsertionWaiting,
    kLineOtherErrorWaiting,
    kLineStandbyTime,
    kLineCompletion,
    kLineUncompleted,
    kLineUtilization,
    kLineDifference,
    kStatisticsLineCount
};

// The number typed beside the splices button: an integer (atoi), at least 1,
// since a board splits into one small board or more.
int32_t splicesFromText(std::string_view text);

struct HistoryEntry {
    StatisticsRecord record;
    std::vector<StatisticsLine> lines;  // display texts at the moment of closing
};

// Waiting times that an alarm starts and Start closes.
enum class WaitingKind { Passboard, Shortage, ErrorInsertion, OtherError };
// The waiting time an alarm code's fault is booked to: 5 shortage, 15..18
// pass-board, 22 and 23 error insertion, the other faults 1..21 other error
// (6, the paper cut, included: its alarm counts it as another error); none
// for -1, 0 and 24.
std::optional<WaitingKind> waitingKindOfAlarm(int alarmCode);

// What the one-second clock books the second to, besides boot-up time.
enum class MachineActivity {
    Running,  // production time is booked by the production cycle when it pauses
    Standby,  // stopped without a fault: standby time
    Fault,    // stopped by a fault: its waiting time is booked when Start closes it
};
MachineActivity activityOf(bool stopRequested, bool emergencyStopped, int productionState);

struct ReportResult {
    bool written = false;
    std::filesystem::path file;
    std::string error;  // why the file could not be written
};

class ProductionStatistics {
  public:
    ProductionStatistics();

    void CountProgramChange();
    void SetPlan(int32_t count, double hours);
    void CountBoard();
    void SetSplices(int32_t splices);
    void CountInsert();
    void CountFailure();
    void CountSuccess();
    void CountPassboardAlarm();
    void CountShortageAlarm();
    void CountOtherAlarm();
    void AddBootUpTime(double seconds);
    void AddProductionTime(double seconds);
    void AddPassboardWaiting(double seconds);
    void AddShortageWaiting(double seconds);
    void AddErrorInsertionWaiting(double seconds);
    void AddOtherErrorWaiting(double seconds);
    void AddStandbyTime(double seconds);
    // startTime := now.
    void MarkStart(std::time_t now = std::time(nullptr));

    // The program a report names and the record count its derived values use
    // ("a program was loaded").
    void SetProgram(std::string name, int32_t records);

    // The production state: the last alarm code (-1 none), set on every alarm.
    void SetProductionState(int code);
    int ProductionState() const;
    // An alarm stores the moment its waiting time starts (clock seconds).
    void MarkWaitingStart(WaitingKind kind, double clockSeconds);
    void MarkWaitingStart(WaitingKind kind);
    // Start: the time since the moment the last alarm stored is added to the
    // waiting time of the production state's kind; returns the seconds added.
    double CloseWaiting(double clockSeconds);
    double CloseWaiting();

    // The one-second timer: boot-up time, and standby time while stopped
    // without a fault.
    void Tick(double seconds, MachineActivity activity);
    // The same, telling the activity from the machine's stop flags and the
    // production state.
    void ClockTick(double seconds, bool stopRequested, bool emergencyStopped);

    // A snapshot goes to the history when it has inserts; then the counters
    // start again (programChanges excepted, the program kept).
    void CloseRecord(std::time_t now = std::time(nullptr));
    // Appends the report to the program directory's report file when there
    // were inserts, then closes the record. A report that could not be
    // written is returned as such; the record is closed all the same.
    ReportResult SaveAndClose(std::time_t now = std::time(nullptr));
    ReportResult SaveAndClose(const std::filesystem::path& root, std::time_t now);

    StatisticsRecord Current() const;
    std::vector<HistoryEntry> History() const;

  private:
    mutable std::mutex mutex_;
    StatisticsRecord record_;
    std::vector<HistoryEntry> history_;
    int productionState_ = -1;
    double waitingStart_[4] = {0, 0, 0, 0};
};

// The statistics record the main window owns.
ProductionStatistics& productionStatistics();

}  // namespace corvane
