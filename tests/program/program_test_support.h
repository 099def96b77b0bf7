// Shared fixture of the program tests: display language, recorded message
// boxes, scratch folders, small programs built inline.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "production/machine_state.h"
#include "program/command_words.h"
#include "program/program_list.h"

namespace corvane {
// Readable failure output.
inline void PrintTo(const InsertionRecord& record, std::ostream* out) {
    *out << "{";
    for (const auto& field : record.fields())
        *out << '"' << field << "\" ";
    *out << "}";
}
}  // namespace corvane

namespace program_test {

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        corvane::Language = corvane::kEnglish;
        corvane::platform::setMessageBoxSink(
            [this](const corvane::platform::MessageBoxRequest& request) {
                messages.push_back(request.text);
                return true;
            });
    }
    void TearDown() override {
        corvane::platform::setMessageBoxSink(nullptr);
        corvane::Language = corvane::kEnglish;
    }

    static void useChinese() { corvane::Language = corvane::kChinese; }
    static void useEnglish() { corvane::Language = corvane::kEnglish; }

    static std::filesystem::path freshDir(const std::string& name) {
        const auto dir = std::filesystem::temp_directory_path() /
                         ("corvane-program-" + name + "-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        return dir;
    }

    // A record with the given station, name and command word.
    static corvane::InsertionRecord record(int no, int station, const std::string& name,
                                           corvane::ProgramCommand command,
                                           const std::string& batch = "",
                                           const std::string& width = "5.0") {
        return corvane::InsertionRecord({std::to_string(no), "10.000", "20.000", "0.000",
                                         std::to_string(station), "FP", name, "N", width, "3.000",
                                         corvane::commandWord(command), batch});
    }

    std::vector<std::string> messages;
};

}  // namespace program_test
