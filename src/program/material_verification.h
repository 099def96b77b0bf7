// Material batch verification: the process-wide flags, and the verify-stations
// dialogue of the station screen as a state machine the screen drives (it
// opens the scanning dialog when a scan is awaited and hands the text back).
// The result goes to the parent window as MSG_STATIONS_VERIFIED (1 verified,
// 0 not verified).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "program/insertion_record.h"

namespace corvane {

namespace platform {
class MessageTarget;
}

class StationTable;

struct MaterialVerificationFlags {
    // Every station with Counts has a batch number.
    std::atomic<bool> batchNumbersComplete{true};
    // A scanned batch number matched; cleared when a verification starts or fails.
    std::atomic<bool> batchVerified{false};

    std::string lastMessage() const;
    void setLastMessage(std::string text);

  private:
    mutable std::mutex mutex_;
    std::string lastMessage_;
};

MaterialVerificationFlags& materialVerificationFlags();

// Colours of a station row (Windows COLORREF, 0x00BBGGRR).
struct RowColours {
    uint32_t text = 0x000000;
    uint32_t background = 0xFFFFFF;
    bool operator==(const RowColours&) const = default;
};
inline constexpr RowColours kNormalRow{0x000000, 0xFFFFFF};
inline constexpr RowColours kStationToVerifyRow{0x0000FF, 0xD8E9EC};

// The mode in which Verify stations runs the scanning dialogue.
inline constexpr int kVerifyByScanning = 5;
inline constexpr int kScansBeforeGivingUp = 3;

// Texts of the dialogue in the display language.
std::string batchCorrectText();
std::string batchIncorrectText(const std::string& scanned);
std::string rescanLineText();
std::string scanningDialogCaption();

class StationVerification {
  public:
    enum class ScanResult { Verified, Rescan, Failed };

    // `parent` receives the results (null: none sent).
    explicit StationVerification(platform::MessageTarget* parent,
                                 MaterialVerificationFlags& flags = materialVerificationFlags());

    // Verify stations: shows `message`, paints the rows; in mode 5 starts the
    // scan-and-compare dialogue for the first listed station, whose batch
    // number comes from `table`. With verification off the listed stations are
    // only painted. Returns whether a scan is now awaited.
    bool verify(const std::string& message, const std::vector<int>& stations, int mode,
                const StationTable& table, bool verification);

    bool running() const { return running_; }
    // The screen opens the scanning dialog while this is true.
    bool awaitingScan() const { return awaitingScan_; }
    // The dialog shows the rescan line (after a wrong scan).
    bool showRescanLine() const { return scans_ > 0; }
    int scans() const { return scans_; }
    // The text in the scanning dialog when it closed.
    ScanResult submitScan(const std::string& scanned);

    // The station screen's entry field for the station in hand.
    bool entryFieldEnabled() const { return entryEnabled_; }
    // A typed or scanned text compared the same way; the field is emptied
    // either way, and disabled on a match.
    bool submitEntry(const std::string& text);

    const std::string& statusLine() const { return statusLine_; }
    const std::array<RowColours, kStationCount>& rowColours() const { return colours_; }
    int stationInHand() const { return station_; }

  private:
    void report(int verified);
    void finish();

    platform::MessageTarget* parent_;
    MaterialVerificationFlags& flags_;
    std::array<RowColours, kStationCount> colours_{};
    std::string statusLine_;
    std::string expectedBatch_;
    int station_ = 0;
    int scans_ = 0;
    bool running_ = false;
    bool awaitingScan_ = false;
    bool entryEnabled_ = false;
};

}  // namespace corvane
