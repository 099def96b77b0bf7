// The operator console's window: Start's refusals, the operation buttons, the
// planned count, the program list's Station cell, the menu's commands, the
// language switch, Exit and the second start, driven through the widgets.
#include <QCheckBox>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include "app/end_feed.h"
#include "app/lamp.h"
#include "app/machine_backend.h"
#include "app/machine_switches.h"
#include "app/mode_selectors.h"
#include "app/operate_group.h"
#include "app/production_info_box.h"
#include "app/program_place.h"
#include "app/simulated_machine_panel.h"
#include "app/single_instance.h"
#include "main_window_fixture.h"
#include "platform/program_directory.h"
#include "platform/screens/message_box_dialog.h"
#include "platform/window_messages.h"
#include "production/alarm_texts.h"
#include "production/chain_feed.h"
#include "production/machine_state.h"
#include "program/material_verification.h"
#include "program/screens/batch_scan_dialog.h"
#include "program/screens/program_list_view.h"
#include "program/screens/station_list_dialog.h"
#include "screen_test_support.h"
#include "stats/screens/statistics_dialog.h"

using namespace corvane;
using namespace corvane::app;
using namespace console_test;

namespace {

// Presses a button of the simulated machine's panel and keeps it pressed.
void holdDown(QPushButton* button) {
    QTest::mousePress(button, Qt::LeftButton);
}
void letGo(QPushButton* button) {
    QTest::mouseRelease(button, Qt::LeftButton);
}

}  // namespace

TEST_F(MainWindowTest, StartRefusesWithTheReasonInTheStatusLine) {
    openWindow();
    OperateGroup& operate = window().operateGroup();
    SimulatedMachinePanel* panel = window().simulatedMachinePanel();
    ASSERT_NE(panel, nullptr);
    MachineState& state = machineState();

    click(operate.startButton());
    EXPECT_EQ(status(), "No Data!");
    ASSERT_TRUE(readDemoProgram());
    click(operate.startButton());
    EXPECT_EQ(status(), "The machine needs to reset!");

    // As if reset: the machine's own buttons and its door come next.
    console().settings().NeedsReset = 0;
    holdDown(panel->headHomeButton());
    click(operate.startButton());
    EXPECT_EQ(status(), "H-Header-button pressed!");
    letGo(panel->headHomeButton());
    waitFor([&] { return !console().panelBusy(); }, 30);
    holdDown(panel->stopButton());
    click(operate.startButton());
    EXPECT_EQ(status(), "Stop-button pressed");
    letGo(panel->stopButton());

    // The door opened and Start pressed before the timer has seen the door.
    panel->safeDoorClosed()->setChecked(false);
    click(operate.startButton());
    EXPECT_EQ(status(), "The safe door was opened");
    EXPECT_EQ(state.AlarmCode.load(), -1);
    EXPECT_EQ(state.StopRequest.load(), 1);
    // The timer clears the door's text once the door is closed; opened
    // again, the timer raises the door's alarm.
    panel->safeDoorClosed()->setChecked(true);
    EXPECT_TRUE(waitFor([&] { return status().isEmpty(); }, 10));
    panel->safeDoorClosed()->setChecked(false);
    EXPECT_TRUE(waitFor([&] { return state.AlarmCode.load() == kAlarmSafeDoor; }, 10));
    EXPECT_EQ(status(), "The safe door was opened");
    panel->safeDoorClosed()->setChecked(true);
    EXPECT_TRUE(waitFor([&] { return state.AlarmCode.load() == -1; }, 10));
    EXPECT_EQ(status(), "");

    // An alarm is shown again; a plug-in failure lets Start go on.
    console().window().send(MSG_ALARM, kAlarmCtaPutOut, 1);
    click(operate.startButton());
    EXPECT_EQ(status(), "CTA put out timeout");
    EXPECT_EQ(state.StopRequest.load(), 1);
    EXPECT_FALSE(console().workersCreated());
    click(operate.alarmResetButton());
    EXPECT_EQ(status(), "Alarm reseted");
    state.CurrentRecord = 2;
    console().window().send(MSG_ALARM, kAlarmPlugInFailureRight, 1);
    click(operate.startButton());
    EXPECT_EQ(state.AlarmCode.load(), -1);
    EXPECT_EQ(state.StopRequest.load(), 0);
    click(operate.stopButton());
    EXPECT_EQ(state.StopRequest.load(), 1);
}

TEST_F(MainWindowTest, WithoutMotionCardsStartIsRefused) {
    sim::MachineConfig config;
    config.cards = 1;
    machine().reset(config);
    window_ = std::make_unique<MainWindow>(MainWindow::Options{false});
    window_->show();
    ASSERT_FALSE(messages_.empty());
    EXPECT_EQ(messages_.front(), "Cannot find the cards of motion control.");
    EXPECT_EQ(status(), "Cannot find the cards of motion control. ");
    click(window().operateGroup().startButton());
    EXPECT_EQ(status(), "Not find proper motion control card!");
}

TEST_F(MainWindowTest, StartWaitsForTheBatchNumberTheStationListAsks) {
    openWindow();
    ASSERT_TRUE(readDemoProgram());
    programList().at(6)->setField(kFieldBatch, "LOT-9");
    machineParameters().materialVerification = 1;
    materialVerificationFlags().batchVerified = false;
    console().settings().NeedsReset = 0;

    // A failed insertion of record 7 (station 9): the window's station list
    // asks for the station's batch number at once.
    machineState().CurrentRecord = 7;
    console().window().send(MSG_ALARM, kAlarmPlugInFailureLeft, 1);
    settle();
    screens::StationListDialog& stations = window().stationList();
    EXPECT_TRUE(stations.isVisible());
    ASSERT_NE(stations.scanDialog(), nullptr);
    EXPECT_EQ(console().stationsToVerify(), std::vector<int>{9});

    auto scan = [&](const char* text) {
        auto* field = stations.scanDialog()->findChild<QLineEdit*>("batchNumber");
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
        settle();
    };
    scan("LOT-8");
    click(window().operateGroup().startButton());
    EXPECT_EQ(status(), "Material batch number error");
    EXPECT_EQ(machineState().StopRequest.load(), 1);
    ASSERT_NE(stations.scanDialog(), nullptr);
    scan("LOT-9");
    EXPECT_FALSE(console().verificationPending());
    stations.close();
    click(window().operateGroup().startButton());
    EXPECT_EQ(machineState().StopRequest.load(), 0);
    click(window().operateGroup().stopButton());
}

TEST_F(MainWindowTest, OperationButtonsResetStartStopAndStopInAnEmergency) {
    openWindow();
    ASSERT_TRUE(readDemoProgram());
    OperateGroup& operate = window().operateGroup();
    MachineState& state = machineState();

    click(operate.resetButton());
    ASSERT_TRUE(console().resetRunning());
    settle();
    // While the machine homes only the emergency stop takes a press, and the
    // menu is greyed.
    EXPECT_FALSE(operate.startButton()->isEnabled());
    EXPECT_FALSE(operate.stopButton()->isEnabled());
    EXPECT_FALSE(operate.alarmResetButton()->isEnabled());
    EXPECT_FALSE(operate.resetButton()->isEnabled());
    EXPECT_TRUE(operate.emergencyStopButton()->isEnabled());
    EXPECT_FALSE(window().mainMenu().action(MenuCommand::Exit)->isEnabled());
    EXPECT_TRUE(window().machineStateBox().progressBar()->isVisible());
    ASSERT_TRUE(waitFor([&] { return !console().resetRunning(); }, 240));
    settle();
    EXPECT_EQ(status(), "Reset Successly");
    EXPECT_TRUE(operate.startButton()->isEnabled());
    EXPECT_TRUE(window().mainMenu().action(MenuCommand::Exit)->isEnabled());
    EXPECT_FALSE(window().machineStateBox().progressBar()->isVisible());

    click(operate.startButton());
    EXPECT_EQ(state.StopRequest.load(), 0);
    EXPECT_TRUE(console().view().cursorConfined);
    settle();
    // While it runs the chain state and the planned count stay as they are.
    EXPECT_FALSE(window().selectors().slider(Selector::ChainState)->isEnabled());
    EXPECT_FALSE(window().productionInfo().modifyButton()->isEnabled());
    click(operate.resetButton());
    EXPECT_EQ(status(), "Stop production before resetting");

    click(operate.stopButton());
    EXPECT_EQ(state.StopRequest.load(), 1);
    EXPECT_FALSE(console().view().cursorConfined);
    waitFor([&] { return console().productionSuspended() == 1; }, 30);
    settle();
    EXPECT_TRUE(window().selectors().slider(Selector::ChainState)->isEnabled());
    EXPECT_TRUE(window().productionInfo().modifyButton()->isEnabled());

    click(operate.startButton());
    EXPECT_EQ(state.StopRequest.load(), 0);
    click(operate.emergencyStopButton());
    EXPECT_EQ(state.EmergencyStopActive.load(), 1);
    EXPECT_EQ(console().settings().NeedsReset.load(), 1);
    EXPECT_EQ(state.StopKind.load(), kEmergencyStopped);
    click(operate.alarmResetButton());
    EXPECT_EQ(status(), "The machine need to reset");
    // The tower shows the emergency stop in red until the next Start.
    waitFor([] { return machine().outputOn(sim::Output::RedLight); }, 10);
    EXPECT_TRUE(machine().outputOn(sim::Output::RedLight));
    EXPECT_FALSE(machine().outputOn(sim::Output::YellowLight));
    EXPECT_FALSE(machine().outputOn(sim::Output::GreenLight));
}

TEST_F(MainWindowTest, PlannedCountIsModifiedAndMadeSure) {
    openWindow();
    ProductionInfoBox& info = window().productionInfo();
    QLineEdit* field = info.plannedCountField();
    QPushButton* button = info.modifyButton();
    EXPECT_EQ(field->text(), "1000");
    EXPECT_FALSE(field->isEnabled());

    auto enter = [&](const char* text) {
        click(button);
        EXPECT_TRUE(field->isEnabled());
        EXPECT_EQ(button->text(), "Sure");
        field->clear();
        QTest::keyClicks(field, text);
        click(button);
        settle();
    };
    enter("0");
    EXPECT_EQ(console().settings().PlannedBoards.load(), 1);
    EXPECT_EQ(field->text(), "1");
    EXPECT_EQ(button->text(), "Modify");
    EXPECT_FALSE(field->isEnabled());
    machineState().BoardsProduced = 5;
    enter("3");
    EXPECT_EQ(console().settings().PlannedBoards.load(), 5);
    EXPECT_EQ(field->text(), "5");
    enter("40");
    EXPECT_EQ(console().settings().PlannedBoards.load(), 40);
    EXPECT_EQ(console().statistics().Current().plannedCount, 40);

    // End-feed: the run ends with the boards in the machine (five made, one
    // being inserted); switched off, the plan is what it was.
    machineState().WorkdeskPhase = kPhaseInsert;
    window().switches().endFeed()->setChecked(true);
    settle();
    EXPECT_EQ(console().settings().PlannedBoards.load(), 6);
    EXPECT_EQ(field->text(), "6");
    window().switches().endFeed()->setChecked(false);
    EXPECT_EQ(console().settings().PlannedBoards.load(), 40);
}

TEST_F(MainWindowTest, StationCellTakesOnlyANewStationOfAComponentRecord) {
    openWindow();
    ASSERT_TRUE(readDemoProgram());
    screens::ProgramListView& list = window().programPlace().list();
    EXPECT_TRUE(list.isVisible());
    // The operator double-clicks the cell and types.
    auto edit = [&](int row, const char* text) {
        const QModelIndex cell = list.model()->index(row, kFieldStation);
        list.scrollTo(cell);
        const QPoint where = list.visualRect(cell).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, where);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, where);
        auto* editor = list.viewport()->findChild<QLineEdit*>();
        if (editor == nullptr || !editor->isVisible())
            return false;
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        settle();
        return true;
    };
    auto station = [](int row) { return programList().at(row)->field(kFieldStation); };
    auto planned = [&](int s) {
        for (const auto& [time, st] : console().chain().plan().drops) {
            if (st == s)
                return true;
        }
        return false;
    };
    ASSERT_FALSE(planned(7));
    // Row 2 is a "check" record of station 1.
    ASSERT_TRUE(edit(1, "13"));
    EXPECT_EQ(station(1), "1");
    ASSERT_TRUE(edit(1, "0"));
    EXPECT_EQ(station(1), "1");
    ASSERT_TRUE(edit(1, "7"));
    EXPECT_EQ(station(1), "7");
    EXPECT_TRUE(planned(7)) << "the chain feed plan follows the edit";
    // A mark record's station is not the operator's to type.
    EXPECT_FALSE(edit(0, "4"));
    EXPECT_EQ(station(0), "1");

    // The record in production is highlighted.
    machineState().CurrentRecord = 5;
    console().window().send(MSG_SHOW_RECORD);
    settle();
    ASSERT_FALSE(list.selectionModel()->selectedRows().isEmpty());
    EXPECT_EQ(list.selectionModel()->selectedRows().front().row(), 4);
}

TEST_F(MainWindowTest, ProgramCommandsOfTheMenu) {
    openWindow();
    // Reading is refused while the machine runs.
    ASSERT_TRUE(readDemoProgram());
    EXPECT_EQ(window().productionInfo().findChild<QLineEdit*>("programName")->text(),
              QString::fromStdString((home_ / "demo.xls").string()));
    console().settings().NeedsReset = 0;
    click(window().operateGroup().startButton());
    ASSERT_EQ(machineState().StopRequest.load(), 0);
    programList().clear();
    window().mainMenu().action(MenuCommand::ReadProgram)->trigger();
    EXPECT_EQ(programList().count(), 0);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_.back(), "Stop production before reading a program");
    click(window().operateGroup().stopButton());
    waitFor([&] { return console().productionSuspended() == 1; }, 30);

    // Saving a program that does not end the board appends the closing record
    // and writes the chosen name as a workbook.
    programList().append(InsertionRecord(
        {"1", "5.000", "5.000", "0.000", "2", "R", "R9", "N", "5.0", "3.000", "check", ""}));
    window().programPlace().list().reload();
    window().setFileChooser([this](MainWindow::FileDialog) {
        return QString::fromStdString((home_ / "plan.txt").string());
    });
    window().mainMenu().action(MenuCommand::SaveProgram)->trigger();
    EXPECT_EQ(programList().count(), 2);
    EXPECT_EQ(window().programPlace().list().model()->rowCount(), 2);
    EXPECT_TRUE(std::filesystem::exists(home_ / "plan.xls"));
    EXPECT_EQ(programList().path(), (home_ / "plan.xls").string());

    // A help file that is not there is named.
    messages_.clear();
    window().mainMenu().action(MenuCommand::Help)->trigger();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_.back(), "Cannot find " + platform::programFile("Korvel-HELP.pdf").string());
    window().mainMenu().action(MenuCommand::ManufacturersInfo)->trigger();
    EXPECT_EQ(messages_.back(), "Cannot find " + platform::programFile("FactoryInfo.pdf").string());

    // The screens still to come are greyed.
    for (MenuCommand later : {MenuCommand::CreateModify, MenuCommand::IoDiagnosis,
                              MenuCommand::MotorsDebug, MenuCommand::D1D2Debug})
        EXPECT_FALSE(window().mainMenu().action(later)->isEnabled());
}

TEST_F(MainWindowTest, AModalScreenOfTheMenuHoldsTheMachinesButtons) {
    openWindow();
    ASSERT_TRUE(readDemoProgram());
    console().settings().NeedsReset = 0;
    // The machine's Start button pressed while the statistics are open: the
    // 30 ms timer does not run, so nothing starts; once the screen is closed
    // the timer sees the press.
    bool startedWhileOpen = true;
    screen_test::onNextDialog<screens::StatisticsDialog>([&](screens::StatisticsDialog* dialog) {
        machine().pressButton(sim::Button::Start);
        QTest::qWait(300);
        startedWhileOpen = machineState().StopRequest.load() == 0;
        dialog->accept();
    });
    window().mainMenu().action(MenuCommand::Statistics)->trigger();
    EXPECT_FALSE(startedWhileOpen);
    waitFor([] { return machineState().StopRequest.load() == 0; }, 10);
    EXPECT_EQ(machineState().StopRequest.load(), 0);
    machine().releaseButton(sim::Button::Start);
    click(window().operateGroup().stopButton());
}

// Every caption of the window, its menu and the simulated machine's panel.
std::map<QString, QString> windowCaptions(MainWindow& window) {
    auto captions = screen_test::captionsOf(&window);
    int n = 0;
    for (QAction* action : window.findChildren<QAction*>()) {
        if (!action->text().isEmpty())
            captions[QStringLiteral("action:%1:%2").arg(n++).arg(action->objectName())] =
                action->text();
    }
    for (QMenu* menu : window.findChildren<QMenu*>()) {
        if (!menu->title().isEmpty())
            captions["menu:" + menu->objectName()] = menu->title();
    }
    for (QDockWidget* dock : window.findChildren<QDockWidget*>())
        captions["dock:" + dock->objectName()] = dock->windowTitle();
    return captions;
}

TEST_F(MainWindowTest, ChineseAndEnglishReachEveryCaptionAtOnce) {
    openWindow();
    ASSERT_TRUE(readDemoProgram());
    // The station list is a screen of the window: its captions are walked
    // with the window's, open or not.
    const auto english = windowCaptions(window());
    ASSERT_GT(english.size(), 100u);
    window().mainMenu().action(MenuCommand::Chinese)->trigger();
    settle();
    EXPECT_EQ(Language.load(), kChinese);
    const auto chinese = windowCaptions(window());
    ASSERT_EQ(chinese.size(), english.size());
    // The same in both languages: the window's caption and the language
    // commands themselves.
    const QStringList same{"Tamsin", "Chinese", "English"};
    for (const auto& [where, text] : chinese) {
        if (same.contains(text))
            continue;
        EXPECT_FALSE(screen_test::looksEnglish(text))
            << where.toStdString() << ": " << text.toStdString();
        EXPECT_NE(english.at(where), text) << where.toStdString();
    }
    window().mainMenu().action(MenuCommand::English)->trigger();
    settle();
    EXPECT_EQ(windowCaptions(window()), english);
}

TEST_F(MainWindowTest, ExitAsksAndWritesTheReportOnlyWhenStopped) {
    openWindow();
    ASSERT_TRUE(readDemoProgram());
    console().settings().NeedsReset = 0;
    click(window().operateGroup().startButton());
    ASSERT_EQ(machineState().StopRequest.load(), 0);
    // While the machine runs, closing is refused without a question.
    window().close();
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(messages_.empty());
    click(window().operateGroup().stopButton());

    screens::installMessageBoxDialogs();
    QString question;
    auto answer = [&](const char* button) {
        screen_test::onNextDialog<QMessageBox>([&question, button](QMessageBox* box) {
            question = box->text();
            for (QAbstractButton* b : box->buttons()) {
                if (b->text() == button)
                    b->click();
            }
        });
    };
    answer("No");
    window().mainMenu().action(MenuCommand::Exit)->trigger();
    EXPECT_EQ(question, "Really want to exit the system?");
    EXPECT_TRUE(window().isVisible());
    EXPECT_FALSE(console().lastReport().has_value());

    question.clear();
    answer("Yes");
    window().close();
    EXPECT_EQ(question, "Really want to exit the system?");
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(console().lastReport().has_value());
    recordMessages();
}

TEST_F(MainWindowTest, ASecondStartRaisesTheRunningWindowAndEnds) {
    const QString folder = QString::fromStdString((home_ / "runtime").string());
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // The first console, as the program starts it.
    SingleInstance instance(QStringLiteral("corvane"), folder);
    ASSERT_TRUE(instance.start());
    openWindow();
    QObject::connect(&instance, &SingleInstance::raiseRequested, &window(),
                     &MainWindow::raiseToFront);
    window().showMinimized();
    settle();
    QSignalSpy raised(&instance, &SingleInstance::raiseRequested);

    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", folder);
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(environment);
    second.start(QStringLiteral(CORVANE_CONSOLE));
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(raised.count() > 0 || raised.wait(5000));
    settle();
    EXPECT_FALSE(window().isMinimized());
    EXPECT_TRUE(window().isVisible());
}

TEST_F(MainWindowTest, TheSimulatedMachinesPanelIsTheMachine) {
    EXPECT_TRUE(simulatedMachineBehindCards());
    openWindow();
    SimulatedMachinePanel* panel = window().simulatedMachinePanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_FALSE(panel->isVisible());
    QAction* show = window().findChild<QAction*>("showSimulatedMachine");
    ASSERT_NE(show, nullptr);
    show->trigger();
    settle();
    EXPECT_TRUE(panel->isVisible());
    // The tower lamps as the machine shows them: yellow alone, for the
    // reset the machine needs.
    waitFor([] { return machine().outputOn(sim::Output::YellowLight); }, 10);
    panel->refresh();
    const auto lamps = panel->findChildren<Lamp*>();
    ASSERT_EQ(lamps.size(), 4u);
    EXPECT_EQ(std::count_if(lamps.begin(), lamps.end(), [](Lamp* l) { return l->isLit(); }), 1);
    EXPECT_TRUE(lamps[1]->isLit());

    // The mushroom button stays in until it is released.
    click(panel->emergencyStopButton());
    EXPECT_TRUE(machine().buttonPressed(sim::Button::EmergencyStop));
    EXPECT_TRUE(waitFor([] { return machineState().EmergencyStopActive.load() != 0; }, 10));
    click(panel->emergencyStopButton());
    EXPECT_TRUE(machine().buttonPressed(sim::Button::EmergencyStop));
    click(panel->releaseEmergencyStopButton());
    EXPECT_FALSE(machine().buttonPressed(sim::Button::EmergencyStop));
    EXPECT_FALSE(panel->emergencyStopButton()->isChecked());
    // A push button is held as long as the mouse button is.
    QTest::mousePress(panel->stopButton(), Qt::LeftButton);
    EXPECT_TRUE(machine().buttonPressed(sim::Button::Stop));
    QTest::mouseRelease(panel->stopButton(), Qt::LeftButton);
    EXPECT_FALSE(machine().buttonPressed(sim::Button::Stop));

    // Feeders, cylinders, the lead sensors and the neighbours.
    click(panel->emptyFeeder(4));
    EXPECT_EQ(machine().feederParts(4), 0);
    EXPECT_EQ(panel->feederParts(4)->text(), "0");
    click(panel->refillFeeder(4));
    EXPECT_EQ(machine().feederParts(4), machine().config().chain.feederParts[3]);
    panel->cylinderJammed(0)->setChecked(true);
    EXPECT_TRUE(machine().cylinderJammed(sim::Cylinder::Cta));
    panel->cylinderJammed(0)->setChecked(false);
    EXPECT_FALSE(machine().cylinderJammed(sim::Cylinder::Cta));
    panel->leadFailurePercent()->setValue(25.0);
    EXPECT_DOUBLE_EQ(machine().leadFailureRate(), 0.25);
    panel->nextMachineAsking()->setChecked(false);
    EXPECT_FALSE(machine().nextMachineAsking());
    panel->previousMachineSupplying()->setChecked(false);
    EXPECT_FALSE(machine().previousMachineSupplying());
    // What is changed at the machine itself shows on the panel.
    machine().setSafeDoorClosed(false);
    machine().setFeederParts(2, 17);
    panel->refresh();
    EXPECT_FALSE(panel->safeDoorClosed()->isChecked());
    EXPECT_EQ(panel->feederParts(2)->text(), "17");
    machine().setSafeDoorClosed(true);
}
