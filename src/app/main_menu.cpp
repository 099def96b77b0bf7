// The main window's menu.
#include "app/main_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "platform/screens/screen_text.h"

namespace corvane::app {

using screens::uiText;

namespace {

struct Caption {
    const char* english;
    const char* chinese;
};

constexpr std::array<Caption, kMenuCommandCount> kCommandCaptions{{
    {"Read Program", "导入程式"},
    {"Save Program", "导出程式"},
    {"Modify Program", "修改程式文件"},
    {"Create/Modify", "制作及修改程式"},
    {"List of Plug-in", "插件信息一览表"},
    {"List of Stations", "站位信息一览表"},
    {"I/O Diagnosis", "I/O信号诊断"},
    {"Motors Debug", "马达调试"},
    {"D1&D2 Debug", "转向对中调试"},
    {"Additional function selection", "附加功能选择"},
    {"Manufacturers Info", "厂家信息"},
    {"Help", "帮助"},
    {"Statistics", "统计"},
    {"Aboat..", "关于"},
    // The language commands read the same in both languages.
    {"Chinese", "Chinese"},
    {"English", "English"},
    {"Exit", "退出"},
}};

// The drop-down menus among the top-level items, in order.
constexpr std::array<Caption, 7> kMenuCaptions{{
    {"Program", "程式"},
    {"Edit", "编辑"},
    {"Information", "信息"},
    {"Debug", "调试"},
    {"Setting", "设置"},
    {"Language", "语言"},
    {"Help", "帮助"},
}};

// "&" marks a mnemonic in Qt; the captions are shown as they stand.
QString literal(const QString& text) {
    QString copy = text;
    return copy.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace

MainMenu::MainMenu(QMenuBar* bar, QObject* parent) : QObject(parent), bar_(bar) {
    QMenu* program = addMenu(bar);
    addCommand(program, MenuCommand::ReadProgram);
    addCommand(program, MenuCommand::SaveProgram);
    addCommand(program, MenuCommand::ModifyProgram);
    QMenu* edit = addMenu(bar);
    addCommand(edit, MenuCommand::CreateModify);
    QMenu* lists = addMenu(bar);
    addCommand(lists, MenuCommand::ListOfPlugIn);
    addCommand(lists, MenuCommand::ListOfStations);
    topLevel_.push_back(addCommand(bar, MenuCommand::IoDiagnosis));
    QMenu* debug = addMenu(bar);
    addCommand(debug, MenuCommand::MotorsDebug);
    addCommand(debug, MenuCommand::D1D2Debug);
    QMenu* setting = addMenu(bar);
    addCommand(setting, MenuCommand::AdditionalFunctions);
    topLevel_.push_back(addCommand(bar, MenuCommand::Statistics));
    QMenu* language = addMenu(bar);
    addCommand(language, MenuCommand::Chinese);
    addCommand(language, MenuCommand::English);
    QMenu* help = addMenu(bar);
    addCommand(help, MenuCommand::ManufacturersInfo);
    addCommand(help, MenuCommand::Help);
    help->addSeparator();
    addCommand(help, MenuCommand::About);
    topLevel_.push_back(addCommand(bar, MenuCommand::Exit));

    // The screens that come later are there, but greyed.
    for (MenuCommand later : {MenuCommand::CreateModify, MenuCommand::IoDiagnosis,
                              MenuCommand::MotorsDebug, MenuCommand::D1D2Debug}) {
        action(later)->setEnabled(false);
        action(later)->setProperty("later", true);
    }
    retranslate();
}

QMenu* MainMenu::addMenu(QMenuBar* bar) {
    auto* menu = new QMenu(bar);
    menu->setObjectName(QStringLiteral("menu") + QString::number(menus_.size()));
    bar->addMenu(menu);
    menus_.push_back(menu);
    topLevel_.push_back(menu->menuAction());
    return menu;
}

QAction* MainMenu::addCommand(QWidget* into, MenuCommand command) {
    auto* action = new QAction(into);
    action->setObjectName(QStringLiteral("command") + QString::number(static_cast<int>(command)));
    into->addAction(action);
    connect(action, &QAction::triggered, this, [this, command] { emit triggered(command); });
    actions_[static_cast<size_t>(command)] = action;
    return action;
}

void MainMenu::retranslate() {
    for (size_t i = 0; i < actions_.size(); ++i)
        actions_[i]->setText(
            literal(uiText(kCommandCaptions[i].english, kCommandCaptions[i].chinese)));
    for (size_t i = 0; i < menus_.size(); ++i)
        menus_[i]->setTitle(literal(uiText(kMenuCaptions[i].english, kMenuCaptions[i].chinese)));
    if (simulation_ != nullptr)
        simulation_->setTitle(uiText("Simulation", "模拟"));
}

QAction* MainMenu::action(MenuCommand command) const {
    return actions_[static_cast<size_t>(command)];
}

void MainMenu::setTopLevelEnabled(bool enabled) {
    for (QAction* item : topLevel_) {
        // A screen that is not there yet stays greyed.
        item->setEnabled(enabled && !item->property("later").toBool());
    }
}

void MainMenu::addSimulationMenu(QAction* showPanel) {
    simulation_ = new QMenu(bar_);
    simulation_->setObjectName(QStringLiteral("simulationMenu"));
    simulation_->addAction(showPanel);
    bar_->addMenu(simulation_);
    retranslate();
}

}  // namespace corvane::app
