// The main window: layout, timers, window messages and the menu's commands.
#include "app/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <cmath>

#include "access/password_store.h"
#include "app/console.h"
#include "app/desktop_open.h"
#include "app/end_feed.h"
#include "app/machine_backend.h"
#include "app/machine_state_box.h"
#include "app/machine_switches.h"
#include "app/main_window_program.h"
#include "app/operate_group.h"
#include "app/production_info_box.h"
#include "app/program_place.h"
#include "app/simulated_machine_panel.h"
#include "app/startup_program.h"
#include "machine/io_points.h"
#include "machine/machine_parameters.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/program_directory.h"
#include "platform/screens/about_box.h"
#include "platform/screens/language_events.h"
#include "platform/screens/screen_text.h"
#include "production/machine_state.h"
#include "program/program_file.h"
#include "program/program_rules.h"
#include "program/screens/additional_functions_dialog.h"
#include "program/screens/batch_scan_dialog.h"
#include "program/screens/program_list_view.h"
#include "program/screens/program_overview_dialog.h"
#include "program/screens/station_list_dialog.h"
#include "stats/screens/statistics_dialog.h"

namespace corvane::app {

using screens::coreText;
using screens::uiText;

namespace {

// The periods of the main window's timers, in clock milliseconds.
constexpr double kButtonsMs = 30;
constexpr double kStatisticsMs = 1000;
constexpr double kResetBarMs = 28;
constexpr double kResetBlinkMs = 360;

constexpr const char* kFactoryInfo = "FactoryInfo.pdf";
constexpr const char* kHelpFile = "Korvel-HELP.pdf";

}  // namespace

// A worker's message wakes the GUI thread once, however many follow before
// the queue is drained. Workers may call this until the console has ended
// them, also while the window is being destroyed, so the window is reached
// only from the GUI thread, where it is also unhooked.
struct MainWindow::MessageWake {
    std::atomic<bool> queued{false};
    MainWindow* window = nullptr;  // GUI thread only

    static void wakeUp(const std::shared_ptr<MessageWake>& self) {
        if (self->queued.exchange(true))
            return;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self] {
                self->queued = false;
                if (self->window != nullptr)
                    self->window->drainMessages();
            },
            Qt::QueuedConnection);
    }
};

MainWindow::MainWindow(QWidget* parent) : MainWindow(Options{}, parent) {}

MainWindow::MainWindow(Options options, QWidget* parent)
    : QMainWindow(parent),
      source_(programList()),
      console_(std::make_unique<Console>(source_, Console::Options{options.saveParametersAtExit})),
      wake_(std::make_shared<MessageWake>()) {
    setObjectName(QStringLiteral("mainWindow"));
    initialisePasswords();
    console_->initialise();
    fitParametersToSimulatedMachine();

    buildLayout();
    connectScreens();

    wake_->window = this;
    console_->window().setWakeUp([wake = wake_] { MessageWake::wakeUp(wake); });
    console_->setViewChanged([this] { scheduleRefresh(); });
    console_->setCursorHooks([this] { cursor_.confine(operate_->stopButton()); },
                             [this] { cursor_.release(); });
    console_->setVerificationHook([this](const std::string& text, const std::vector<int>& s) {
        stations_->verifyStations(text, s);
    });
    // A Station edited in the list, a program opened: the chain feed plan
    // follows the program.
    setChainFeedPlanRebuild([this](const ProgramList&) { console_->programChanged(); });

    screens::followLanguage(this);
    retranslate();
    startTimers();
    refresh();
    // Messages the workers could have queued before the wake-up was set.
    drainMessages();
}

MainWindow::~MainWindow() {
    for (QTimer* t : {timer30_, timer1s_, timer28_, timer360_})
        t->stop();
    setChainFeedPlanRebuild(nullptr);
    wake_->window = nullptr;
    console_->window().setWakeUp(nullptr);
    console_->setViewChanged(nullptr);
    console_->setCursorHooks(nullptr, nullptr);
    console_->setVerificationHook(nullptr);
    cursor_.release();
    // The console ends its workers while the screens they report to exist.
    console_.reset();
}

// --- Layout ----------------------------------------------------------------

void MainWindow::buildLayout() {
    operate_ = new OperateGroup;
    selectors_ = new ModeSelectors(console_->settings());
    place_ = new ProgramPlace(programList());
    place_->list().setBatchColumnShown(verificationOn());
    state_ = new MachineStateBox;
    info_ = new ProductionInfoBox;
    switches_ = new MachineSwitches;
    // The switches start as the machine does.
    switches_->safeDoor()->setChecked(console_->settings().SafeDoorCheck.load() != 0);
    switches_->workdeskLamp()->setChecked(output(kOutWorkdeskLight).IsOn());
    switches_->buzzer()->setChecked(true);
    console_->setBuzzerEnabled(true);

    // Left the machine's controls, right what the machine does.
    auto* left = new QVBoxLayout;
    left->addWidget(operate_);
    left->addWidget(selectors_);
    left->addWidget(switches_);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(place_, 1);
    right->addWidget(state_);
    right->addWidget(info_);
    auto* central = new QWidget;
    auto* top = new QHBoxLayout(central);
    top->addLayout(left);
    top->addLayout(right, 1);
    setCentralWidget(central);

    menu_ = new MainMenu(menuBar(), this);
    stations_ = new screens::StationListDialog(programList(), this);

    simulatedPanel_ = createSimulatedMachinePanel(this);
    if (simulatedPanel_ != nullptr) {
        addDockWidget(Qt::RightDockWidgetArea, simulatedPanel_);
        simulatedPanel_->hide();
        QAction* show = simulatedPanel_->toggleViewAction();
        show->setObjectName(QStringLiteral("showSimulatedMachine"));
        menu_->addSimulationMenu(show);
    }
    place_->showProgramOrPicture(programList().count() > 0);
    resize(1280, 800);
}

void MainWindow::connectScreens() {
    connect(operate_, &OperateGroup::startClicked, this, [this] { console_->Start(); });
    connect(operate_, &OperateGroup::stopClicked, this, [this] { console_->Stop(); });
    connect(operate_, &OperateGroup::emergencyStopClicked, this,
            [this] { console_->EmergencyStop(); });
    connect(operate_, &OperateGroup::alarmResetClicked, this, [this] { console_->AlarmReset(); });
    connect(operate_, &OperateGroup::resetClicked, this, [this] { console_->Reset(); });

    connect(selectors_, &ModeSelectors::moved, this, &MainWindow::selectorMoved);
    connect(info_, &ProductionInfoBox::plannedCountEntered, this,
            [this](int boards) { console_->setPlannedCount(boards); });
    connect(switches_->endFeed(), &QCheckBox::toggled, this, &MainWindow::endFeedSwitched);
    connect(switches_->workdeskLamp(), &QCheckBox::toggled, this,
            [this](bool on) { console_->setWorkdeskLamp(on); });
    connect(switches_->safeDoor(), &QCheckBox::toggled, this,
            [this](bool on) { console_->setSafeDoorCheck(on); });
    connect(switches_->buzzer(), &QCheckBox::toggled, this,
            [this](bool on) { console_->setBuzzerEnabled(on); });

    connect(menu_, &MainMenu::triggered, this, &MainWindow::runCommand);

    connect(stations_, &screens::StationListDialog::verificationReported, this,
            [this](bool verified) { console_->verificationResult(verified); });
    connect(stations_, &screens::StationListDialog::programEdited, this, [this] {
        place_->list().reload();
        console_->programChanged();
    });
    connect(stations_, &screens::StationListDialog::materialVerificationSwitched, this,
            [this](bool on) { place_->list().setBatchColumnShown(on); });
}

void MainWindow::retranslate() {
    setWindowTitle(QStringLiteral("Tamsin"));
    operate_->retranslate();
    selectors_->retranslate();
    state_->retranslate();
    info_->retranslate();
    switches_->retranslate();
    menu_->retranslate();
    if (simulatedPanel_ != nullptr)
        simulatedPanel_->retranslate();
}

void MainWindow::raiseToFront() {
    showNormal();
    raise();
    activateWindow();
}

// --- Timers, messages, the view ---------------------------------------------

void MainWindow::startTimers() {
    // A test may run the machine's clock faster; the timers keep its pace.
    const double scale = std::max(platform::Clock::timeScale(), 0.001);
    auto start = [&](double clockMs, std::function<void()> tick) {
        auto* timer = new QTimer(this);
        timer->setTimerType(Qt::PreciseTimer);
        timer->setInterval(std::max(1, static_cast<int>(std::lround(clockMs / scale))));
        connect(timer, &QTimer::timeout, this, std::move(tick));
        timer->start();
        return timer;
    };
    timer30_ = start(kButtonsMs, [this] { timer30ms(); });
    timer1s_ = start(kStatisticsMs, [this] { console_->timer1s(); });
    timer28_ = start(kResetBarMs, [this] { console_->timer28ms(); });
    timer360_ = start(kResetBlinkMs, [this] { console_->timer360ms(); });
}

void MainWindow::timer30ms() {
    console_->timer30ms();
    operate_->showTowerLamps(output(kOutRedLight).IsOn(), output(kOutYellowLight).IsOn(),
                             output(kOutGreenLight).IsOn());
}

void MainWindow::drainMessages() {
    if (console_)
        console_->processMessages();
}

void MainWindow::scheduleRefresh() {
    if (refreshQueued_)
        return;
    refreshQueued_ = true;
    QMetaObject::invokeMethod(this, &MainWindow::refresh, Qt::QueuedConnection);
}

void MainWindow::refresh() {
    refreshQueued_ = false;
    const ConsoleView& view = console_->view();
    const ProductionSettings& settings = console_->settings();
    operate_->showView(view);
    state_->showView(view, corvane::machineState().AlarmCode.load() >= 0);
    info_->showView(view);
    info_->showPlan(settings.PlannedBoards.load(), settings.PlannedHours.load());
    selectors_->setChainSelectorEnabled(view.chainSelectorEnabled);
    menu_->setTopLevelEnabled(view.menusEnabled);
    switches_->showLeadLamps(view.leftLeadLamp, view.rightLeadLamp);
    if (view.selectedRow != shownRow_) {
        shownRow_ = view.selectedRow;
        place_->list().showRow(view.selectedRow);
    }
}

// --- Settings ------------------------------------------------------------------

void MainWindow::selectorMoved(Selector selector, int value) {
    ProductionSettings& s = console_->settings();
    switch (selector) {
        case Selector::ProductionMode:
            s.ProductionMode = value;
            break;
        case Selector::PlugInCheck:
            s.PlugInCheck = value;
            break;
        case Selector::MarkCheck:
            s.MarkCheck = value;
            break;
        case Selector::ManualDeskSpeed:
            s.ManualDeskSpeed = value;
            break;
        case Selector::PlugInMode:
            s.PlugInMode = value;
            break;
        case Selector::StationCheck:
            s.StationCheck = value;
            break;
        case Selector::ChainState:
            console_->setChainState(value);
            break;
        case Selector::ProductionSpeed:
            console_->setProductionSpeed(value);
            break;
        case Selector::LoadMode:
            s.LoadMode = value;
            break;
    }
}

void MainWindow::endFeedSwitched(bool on) {
    // The previous machine feeds no more: the run ends with the boards in
    // the machine. Switched off, the plan is what it was.
    if (on) {
        plannedBeforeEndFeed_ = console_->settings().PlannedBoards.load();
        console_->setPlannedCount(endFeedPlannedBoards());
    } else {
        console_->setPlannedCount(plannedBeforeEndFeed_);
    }
}

bool MainWindow::machineStopped() const {
    const MachineState& state = corvane::machineState();
    return state.StopRequest.load() != 0 || state.EmergencyStopActive.load() != 0;
}

bool MainWindow::machineAtRest() const {
    return machineStopped() && console_->productionSuspended() == 1 &&
           console_->chainFeedSuspended() == 1;
}

bool MainWindow::verificationOn() const {
    return machineParameters().materialVerification != 0;
}

// --- The menu ----------------------------------------------------------------

void MainWindow::runModal(const std::function<void()>& screen) {
    if (modalDepth_++ == 0)
        console_->setTimer30Running(false);
    screen();
    if (--modalDepth_ == 0)
        console_->setTimer30Running(true);
}

void MainWindow::runCommand(MenuCommand command) {
    switch (command) {
        case MenuCommand::ReadProgram:
            readProgram();
            break;
        case MenuCommand::SaveProgram:
            saveProgram();
            break;
        case MenuCommand::ModifyProgram:
            modifyProgram();
            break;
        case MenuCommand::ListOfPlugIn:
            runModal([this] {
                screens::ProgramOverviewDialog overview(programList(), verificationOn(), this);
                overview.exec();
            });
            break;
        case MenuCommand::ListOfStations:
            runModal([this] { stations_->exec(); });
            break;
        case MenuCommand::AdditionalFunctions:
            if (!machineStopped())
                break;
            runModal([this] {
                if (screens::runAdditionalFunctionSelection(this))
                    place_->list().setBatchColumnShown(verificationOn());
            });
            break;
        case MenuCommand::ManufacturersInfo:
            runModal([] { openWithDesktop(platform::programFile(kFactoryInfo)); });
            break;
        case MenuCommand::Help:
            runModal([] { openWithDesktop(platform::programFile(kHelpFile)); });
            break;
        case MenuCommand::Statistics:
            runModal([this] {
                screens::StatisticsDialog statistics(console_->statistics(), this);
                statistics.exec();
            });
            break;
        case MenuCommand::About:
            runModal([this] { screens::showAboutBox(this); });
            break;
        case MenuCommand::Chinese:
            setLanguage(kChinese);
            break;
        case MenuCommand::English:
            setLanguage(kEnglish);
            break;
        case MenuCommand::Exit:
            if (askExit())
                close();
            break;
        case MenuCommand::CreateModify:
        case MenuCommand::IoDiagnosis:
        case MenuCommand::MotorsDebug:
        case MenuCommand::D1D2Debug:
            // Their screens are not part of this console yet (greyed).
            break;
    }
}

void MainWindow::setLanguage(int language) {
    console_->setLanguage(language);
    screens::LanguageEvents::instance().setLanguage(language);
}

bool MainWindow::askExit() {
    if (exitConfirmed_)
        return true;
    runModal([this] { exitConfirmed_ = console_->requestExit(); });
    return exitConfirmed_;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (askExit())
        event->accept();
    else
        event->ignore();
}

QString MainWindow::chooseFile(FileDialog kind) {
    if (fileChooser_)
        return fileChooser_(kind);
    const QString filter = QStringLiteral("Plug-in Data(*.xls)");
    const QFileDialog::Options options = QFileDialog::DontUseNativeDialog;
    switch (kind) {
        case FileDialog::Save:
            return QFileDialog::getSaveFileName(this,
                                                menu_->action(MenuCommand::SaveProgram)->text(), {},
                                                filter, nullptr, options);
        case FileDialog::Modify:
            return QFileDialog::getOpenFileName(this,
                                                menu_->action(MenuCommand::ModifyProgram)->text(),
                                                {}, filter, nullptr, options);
        case FileDialog::Read:
            break;
    }
    return QFileDialog::getOpenFileName(this, menu_->action(MenuCommand::ReadProgram)->text(), {},
                                        filter, nullptr, options);
}

void MainWindow::readProgram() {
    runModal([this] {
        // The production reads the program while it runs: it is replaced
        // only while the machine stands.
        if (!machineAtRest()) {
            platform::messageBox(
                corvane::tr("Stop production before reading a program", "导入程式前请先停止生产"));
            return;
        }
        const QString chosen = chooseFile(FileDialog::Read);
        if (!chosen.isEmpty())
            openProgram(chosen);
    });
}

bool MainWindow::openProgram(const QString& chosen) {
    if (!machineAtRest()) {
        platform::messageBox(
            corvane::tr("Stop production before reading a program", "导入程式前请先停止生产"));
        return false;
    }
    const bool loaded =
        openProgramInMainWindow(coreText(chosen), programList(), console_->statistics());
    programLoaded(loaded);
    return loaded;
}

bool MainWindow::openProgramAtStartUp(const QString& path) {
    const bool loaded =
        corvane::openProgramAtStartUp(coreText(path), programList(), console_->statistics());
    programLoaded(loaded);
    return loaded;
}

void MainWindow::programLoaded(bool loaded) {
    place_->list().reload();
    shownRow_ = -1;
    info_->showProgramName(loaded ? uiText(programList().path()) : QString());
    place_->showProgramOrPicture(programList().count() > 0);
}

void MainWindow::saveProgram() {
    runModal([this] {
        if (!prepareProgramSave(programList(), ProgramScreen::MainWindow))
            return;
        // The closing record the save may have appended is in the list now.
        place_->list().reload();
        console_->programChanged();
        const QString chosen = chooseFile(FileDialog::Save);
        if (chosen.isEmpty())
            return;
        if (corvane::saveProgram(coreText(chosen), programList(), ProgramScreen::MainWindow))
            info_->showProgramName(uiText(programList().path()));
    });
}

void MainWindow::modifyProgram() {
    runModal([this] {
        const QString chosen = chooseFile(FileDialog::Modify);
        if (!chosen.isEmpty())
            openWithDesktop(programFilePath(coreText(chosen)));
    });
}

}  // namespace corvane::app
