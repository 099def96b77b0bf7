// The simulated machine's panel.
#include "app/simulated_machine_panel.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include "app/lamp.h"
#include "platform/screens/screen_text.h"
#include "sim/machine/simulated_machine.h"

namespace corvane::app {

using screens::uiText;
using sim::SimulatedMachine;

namespace {

constexpr int kRefreshMs = 250;

SimulatedMachine& machine() {
    return SimulatedMachine::instance();
}

struct Caption {
    const char* english;
    const char* chinese;
};

// By sim::Cylinder.
constexpr std::array<Caption, SimulatedMachinePanel::kCylinders> kCylinderNames{{
    {"CTA", "CTA推料气缸"},
    {"Forfex seat", "剪脚座"},
    {"Forfex", "剪刀"},
    {"LoadPcbLift", "进板升降台"},
    {"UnloadPcbLift", "出板升降台"},
    {"Pcb fixing", "PCB定位"},
    {"Paper-Cut", "切纸"},
    {"Paper cutting front", "前切纸气缸"},
}};

// Held while the mouse button is.
QPushButton* pushButton(sim::Button button, const char* objectName) {
    auto* widget = new QPushButton;
    widget->setObjectName(QString::fromLatin1(objectName));
    QObject::connect(widget, &QPushButton::pressed, [button] { machine().pressButton(button); });
    QObject::connect(widget, &QPushButton::released, [button] { machine().releaseButton(button); });
    return widget;
}

QLabel* valueLabel() {
    auto* label = new QLabel;
    label->setProperty(screens::kValueProperty, true);
    return label;
}

}  // namespace

SimulatedMachinePanel::SimulatedMachinePanel(QWidget* parent) : QDockWidget(parent) {
    setObjectName(QStringLiteral("simulatedMachinePanel"));
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(buildButtons());
    layout->addWidget(buildLine());
    layout->addWidget(buildFeeders());
    layout->addWidget(buildCylinders());
    layout->addStretch();
    auto* scroll = new QScrollArea;
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setMinimumWidth(content->sizeHint().width() + 24);
    setWidget(scroll);

    refresh_ = new QTimer(this);
    refresh_->setInterval(kRefreshMs);
    connect(refresh_, &QTimer::timeout, this, &SimulatedMachinePanel::refresh);
    retranslate();
    refresh();
}

QWidget* SimulatedMachinePanel::buildButtons() {
    buttonsGroup_ = new QGroupBox;
    start_ = pushButton(sim::Button::Start, "simStart");
    stop_ = pushButton(sim::Button::Stop, "simStop");
    headHome_ = pushButton(sim::Button::HReturnOrigin, "simHeadHome");
    manualCut_ = pushButton(sim::Button::ForfexManual, "simManualCut");
    // The mushroom button stays in once pressed, until it is released.
    emergencyStop_ = new QPushButton;
    emergencyStop_->setObjectName(QStringLiteral("simEmergencyStop"));
    emergencyStop_->setCheckable(true);
    emergencyStop_->setStyleSheet(
        QStringLiteral("QPushButton { color: white; background-color: #c62828; font-weight: bold; }"
                       "QPushButton:checked { background-color: #6d0000; }"));
    connect(emergencyStop_, &QPushButton::clicked, this, [this] {
        machine().pressButton(sim::Button::EmergencyStop);
        emergencyStop_->setChecked(true);
    });
    release_ = new QPushButton;
    release_->setObjectName(QStringLiteral("simReleaseEmergencyStop"));
    connect(release_, &QPushButton::clicked, this, [this] {
        machine().releaseButton(sim::Button::EmergencyStop);
        emergencyStop_->setChecked(false);
    });

    lampsGroup_ = new QGroupBox;
    auto* lamps = new QGridLayout(lampsGroup_);
    const std::array<QColor, 4> colours{QColor(230, 40, 30), QColor(250, 200, 20),
                                        QColor(40, 200, 60), QColor(70, 140, 255)};
    for (size_t i = 0; i < lamps_.size(); ++i) {
        lamps_[i] = new Lamp(colours[i]);
        lampCaptions_[i] = new QLabel;
        lamps->addWidget(lamps_[i], 0, static_cast<int>(i), Qt::AlignHCenter);
        lamps->addWidget(lampCaptions_[i], 1, static_cast<int>(i), Qt::AlignHCenter);
    }

    auto* grid = new QGridLayout(buttonsGroup_);
    grid->addWidget(start_, 0, 0);
    grid->addWidget(stop_, 0, 1);
    grid->addWidget(emergencyStop_, 1, 0);
    grid->addWidget(release_, 1, 1);
    grid->addWidget(headHome_, 2, 0);
    grid->addWidget(manualCut_, 2, 1);
    grid->addWidget(lampsGroup_, 3, 0, 1, 2);
    return buttonsGroup_;
}

QWidget* SimulatedMachinePanel::buildLine() {
    lineGroup_ = new QGroupBox;
    doorClosed_ = new QCheckBox;
    doorClosed_->setObjectName(QStringLiteral("simSafeDoorClosed"));
    connect(doorClosed_, &QCheckBox::toggled, this,
            [](bool closed) { machine().setSafeDoorClosed(closed); });
    nextAsking_ = new QCheckBox;
    nextAsking_->setObjectName(QStringLiteral("simNextMachineAsking"));
    connect(nextAsking_, &QCheckBox::toggled, this,
            [](bool on) { machine().setNextMachineAsking(on); });
    previousSupplying_ = new QCheckBox;
    previousSupplying_->setObjectName(QStringLiteral("simPreviousMachineSupplying"));
    connect(previousSupplying_, &QCheckBox::toggled, this,
            [](bool on) { machine().setPreviousMachineSupplying(on); });
    boardsCaption_ = new QLabel;
    boards_ = valueLabel();
    boards_->setObjectName(QStringLiteral("simBoards"));
    leadFailureCaption_ = new QLabel;
    leadFailure_ = new QDoubleSpinBox;
    leadFailure_->setObjectName(QStringLiteral("simLeadFailure"));
    leadFailure_->setRange(0.0, 100.0);
    leadFailure_->setDecimals(1);
    leadFailure_->setSingleStep(1.0);
    leadFailure_->setSuffix(QStringLiteral(" %"));
    connect(leadFailure_, &QDoubleSpinBox::valueChanged, this,
            [](double percent) { machine().setLeadFailureRate(percent / 100.0); });

    auto* grid = new QGridLayout(lineGroup_);
    grid->addWidget(doorClosed_, 0, 0, 1, 2);
    grid->addWidget(previousSupplying_, 1, 0, 1, 2);
    grid->addWidget(nextAsking_, 2, 0, 1, 2);
    grid->addWidget(boardsCaption_, 3, 0);
    grid->addWidget(boards_, 3, 1);
    grid->addWidget(leadFailureCaption_, 4, 0);
    grid->addWidget(leadFailure_, 4, 1);
    return lineGroup_;
}

QWidget* SimulatedMachinePanel::buildFeeders() {
    feedersGroup_ = new QGroupBox;
    auto* grid = new QGridLayout(feedersGroup_);
    grid->setVerticalSpacing(1);
    for (int s = 1; s <= kStations; ++s) {
        Feeder& f = feeders_[s - 1];
        f.caption = new QLabel;
        f.parts = valueLabel();
        f.parts->setObjectName(QStringLiteral("simFeederParts%1").arg(s));
        f.parts->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        f.parts->setMinimumWidth(
            f.parts->fontMetrics().horizontalAdvance(QStringLiteral("0000000")));
        f.empty = new QPushButton;
        f.empty->setObjectName(QStringLiteral("simEmptyFeeder%1").arg(s));
        f.refill = new QPushButton;
        f.refill->setObjectName(QStringLiteral("simRefillFeeder%1").arg(s));
        connect(f.empty, &QPushButton::clicked, this, [this, s] {
            machine().setFeederParts(s, 0);
            refresh();
        });
        connect(f.refill, &QPushButton::clicked, this, [this, s] {
            machine().setFeederParts(s, machine().config().chain.feederParts[s - 1]);
            refresh();
        });
        grid->addWidget(f.caption, s - 1, 0);
        grid->addWidget(f.parts, s - 1, 1);
        grid->addWidget(f.empty, s - 1, 2);
        grid->addWidget(f.refill, s - 1, 3);
    }
    return feedersGroup_;
}

QWidget* SimulatedMachinePanel::buildCylinders() {
    cylindersGroup_ = new QGroupBox;
    auto* grid = new QGridLayout(cylindersGroup_);
    grid->setVerticalSpacing(1);
    for (int c = 0; c < kCylinders; ++c) {
        auto* box = new QCheckBox;
        box->setObjectName(QStringLiteral("simCylinderJammed%1").arg(c));
        connect(box, &QCheckBox::toggled, this, [c](bool jammed) {
            machine().setCylinderJammed(static_cast<sim::Cylinder>(c), jammed);
        });
        cylinders_[c] = box;
        grid->addWidget(box, c / 2, c % 2);
    }
    return cylindersGroup_;
}

void SimulatedMachinePanel::retranslate() {
    setWindowTitle(uiText("Simulated machine", "模拟机器"));
    buttonsGroup_->setTitle(uiText("Push buttons", "按钮"));
    start_->setText(uiText("Start", "启动"));
    stop_->setText(uiText("Stop", "停止"));
    emergencyStop_->setText(uiText("Em-Stop", "急停"));
    release_->setText(uiText("Release Em-Stop", "松开急停"));
    headHome_->setText(uiText("H-Return-Origin", "H轴回原点"));
    manualCut_->setText(uiText("Forfex-Manual", "手动剪脚"));
    lampsGroup_->setTitle(uiText("Tower lamps", "三色灯"));
    const std::array<Caption, 4> lampNames{
        {{"Red", "红"}, {"Yellow", "黄"}, {"Green", "绿"}, {"Buzzer", "蜂鸣器"}}};
    for (size_t i = 0; i < lampCaptions_.size(); ++i)
        lampCaptions_[i]->setText(uiText(lampNames[i].english, lampNames[i].chinese));
    lineGroup_->setTitle(uiText("The line", "生产线"));
    doorClosed_->setText(uiText("Safe door closed", "安全门关闭"));
    previousSupplying_->setText(uiText("Previous machine supplies boards", "前机供板"));
    nextAsking_->setText(uiText("Next machine asks for boards", "后机要板"));
    boardsCaption_->setText(uiText("Boards in / out:", "进板 / 出板:"));
    leadFailureCaption_->setText(uiText("Leads not seen:", "引脚未检测到:"));
    feedersGroup_->setTitle(uiText("Feeders (parts)", "送料器（元件数）"));
    for (int s = 1; s <= kStations; ++s) {
        Feeder& f = feeders_[s - 1];
        f.caption->setText(uiText("Station ", "站位 ") + QString::number(s));
        f.empty->setText(uiText("Empty", "清空"));
        f.refill->setText(uiText("Refill", "补满"));
    }
    cylindersGroup_->setTitle(uiText("Jammed cylinders", "卡住的气缸"));
    for (int c = 0; c < kCylinders; ++c)
        cylinders_[c]->setText(uiText(kCylinderNames[c].english, kCylinderNames[c].chinese));
}

void SimulatedMachinePanel::refresh() {
    SimulatedMachine& m = machine();
    lamps_[0]->setLit(m.outputOn(sim::Output::RedLight));
    lamps_[1]->setLit(m.outputOn(sim::Output::YellowLight));
    lamps_[2]->setLit(m.outputOn(sim::Output::GreenLight));
    lamps_[3]->setLit(m.outputOn(sim::Output::Buzzer));
    emergencyStop_->setChecked(m.buttonPressed(sim::Button::EmergencyStop));
    auto show = [](QCheckBox* box, bool on) {
        const QSignalBlocker quiet(box);
        box->setChecked(on);
    };
    show(doorClosed_, m.safeDoorClosed());
    show(nextAsking_, m.nextMachineAsking());
    show(previousSupplying_, m.previousMachineSupplying());
    const sim::MachineCounters counters = m.counters();
    boards_->setText(
        QStringLiteral("%1 / %2").arg(counters.boardsArrived).arg(counters.boardsDelivered));
    if (!leadFailure_->hasFocus()) {
        const QSignalBlocker quiet(leadFailure_);
        leadFailure_->setValue(m.leadFailureRate() * 100.0);
    }
    for (int s = 1; s <= kStations; ++s) {
        const QString parts = QString::number(m.feederParts(s));
        if (feeders_[s - 1].parts->text() != parts)
            feeders_[s - 1].parts->setText(parts);
    }
    for (int c = 0; c < kCylinders; ++c)
        show(cylinders_[c], m.cylinderJammed(static_cast<sim::Cylinder>(c)));
}

void SimulatedMachinePanel::showEvent(QShowEvent* event) {
    QDockWidget::showEvent(event);
    refresh();
    refresh_->start();
}

void SimulatedMachinePanel::hideEvent(QHideEvent* event) {
    refresh_->stop();
    QDockWidget::hideEvent(event);
}

}  // namespace corvane::app
