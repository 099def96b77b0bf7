// The verify-stations dialogue and the scanning texts.
#include "program/material_verification.h"

#include "platform/message_target.h"
#include "platform/window_messages.h"
#include "platform/language.h"
#include "program/station_list.h"

namespace corvane {

std::string MaterialVerificationFlags::lastMessage() const {
    std::lock_guard lock(mutex_);
    return lastMessage_;
}

void MaterialVerificationFlags::setLastMessage(std::string text) {
    std::lock_guard lock(mutex_);
    lastMessage_ = std::move(text);
}

MaterialVerificationFlags& materialVerificationFlags() {
    static MaterialVerificationFlags flags;
    return flags;
}

std::string batchCorrectText() {
    return tr("Material batch number is correct, please press the start-button to continue",
              "物料批号正确,请按开始继续");
}

std::string batchIncorrectText(const std::string& scanned) {
    return tr("The batch number of materials is incorrect. Please check the materials. ",
              "物料批号不正确,请检查物料: ") +
           scanned;
}

std::string rescanLineText() {
    return tr("Material batch number is incorrect, please rescan ", "物料批号不正确，请扫描");
}

std::string scanningDialogCaption() {
    return tr("Scanning of Material Batch Number ", "物料批号扫描");
}

StationVerification::StationVerification(platform::MessageTarget* parent,
                                         MaterialVerificationFlags& flags)
    : parent_(parent), flags_(flags) {}

bool StationVerification::verify(const std::string& message, const std::vector<int>& stations,
                                 int mode, const StationTable& table, bool verification) {
    statusLine_ = message;
    colours_.fill(kNormalRow);
    if (mode != kVerifyByScanning || running_)
        return awaitingScan_;
    if (stations.empty())
        return false;

    running_ = true;
    scans_ = 0;
    station_ = stations.front();
    const bool inRange = station_ >= 1 && station_ <= kStationCount;
    if (!verification) {
        for (int station : stations) {
            if (station >= 1 && station <= kStationCount)
                colours_[static_cast<size_t>(station - 1)] = kStationToVerifyRow;
        }
        entryEnabled_ = false;
        finish();
        return false;
    }
    flags_.batchVerified = false;
    // A station beyond the chain has no batch to compare: the verification
    // ends before asking for a scan.
    if (!inRange) {
        entryEnabled_ = false;
        finish();
        return false;
    }
    colours_[static_cast<size_t>(station_ - 1)] = kStationToVerifyRow;
    expectedBatch_ = table.row(station_).batch;
    entryEnabled_ = true;
    awaitingScan_ = true;
    return true;
}

StationVerification::ScanResult StationVerification::submitScan(const std::string& scanned) {
    if (!awaitingScan_)
        return ScanResult::Failed;
    ++scans_;
    if (scanned == expectedBatch_) {
        flags_.batchVerified = true;
        statusLine_ = batchCorrectText();
        flags_.setLastMessage(statusLine_);
        report(1);
        finish();
        return ScanResult::Verified;
    }
    if (scans_ < kScansBeforeGivingUp) {
        statusLine_ = batchIncorrectText(scanned);
        flags_.setLastMessage(statusLine_);
        report(0);
        flags_.batchVerified = false;
        return ScanResult::Rescan;
    }
    statusLine_ = tr("Three consecutive scans were incorrect, ", "连续3次扫描不正确， ") + scanned;
    flags_.setLastMessage(tr("Three consecutive scans were incorrect, ", "连续3次扫描不正确: ") +
                          scanned);
    report(0);
    finish();
    return ScanResult::Failed;
}

bool StationVerification::submitEntry(const std::string& text) {
    if (!entryEnabled_)
        return false;
    if (text == expectedBatch_) {
        flags_.batchVerified = true;
        statusLine_ = batchCorrectText();
        entryEnabled_ = false;
        report(1);
        return true;
    }
    statusLine_ = batchIncorrectText(text);
    return false;
}

void StationVerification::report(int verified) {
    if (parent_ != nullptr)
        parent_->post(MSG_STATIONS_VERIFIED, static_cast<uintptr_t>(verified), 0);
}

void StationVerification::finish() {
    running_ = false;
    awaitingScan_ = false;
}

}  // namespace corvane
