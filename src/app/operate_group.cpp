// The operation buttons.
#include "app/operate_group.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>

#include "app/console_view.h"
#include "app/lamp.h"
#include "platform/screens/screen_text.h"

namespace corvane::app {

using screens::uiText;

namespace {

QPushButton* operationButton(const char* objectName) {
    auto* button = new QPushButton;
    button->setObjectName(QString::fromLatin1(objectName));
    button->setMinimumHeight(button->fontMetrics().height() * 2 + 8);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

}  // namespace

OperateGroup::OperateGroup(QWidget* parent) : QGroupBox(parent) {
    setObjectName(QStringLiteral("operateGroup"));
    start_ = operationButton("startButton");
    stop_ = operationButton("stopButton");
    alarmReset_ = operationButton("alarmResetButton");
    emergencyStop_ = operationButton("emergencyStopButton");
    reset_ = operationButton("resetButton");
    QFont bold = emergencyStop_->font();
    bold.setBold(true);
    emergencyStop_->setFont(bold);
    emergencyStop_->setStyleSheet(
        QStringLiteral("QPushButton { color: white; background-color: #c62828; }"
                       "QPushButton:pressed { background-color: #8e0000; }"));

    red_ = new Lamp(QColor(230, 40, 30));
    yellow_ = new Lamp(QColor(250, 200, 20));
    green_ = new Lamp(QColor(40, 200, 60));
    auto* lamps = new QHBoxLayout;
    lamps->setSpacing(4);
    lamps->addStretch();
    lamps->addWidget(red_);
    lamps->addWidget(yellow_);
    lamps->addWidget(green_);
    lamps->addStretch();

    auto* grid = new QGridLayout(this);
    grid->addWidget(start_, 0, 0);
    grid->addWidget(stop_, 0, 1);
    grid->addWidget(alarmReset_, 0, 2);
    grid->addWidget(emergencyStop_, 1, 0);
    grid->addWidget(reset_, 1, 1);
    grid->addLayout(lamps, 1, 2);

    connect(start_, &QPushButton::clicked, this, &OperateGroup::startClicked);
    connect(stop_, &QPushButton::clicked, this, &OperateGroup::stopClicked);
    connect(alarmReset_, &QPushButton::clicked, this, &OperateGroup::alarmResetClicked);
    connect(emergencyStop_, &QPushButton::clicked, this, &OperateGroup::emergencyStopClicked);
    connect(reset_, &QPushButton::clicked, this, &OperateGroup::resetClicked);
    retranslate();
}

void OperateGroup::retranslate() {
    setTitle(uiText("Operate", "操作"));
    start_->setText(uiText("Start", "启动"));
    stop_->setText(uiText("Stop", "停止"));
    alarmReset_->setText(uiText("AlarmReset", "报警复位"));
    emergencyStop_->setText(uiText("Em-Stop", "急停"));
    reset_->setText(uiText("Reset", "复位"));
}

void OperateGroup::showView(const ConsoleView& view) {
    start_->setEnabled(view.startEnabled);
    stop_->setEnabled(view.stopEnabled);
    alarmReset_->setEnabled(view.alarmResetEnabled);
    reset_->setEnabled(view.resetEnabled);
    // The emergency stop is never refused.
    emergencyStop_->setEnabled(true);
}

void OperateGroup::showTowerLamps(bool red, bool yellow, bool green) {
    red_->setLit(red);
    yellow_->setLit(yellow);
    green_->setLit(green);
}

}  // namespace corvane::app
