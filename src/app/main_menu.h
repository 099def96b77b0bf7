// The menu of the main window: its ten top-level items and every command,
// in both languages, and a menu of the simulated machine where there is one.
#pragma once

#include <QObject>
#include <array>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;

namespace corvane::app {

enum class MenuCommand {
    ReadProgram,
    SaveProgram,
    ModifyProgram,
    CreateModify,
    ListOfPlugIn,
    ListOfStations,
    IoDiagnosis,
    MotorsDebug,
    D1D2Debug,
    AdditionalFunctions,
    ManufacturersInfo,
    Help,
    Statistics,
    About,
    Chinese,
    English,
    Exit,
};
inline constexpr int kMenuCommandCount = 17;

class MainMenu : public QObject {
    Q_OBJECT

  public:
    explicit MainMenu(QMenuBar* bar, QObject* parent = nullptr);
    void retranslate();

    QAction* action(MenuCommand command) const;
    // The ten top-level items (greyed while a reset runs).
    void setTopLevelEnabled(bool enabled);
    const std::vector<QAction*>& topLevel() const { return topLevel_; }
    // A menu of its own for the simulated machine's panel (never greyed).
    void addSimulationMenu(QAction* showPanel);

  signals:
    void triggered(corvane::app::MenuCommand command);

  private:
    QMenu* addMenu(QMenuBar* bar);
    QAction* addCommand(QWidget* into, MenuCommand command);

    QMenuBar* bar_;
    std::array<QAction*, kMenuCommandCount> actions_{};
    std::vector<QMenu*> menus_;
    std::vector<QAction*> topLevel_;
    QMenu* simulation_ = nullptr;
};

}  // namespace corvane::app
