// About box: what the program is, its version and what it was built with.
#include "platform/screens/about_box.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/screens/language_events.h"
#include "platform/screens/screen_text.h"

#ifndef CORVANE_VERSION
#define CORVANE_VERSION "0"
#endif

namespace corvane::screens {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    name_ = new QLabel;
    QFont big = name_->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name_->setFont(big);
    purpose_ = new QLabel;
    purpose_->setWordWrap(true);
    version_ = new QLabel;
    toolkit_ = new QLabel;
    simulated_ = new QLabel;
    simulated_->setWordWrap(true);
    auto* buttons = new QDialogButtonBox;
    ok_ = buttons->addButton(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name_);
    layout->addWidget(purpose_);
    layout->addSpacing(8);
    layout->addWidget(version_);
    layout->addWidget(toolkit_);
    layout->addWidget(simulated_);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    setMinimumWidth(420);
    retranslate();
    followLanguage(this);
}

void AboutBox::retranslate() {
    setWindowTitle(uiText("About", "关于"));
    name_->setText(uiText("Corvane", "Corvane 插件机"));
    purpose_->setText(
        uiText("Control software of the automatic insertion machine for leaded components.",
               "自动插件机（引脚元件插装）控制软件。"));
    version_->setText(uiText("Version ", "版本 ") + QStringLiteral(CORVANE_VERSION));
    toolkit_->setText(uiText("Built with Qt ", "使用 Qt 构建，版本 ") +
                      QString::fromLatin1(qVersion()));
    simulated_->setText(
        uiText("Without motion cards the machine runs simulated, as on the production line.",
               "没有运动控制卡时，机器以模拟方式运行，与生产线上相同。"));
    ok_->setText(uiText("OK", "确定"));
}

void showAboutBox(QWidget* parent) {
    AboutBox box(parent);
    box.exec();
}

}  // namespace corvane::screens
