// Lead lamps and switches.
#include "app/machine_switches.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

#include "app/lamp.h"
#include "platform/screens/screen_text.h"

namespace corvane::app {

using screens::uiText;

namespace {

// Each switch sits in a frame of its own, as on the machine's panel.
QCheckBox* framedSwitch(QGridLayout* into, int row, int column, const char* objectName) {
    auto* frame = new QFrame;
    frame->setFrameShape(QFrame::StyledPanel);
    auto* box = new QCheckBox;
    box->setObjectName(QString::fromLatin1(objectName));
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(box);
    into->addWidget(frame, row, column);
    return box;
}

}  // namespace

MachineSwitches::MachineSwitches(QWidget* parent) : QWidget(parent) {
    shearHorn_ = new QGroupBox;
    shearHorn_->setObjectName(QStringLiteral("shearHorn"));
    left_ = new Lamp(QColor(40, 200, 60));
    left_->setObjectName(QStringLiteral("leftLeadLamp"));
    right_ = new Lamp(QColor(40, 200, 60));
    right_->setObjectName(QStringLiteral("rightLeadLamp"));
    leftCaption_ = new QLabel;
    rightCaption_ = new QLabel;
    auto* lamps = new QGridLayout(shearHorn_);
    lamps->setVerticalSpacing(2);
    lamps->addWidget(left_, 0, 0, Qt::AlignHCenter | Qt::AlignBottom);
    lamps->addWidget(right_, 0, 1, Qt::AlignHCenter | Qt::AlignBottom);
    lamps->addWidget(leftCaption_, 1, 0, Qt::AlignHCenter | Qt::AlignTop);
    lamps->addWidget(rightCaption_, 1, 1, Qt::AlignHCenter | Qt::AlignTop);

    auto* switches = new QGridLayout;
    switches->setSpacing(3);
    endFeed_ = framedSwitch(switches, 0, 0, "endFeed");
    workdeskLamp_ = framedSwitch(switches, 0, 1, "workdeskLamp");
    safeDoor_ = framedSwitch(switches, 1, 0, "safeDoor");
    buzzer_ = framedSwitch(switches, 1, 1, "buzzer");

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(shearHorn_);
    layout->addLayout(switches, 1);
    retranslate();
}

void MachineSwitches::retranslate() {
    shearHorn_->setTitle(uiText("Shear horn", "剪脚感应"));
    leftCaption_->setText(uiText("Left", "左"));
    rightCaption_->setText(uiText("Right", "右"));
    endFeed_->setText(uiText("End-feed", "结束进板"));
    workdeskLamp_->setText(uiText("Workdesk-lamp", "工作台照明"));
    safeDoor_->setText(uiText("SafeDoor", "安全门"));
    buzzer_->setText(uiText("Buzzer", "蜂鸣器"));
}

void MachineSwitches::showLeadLamps(bool left, bool right) {
    left_->setLit(left);
    right_->setLit(right);
}

}  // namespace corvane::app
