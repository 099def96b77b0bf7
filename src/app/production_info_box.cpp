// The production information box.
#include "app/production_info_box.h"

#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/console_view.h"
#include "platform/screens/screen_text.h"

namespace corvane::app {

using screens::uiText;

namespace {

QLineEdit* valueField(const char* objectName) {
    auto* field = new QLineEdit;
    field->setObjectName(QString::fromLatin1(objectName));
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    return field;
}

void setIfChanged(QLineEdit* field, const QString& text) {
    if (field->text() != text)
        field->setText(text);
}

}  // namespace

ProductionInfoBox::ProductionInfoBox(QWidget* parent) : QGroupBox(parent) {
    setObjectName(QStringLiteral("productionInfo"));
    programNameCaption_ = new QLabel;
    ppmCaption_ = new QLabel;
    realSpeedCaption_ = new QLabel;
    averageSpeedCaption_ = new QLabel;
    completeCaption_ = new QLabel;
    plannedCaption_ = new QLabel;
    hoursCaption_ = new QLabel;
    hoursUnit_ = new QLabel;
    programName_ = valueField("programName");
    ppm_ = valueField("ppm");
    realSpeed_ = valueField("realSpeed");
    averageSpeed_ = valueField("averageSpeed");
    complete_ = valueField("completeCounter");
    hours_ = valueField("plannedHours");
    planned_ = new QLineEdit;
    planned_->setObjectName(QStringLiteral("plannedCount"));
    planned_->setValidator(new QIntValidator(-999999, 9999999, planned_));
    planned_->setEnabled(false);
    planned_->setMinimumWidth(planned_->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) +
                              12);
    modify_ = new QPushButton;
    modify_->setObjectName(QStringLiteral("modifyPlannedCount"));

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    grid->addWidget(programNameCaption_, 0, 0);
    grid->addWidget(programName_, 0, 1, 1, 3);
    grid->addWidget(ppmCaption_, 1, 0);
    grid->addWidget(ppm_, 1, 1);
    grid->addWidget(completeCaption_, 1, 2);
    grid->addWidget(complete_, 1, 3);
    grid->addWidget(realSpeedCaption_, 2, 0);
    grid->addWidget(realSpeed_, 2, 1);
    grid->addWidget(averageSpeedCaption_, 2, 2);
    grid->addWidget(averageSpeed_, 2, 3);
    grid->addWidget(plannedCaption_, 3, 0);
    auto* plannedRow = new QHBoxLayout;
    plannedRow->addWidget(planned_, 1);
    plannedRow->addWidget(modify_);
    grid->addLayout(plannedRow, 3, 1);
    grid->addWidget(hoursCaption_, 3, 2);
    auto* hoursRow = new QHBoxLayout;
    hoursRow->addWidget(hours_, 1);
    hoursRow->addWidget(hoursUnit_);
    grid->addLayout(hoursRow, 3, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    connect(modify_, &QPushButton::clicked, this, &ProductionInfoBox::modifyClicked);
    connect(planned_, &QLineEdit::returnPressed, this, [this] {
        if (editing_)
            modifyClicked();
    });
    retranslate();
}

void ProductionInfoBox::retranslate() {
    setTitle(uiText("Information Of Production", "生产信息"));
    programNameCaption_->setText(uiText("Program Name:", "程序名称:"));
    ppmCaption_->setText(uiText("PPM:", "良率:"));
    realSpeedCaption_->setText(uiText("Real speed:", "实际速度:"));
    averageSpeedCaption_->setText(uiText("Average speed:", "平均速度:"));
    completeCaption_->setText(uiText("Counter of complete:", "完成计数:"));
    plannedCaption_->setText(uiText("Planned count:", "计划数量:"));
    hoursCaption_->setText(uiText("Planned time:", "计划时间:"));
    hoursUnit_->setText(uiText("Hours", "小时"));
    showModifyCaption();
}

void ProductionInfoBox::showModifyCaption() {
    modify_->setText(editing_ ? uiText("Sure", "确认") : uiText("Modify", "修改"));
}

void ProductionInfoBox::showProgramName(const QString& path) {
    setIfChanged(programName_, path);
    programName_->setCursorPosition(0);
}

void ProductionInfoBox::showView(const ConsoleView& view) {
    setIfChanged(ppm_, uiText(view.ppm));
    setIfChanged(realSpeed_, uiText(view.realSpeed));
    setIfChanged(averageSpeed_, uiText(view.averageSpeed));
    setIfChanged(complete_, uiText(view.completeCounter));
    if (!view.plannedCountEnabled && editing_) {
        // A Start while the count was being typed: the edit is dropped.
        editing_ = false;
        planned_->setEnabled(false);
        planned_->setText(QString::number(shownBoards_));
        showModifyCaption();
    }
    modify_->setEnabled(view.plannedCountEnabled);
}

void ProductionInfoBox::showPlan(int boards, double hours) {
    shownBoards_ = boards;
    if (!editing_)
        setIfChanged(planned_, QString::number(boards));
    setIfChanged(hours_, QString::number(hours, 'f', 1));
}

void ProductionInfoBox::modifyClicked() {
    if (!editing_) {
        editing_ = true;
        planned_->setEnabled(true);
        planned_->setFocus();
        planned_->selectAll();
        showModifyCaption();
        return;
    }
    editing_ = false;
    planned_->setEnabled(false);
    showModifyCaption();
    emit plannedCountEntered(planned_->text().toInt());
}

}  // namespace corvane::app
