// The machine state box.
#include "app/machine_state_box.h"

#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>

#include "app/console_view.h"
#include "platform/screens/screen_text.h"

namespace corvane::app {

using screens::uiText;

MachineStateBox::MachineStateBox(QWidget* parent) : QGroupBox(parent) {
    setObjectName(QStringLiteral("machineStateBox"));
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("statusLine"));
    status_->setProperty(screens::kValueProperty, true);
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont font = status_->font();
    font.setPointSizeF(font.pointSizeF() * 1.15);
    font.setBold(true);
    status_->setFont(font);
    // Two lines, so a long station error does not move the window's layout.
    status_->setMinimumHeight(QFontMetrics(font).lineSpacing() * 2 + 4);
    status_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QSizePolicy keep = status_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    status_->setSizePolicy(keep);

    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("resetProgress"));
    progress_->setRange(0, 100);
    progressCaption_ = new QLabel;
    progressCaption_->setObjectName(QStringLiteral("resetProgressCaption"));
    for (QWidget* w : {static_cast<QWidget*>(progress_), static_cast<QWidget*>(progressCaption_)}) {
        QSizePolicy p = w->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        w->setSizePolicy(p);
        w->hide();
    }

    auto* grid = new QGridLayout(this);
    grid->setVerticalSpacing(2);
    grid->addWidget(status_, 0, 0, 1, 2);
    grid->addWidget(progressCaption_, 1, 0);
    grid->addWidget(progress_, 1, 1);
    grid->setColumnStretch(1, 1);
    retranslate();
}

void MachineStateBox::retranslate() {
    setTitle(uiText("Information Of The Machine State", "机器状态信息"));
    progressCaption_->setText(uiText("Resetting:", "复位进度:"));
}

void MachineStateBox::showView(const ConsoleView& view, bool alarm) {
    const QString text = uiText(view.status);
    if (status_->text() != text)
        status_->setText(text);
    if (alarm != alarmShown_) {
        alarmShown_ = alarm;
        status_->setStyleSheet(alarm ? QStringLiteral("color: #c62828;") : QString());
    }
    status_->setVisible(view.statusVisible);
    progress_->setVisible(view.resetRunning);
    progressCaption_->setVisible(view.resetRunning);
    if (progress_->value() != view.resetProgress)
        progress_->setValue(view.resetProgress);
}

}  // namespace corvane::app
