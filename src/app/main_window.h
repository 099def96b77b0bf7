// The operator console: the main window of the machine program ("Tamsin").
// It owns the console (the machine's main window object), lays out the
// operation buttons, the mode selectors, the program list, the machine state
// and the production information, runs the console's timers on Qt timers,
// handles the workers' window messages on the GUI thread, and opens the
// screens of the menu. The machine's logic stays in the console.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>

#include "app/cursor_trap.h"
#include "app/main_menu.h"
#include "app/mode_selectors.h"
#include "app/program_list_source.h"

class QTimer;

namespace corvane {
class Console;
}

namespace corvane::screens {
class StationListDialog;
}

namespace corvane::app {

class MachineStateBox;
class MachineSwitches;
class OperateGroup;
class ProductionInfoBox;
class ProgramPlace;
class SimulatedMachinePanel;

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    struct Options {
        // Save "machine.wps" when the window closes (tests sharing a program
        // directory may not want to).
        bool saveParametersAtExit = true;
    };

    explicit MainWindow(QWidget* parent = nullptr);
    explicit MainWindow(Options options, QWidget* parent = nullptr);
    // Closing the main window: the console ends its workers, saves the
    // parameters and switches the lamps off.
    ~MainWindow() override;

    Console& console() const { return *console_; }

    // "Read Program" once its dialog gave a name (the extension becomes
    // "xls"); refused while the machine runs. Returns whether it loaded.
    bool openProgram(const QString& chosen);
    // The program named on the command line (a workbook or a CSV file).
    bool openProgramAtStartUp(const QString& path);

    enum class FileDialog { Read, Save, Modify };
    // Answers the file dialogs of the program commands instead of asking
    // the operator (tests); an empty answer is a cancelled dialog.
    using FileChooser = std::function<QString(FileDialog)>;
    void setFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }

    // A second start of the program asked to see this window.
    void raiseToFront();
    // Every caption in the display language.
    void retranslate();

    OperateGroup& operateGroup() const { return *operate_; }
    ModeSelectors& selectors() const { return *selectors_; }
    ProductionInfoBox& productionInfo() const { return *info_; }
    MachineStateBox& machineStateBox() const { return *state_; }
    MachineSwitches& switches() const { return *switches_; }
    MainMenu& mainMenu() const { return *menu_; }
    ProgramPlace& programPlace() const { return *place_; }
    screens::StationListDialog& stationList() const { return *stations_; }
    // Null where real cards drive the machine.
    SimulatedMachinePanel* simulatedMachinePanel() const { return simulatedPanel_; }
    bool cursorHeld() const { return cursor_.holding(); }

  protected:
    // Closing the window is Exit: asked, and refused while the machine runs.
    void closeEvent(QCloseEvent* event) override;

  private:
    struct MessageWake;

    void buildLayout();
    void connectScreens();
    void startTimers();
    void scheduleRefresh();
    void refresh();
    void drainMessages();
    void timer30ms();

    void runCommand(MenuCommand command);
    void selectorMoved(Selector selector, int value);
    void endFeedSwitched(bool on);
    void readProgram();
    void saveProgram();
    void modifyProgram();
    void setLanguage(int language);
    bool askExit();
    void programLoaded(bool loaded);
    QString chooseFile(FileDialog kind);
    // Runs a modal screen of the menu with the 30 ms timer stopped.
    void runModal(const std::function<void()>& screen);

    // Asked to stop (Stop, Em-Stop, an alarm), or stopped.
    bool machineStopped() const;
    // Stopped, and its production and chain feed have come to rest.
    bool machineAtRest() const;
    bool verificationOn() const;

    ProgramListSource source_;
    std::unique_ptr<Console> console_;
    std::shared_ptr<MessageWake> wake_;
    OperateGroup* operate_ = nullptr;
    ModeSelectors* selectors_ = nullptr;
    ProgramPlace* place_ = nullptr;
    MachineStateBox* state_ = nullptr;
    ProductionInfoBox* info_ = nullptr;
    MachineSwitches* switches_ = nullptr;
    MainMenu* menu_ = nullptr;
    screens::StationListDialog* stations_ = nullptr;
    SimulatedMachinePanel* simulatedPanel_ = nullptr;
    QTimer* timer30_ = nullptr;
    QTimer* timer1s_ = nullptr;
    QTimer* timer28_ = nullptr;
    QTimer* timer360_ = nullptr;
    CursorTrap cursor_;
    FileChooser fileChooser_;
    bool refreshQueued_ = false;
    int shownRow_ = -1;
    int modalDepth_ = 0;
    bool exitConfirmed_ = false;
    int plannedBeforeEndFeed_ = 0;
};

}  // namespace corvane::app
