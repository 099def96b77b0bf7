// The statistics screen over the statistics record.
#include "stats/screens/statistics_dialog.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLineEdit>
#include <QPieSeries>
#include <QPieSlice>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>

#include "platform/screens/language_events.h"
#include "platform/screens/screen_text.h"
#include "platform/number_text.h"
#include "stats/statistics_report.h"

namespace corvane::screens {

namespace {

QChartView* pieView(QPieSeries* series, QColor first, QColor second) {
    series->append(QString(), 0.0)->setColor(first);
    series->append(QString(), 1.0)->setColor(second);
    series->setPieSize(0.75);
    auto* chart = new QChart;
    chart->addSeries(series);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setBackgroundRoundness(0);
    auto* view = new QChartView(chart);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(300, 280);
    return view;
}

// A slice shows a share of the whole, so a rate beyond 0..1 (more inserts
// than planned, slower than planned) is drawn full or empty; the label keeps
// the real figure.
void setPie(QPieSeries& series, double rate, const StatisticsLine& first,
            const StatisticsLine& second) {
    const double share = std::clamp(rate, 0.0, 1.0);
    series.slices()[0]->setValue(share);
    series.slices()[0]->setLabel(uiText(first.caption + " " + first.value));
    series.slices()[1]->setValue(1.0 - share);
    series.slices()[1]->setLabel(uiText(second.caption + " " + second.value));
}

QLabel* valueLabel() {
    auto* label = new QLabel;
    label->setProperty(kValueProperty, true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setMinimumWidth(190);
    return label;
}

}  // namespace

StatisticsDialog::StatisticsDialog(ProductionStatistics& statistics, QWidget* parent)
    : QDialog(parent), statistics_(statistics) {
    auto* lines = new QGridLayout;
    lines->setHorizontalSpacing(12);
    lines->setVerticalSpacing(3);
    for (int i = 0; i < kLineCompletion; ++i) {
        captions_[static_cast<size_t>(i)] = new QLabel;
        values_[static_cast<size_t>(i)] = valueLabel();
        lines->addWidget(captions_[static_cast<size_t>(i)], i, 0);
        lines->addWidget(values_[static_cast<size_t>(i)], i, 1);
    }
    systemTimeCaption_ = new QLabel;
    systemTime_ = valueLabel();
    lines->addWidget(systemTimeCaption_, kLineCompletion, 0);
    lines->addWidget(systemTime_, kLineCompletion, 1);
    lines->setRowStretch(kLineCompletion + 1, 1);

    completion_ = new QPieSeries;
    utilization_ = new QPieSeries;
    auto* pies = new QVBoxLayout;
    pies->addWidget(pieView(completion_, QColor(0xd0, 0x20, 0x20), QColor(0x20, 0xa0, 0x40)), 1);
    pies->addWidget(pieView(utilization_, QColor(0x20, 0x50, 0xc0), QColor(0xb0, 0xb0, 0xb0)), 1);

    recordCaption_ = new QLabel;
    records_ = new QComboBox;
    records_->setMinimumWidth(300);
    connect(records_, &QComboBox::activated, this, &StatisticsDialog::showRecord);
    splices_ = new QLineEdit;
    splices_->setObjectName("splices");
    splices_->setMaximumWidth(70);
    splicesButton_ = new QPushButton;
    localSave_ = new QPushButton;
    removableSave_ = new QPushButton;
    zeroClearing_ = new QPushButton;
    exit_ = new QPushButton;
    for (QPushButton* button : {splicesButton_, localSave_, removableSave_, zeroClearing_, exit_})
        button->setAutoDefault(false);
    connect(splicesButton_, &QPushButton::clicked, this, &StatisticsDialog::applySplices);
    connect(localSave_, &QPushButton::clicked, this, &StatisticsDialog::localSave);
    connect(removableSave_, &QPushButton::clicked, this, &StatisticsDialog::removableSave);
    connect(zeroClearing_, &QPushButton::clicked, this, &StatisticsDialog::zeroClearing);
    connect(exit_, &QPushButton::clicked, this, &QDialog::accept);

    auto* recordRow = new QHBoxLayout;
    recordRow->addWidget(recordCaption_);
    recordRow->addWidget(records_, 1);
    auto* left = new QVBoxLayout;
    left->addLayout(recordRow);
    left->addLayout(lines, 1);
    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addSpacing(8);
    top->addLayout(pies, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(splices_);
    buttons->addWidget(splicesButton_);
    buttons->addStretch(1);
    buttons->addWidget(localSave_);
    buttons->addWidget(removableSave_);
    buttons->addWidget(zeroClearing_);
    buttons->addWidget(exit_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    resize(1000, 700);

    clock_ = new QTimer(this);
    clock_->setInterval(1000);
    connect(clock_, &QTimer::timeout, this, &StatisticsDialog::refresh);

    splices_->setText(uiText(formatInt(statistics_.Current().splicesPerBoard)));
    fillHistory();
    retranslate();
    followLanguage(this);
}

void StatisticsDialog::retranslate() {
    setWindowTitle(uiText("Statistical Information", "统计信息"));
    const auto lines = statisticsLines(StatisticsRecord{});
    for (int i = 0; i < kLineCompletion; ++i)
        captions_[static_cast<size_t>(i)]->setText(uiText(lines[static_cast<size_t>(i)].caption));
    systemTimeCaption_->setText(uiText("System time", "系统时间"));
    recordCaption_->setText(uiText("Record", "记录"));
    splicesButton_->setText(uiText("Set spellings", "设置拼板数"));
    localSave_->setText(uiText("Local Save", "本地保存"));
    removableSave_->setText(uiText("U disk save", "U盘保存"));
    zeroClearing_->setText(uiText("Zero clearing", "清零"));
    exit_->setText(uiText("Exit", "退出"));
    completion_->chart()->setTitle(uiText("Completion of the plan", "计划完成情况"));
    utilization_->chart()->setTitle(uiText("Utilization of the planned time", "计划时间稼动情况"));
    fillHistory();
    showValues();
}

int StatisticsDialog::shownEntry() const {
    return std::max(records_->currentIndex(), 0);
}

StatisticsRecord StatisticsDialog::shownRecord() const {
    const int entry = shownEntry();
    if (entry > 0) {
        const auto history = statistics_.History();
        if (entry <= static_cast<int>(history.size()))
            return history[static_cast<size_t>(entry - 1)].record;
    }
    return statistics_.Current();
}

void StatisticsDialog::fillHistory() {
    const auto history = statistics_.History();
    const int shown = shownEntry();
    const QSignalBlocker blocker(records_);
    records_->clear();
    records_->addItem(uiText("Current record", "当前记录"));
    for (size_t i = 0; i < history.size(); ++i) {
        records_->addItem(uiText("Record ", "记录 ") + QString::number(i + 1) + ": " +
                          uiText(formatCalendarTime(history[i].record.startTime)));
    }
    records_->setCurrentIndex(std::min(shown, records_->count() - 1));
}

void StatisticsDialog::showRecord(int entry) {
    {
        const QSignalBlocker blocker(records_);
        records_->setCurrentIndex(std::clamp(entry, 0, records_->count() - 1));
    }
    showValues();
}

void StatisticsDialog::showValues() {
    const StatisticsRecord record = shownRecord();
    const auto lines = statisticsLines(record);
    for (int i = 0; i < kLineCompletion; ++i)
        values_[static_cast<size_t>(i)]->setText(uiText(lines[static_cast<size_t>(i)].value));
    setPie(*completion_, record.completion(), lines[kLineCompletion], lines[kLineUncompleted]);
    setPie(*utilization_, record.utilizationRate(), lines[kLineUtilization],
           lines[kLineDifference]);
    systemTime_->setText(uiText(formatCalendarTime(std::time(nullptr))));
}

void StatisticsDialog::refresh() {
    // Records close behind the screen (a program opened, the end of a run):
    // the list follows the history.
    if (records_->count() != static_cast<int>(statistics_.History().size()) + 1)
        fillHistory();
    showValues();
}

void StatisticsDialog::showEvent(QShowEvent* event) {
    refresh();
    clock_->start();
    QDialog::showEvent(event);
}

void StatisticsDialog::hideEvent(QHideEvent* event) {
    clock_->stop();
    QDialog::hideEvent(event);
}

void StatisticsDialog::localSave() {
    saveStatisticsLocally(shownRecord(), std::time(nullptr));
}

void StatisticsDialog::removableSave() {
    saveStatisticsToRemovableDrive(shownRecord(), std::time(nullptr));
}

void StatisticsDialog::zeroClearing() {
    statistics_.CloseRecord();
    fillHistory();
    showRecord(0);
}

void StatisticsDialog::applySplices() {
    statistics_.SetSplices(splicesFromText(coreText(splices_->text())));
    splices_->setText(uiText(formatInt(statistics_.Current().splicesPerBoard)));
    showRecord(0);
}

}  // namespace corvane::screens
