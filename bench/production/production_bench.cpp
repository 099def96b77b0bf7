// Production on the simulated machine: a 50-component program for 10 boards.
// Prints components per hour, simulated and wall time, and the processor
// seconds the whole program spent per simulated minute.
//
// Usage: production_bench [time-scale] [boards]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "cli/simulated_run.h"
#include "platform/message_box.h"
#include "program/insertion_record.h"
#include "program/program_list.h"

using namespace corvane;

int main(int argc, char** argv) {
    const double timeScale = argc > 1 ? std::atof(argv[1]) : cli::kDefaultTimeScale;
    const int boards = argc > 2 ? std::atoi(argv[2]) : 10;

    // A program directory of its own: the report lands there, not beside the binary.
    const auto home = std::filesystem::temp_directory_path() / ("corvane-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home);
    ::setenv("CORVANE_HOME", home.c_str(), 1);
    platform::setMessageBoxSink([](const platform::MessageBoxRequest&) { return true; });

    // 50 components from all twelve stations, in a spread order, on a grid of
    // insertion points, followed by the closing record.
    ProgramList& program = programList();
    const int stations[] = {3, 7, 1, 12, 5, 9, 2, 11, 6, 4, 10, 8};
    auto record = [](const std::vector<std::string>& fields) {
        InsertionRecord r;
        for (int i = 0; i < kRecordFieldCount; ++i) r.setField(i, fields[static_cast<size_t>(i)]);
        return r;
    };
    char x[32], y[32];
    for (int k = 0; k < 50; ++k) {
        std::snprintf(x, sizeof x, "%.3f", 20.0 + 8.0 * (k % 10));
        std::snprintf(y, sizeof y, "%.3f", 10.0 + 12.0 * (k / 10));
        program.append(record({std::to_string(k + 1), x, y, k % 3 == 0 ? "90.000" : "0.000",
                               std::to_string(stations[k % 12]), "R-0207", "R", "N", "5.0", "3.000",
                               k % 4 == 0 ? "uncheck" : "check", ""}));
    }
    program.append(record({"51", "0.000", "0.000", "0", "1", "", "", "", "2.5", "0", "stop", ""}));

    cli::SimulationOptions options;
    options.boards = boards;
    options.timeScale = timeScale;
    options.maxSeconds = 36000;
    const auto result = cli::runSimulation(options, program);

    const double sim = result["sim_seconds"].get<double>();
    const double wall = result["wall_seconds"].get<double>();
    const double cpu = result["cpu_seconds"].get<double>();
    std::printf("outcome                      %s\n", result["outcome"].get<std::string>().c_str());
    std::printf("boards produced / delivered  %d / %d\n", result["boards_produced"].get<int>(),
                result["boards_delivered"].get<int>());
    std::printf("components inserted          %d\n", result["inserted"].get<int>());
    std::printf("components per hour          %.0f\n", result["components_per_hour"].get<double>());
    std::printf("simulated time               %.1f s\n", sim);
    std::printf("wall time                    %.1f s (time scale %.1f)\n", wall, timeScale);
    std::printf("processor time               %.2f s\n", cpu);
    std::printf("processor s per sim minute   %.3f\n", sim > 0 ? cpu / (sim / 60.0) : 0.0);
    std::filesystem::remove_all(home);
    return result["outcome"].get<std::string>() == "complete" ? 0 : 1;
}
