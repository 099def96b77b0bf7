// Opening a program in the main window hands the outgoing statistics over
// before the list changes and tells the plan and the statistics afterwards.
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "app/main_window_program.h"
#include "program/program_file.h"
#include "program/program_rules.h"
#include "program_test_support.h"
#include "stats/production_statistics.h"

using namespace corvane;
using program_test::ProgramTest;

TEST_F(ProgramTest, OpeningReportsTheOutgoingProgramFirst) {
    const auto dir = freshDir("mainwindow");
    setenv("CORVANE_HOME", dir.c_str(), 1);
    ProgramList incoming;
    incoming.append(record(1, 2, "R", ProgramCommand::Check));
    incoming.append(record(2, 2, "R", ProgramCommand::Stop));
    ASSERT_TRUE(writeProgramFile((dir / "next.xls").string(), incoming));

    ProgramList program;
    program.setPath("old.xls");
    ProductionStatistics statistics;
    statistics.SetProgram("old.xls", 1);
    statistics.CountInsert();
    int rebuilds = 0;
    int plannedRecords = -1;
    setChainFeedPlanRebuild([&](const ProgramList& changed) {
        ++rebuilds;
        plannedRecords = changed.count();
    });

    ASSERT_TRUE(openProgramInMainWindow((dir / "next.txt").string(), program, statistics));
    EXPECT_EQ(program.count(), 2);
    EXPECT_EQ(rebuilds, 1);
    EXPECT_EQ(plannedRecords, 2);
    const StatisticsRecord now = statistics.Current();
    EXPECT_EQ(now.programChanges, 1);
    EXPECT_EQ(now.inserts, 0);
    EXPECT_EQ(now.programName, (dir / "next.xls").string());
    EXPECT_EQ(now.programRecords, 2);
    ASSERT_EQ(statistics.History().size(), 1u);
    // The report went to the program directory under the outgoing name.
    std::string report;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir / "Statistical")) {
        if (entry.is_regular_file()) {
            std::ifstream in(entry.path());
            report.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    EXPECT_NE(report.find("Program Name: old.xls\n"), std::string::npos);

    // A refused file: the program is empty, the plan rebuilt for it, the
    // message shown; with no inserts no report is written.
    ASSERT_TRUE(writeProgramFile((dir / "bad.xls").string(), incoming));
    std::ofstream(dir / "bad.xls", std::ios::trunc) << "not a workbook";
    EXPECT_FALSE(openProgramInMainWindow((dir / "bad.xls").string(), program, statistics));
    EXPECT_EQ(program.count(), 0);
    EXPECT_EQ(rebuilds, 2);
    EXPECT_EQ(plannedRecords, 0);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(statistics.Current().programChanges, 2);
    EXPECT_EQ(statistics.History().size(), 1u);
    setChainFeedPlanRebuild(nullptr);
    unsetenv("CORVANE_HOME");
}
