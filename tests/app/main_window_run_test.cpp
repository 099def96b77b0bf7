// Three boards made through the window alone: the program read from the
// menu, the planned count typed in, Reset and Start clicked, and the
// operator at the simulated machine pressing its Start button whenever the
// machine pauses. What the machine made is judged from the machine itself.
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "app/mode_selectors.h"
#include "app/operate_group.h"
#include "app/production_info_box.h"
#include "app/simulated_machine_panel.h"
#include "main_window_fixture.h"
#include "production/alarm_texts.h"
#include "production/machine_state.h"
#include "production/production_settings.h"

using namespace corvane;
using namespace corvane::app;
using namespace console_test;

TEST_F(MainWindowTest, ThreeBoardsOfAProgramWithMarksBreaksAndSeveralStations) {
    platform::Clock::setTimeScale(4.0);
    openWindow();
    SimulatedMachinePanel* panel = window().simulatedMachinePanel();
    ASSERT_NE(panel, nullptr);
    panel->show();
    ASSERT_TRUE(readDemoProgram());
    // The marks are passed by: the mark check starts at Uncheck.
    EXPECT_EQ(window().selectors().slider(Selector::MarkCheck)->value(), kUncheck);

    ProductionInfoBox& info = window().productionInfo();
    click(info.modifyButton());
    info.plannedCountField()->clear();
    QTest::keyClicks(info.plannedCountField(), "3");
    click(info.modifyButton());
    ASSERT_EQ(console().settings().PlannedBoards.load(), 3);

    ASSERT_TRUE(resetThroughWindow(window()));
    click(window().operateGroup().startButton());
    const MachineState& state = machineState();
    int operatorStarts = 0;
    bool complete = false;
    for (int round = 0; round < 200 && !complete; ++round) {
        waitFor(
            [&] {
                return state.AlarmCode.load() >= 0 ||
                       (state.StopRequest.load() && console().productionSuspended() == 1);
            },
            600);
        const int alarm = state.AlarmCode.load();
        if (alarm == kAlarmProductionComplete) {
            complete = true;
            break;
        }
        ASSERT_TRUE(alarm == -1 || alarm == kAlarmPlugInFailureLeft ||
                    alarm == kAlarmPlugInFailureRight)
            << "alarm " << alarm << ": " << status().toStdString();
        // The machine paused: the operator presses its Start button.
        ++operatorStarts;
        QTest::mousePress(panel->startButton(), Qt::LeftButton);
        QTest::qWait(300);
        QTest::mouseRelease(panel->startButton(), Qt::LeftButton);
        settle();
    }
    ASSERT_TRUE(complete) << "status: " << status().toStdString();
    EXPECT_EQ(status(), "Complete the production");
    EXPECT_EQ(state.BoardsProduced.load(), 3);
    // The last board leaves for the next machine on its own.
    EXPECT_TRUE(waitFor([] { return machine().boardsDelivered() >= 3; }, 120));

    // The check and uncheck records of the demo program, in program order;
    // the marks and the break insert nothing.
    const std::vector<int> expected{1, 12, 5, 3, 9, 12};
    std::vector<std::vector<int>> made;
    for (const sim::BoardRecord& board : machine().boards()) {
        if (!board.insertedStations.empty())
            made.push_back(board.insertedStations);
    }
    ASSERT_EQ(made.size(), 3u);
    for (const auto& board : made)
        EXPECT_EQ(board, expected);
    EXPECT_EQ(machine().insertions().size(), 18u);
    EXPECT_EQ(machine().counters().componentsLost, 0);
    EXPECT_EQ(info.findChild<QLineEdit*>("completeCounter")->text().left(8), "3 Boards");
    RecordProperty("operator_starts", operatorStarts);
}
