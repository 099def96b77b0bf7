// The additional function selection.
#include "program/screens/additional_functions_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "access/screens/password_dialog.h"
#include "machine/machine_parameters.h"
#include "platform/screens/language_events.h"
#include "platform/screens/screen_text.h"

namespace corvane::screens {

AdditionalFunctionsDialog::AdditionalFunctionsDialog(QWidget* parent) : QDialog(parent) {
    const MachineParameters& parameters = machineParameters();
    verification_ = new QCheckBox;
    verification_->setChecked(parameters.materialVerification != 0);
    // The automatic feeding switch exists but is not offered to the operator.
    autoFeed_ = new QCheckBox;
    autoFeed_->setChecked(parameters.autoFeedOnFailure != 0);
    autoFeed_->setEnabled(false);
    autoFeed_->hide();
    ok_ = new QPushButton;
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &AdditionalFunctionsDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(verification_);
    layout->addWidget(autoFeed_);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setMinimumWidth(360);
    retranslate();
    followLanguage(this);
}

void AdditionalFunctionsDialog::retranslate() {
    setWindowTitle(uiText("Additional function selection", "附加功能选择"));
    verification_->setText(uiText("Material Number Verification ", "物料编号验证"));
    autoFeed_->setText(uiText("Automatic feeding if failure", "自动补料"));
    ok_->setText(uiText("OK", "确定"));
}

void AdditionalFunctionsDialog::accept() {
    machineParameters().materialVerification = verification_->isChecked() ? 1 : 0;
    QDialog::accept();
}

bool runAdditionalFunctionSelection(QWidget* parent) {
    if (!PasswordDialog::ask(parent))
        return false;
    const int32_t before = machineParameters().materialVerification;
    AdditionalFunctionsDialog dialog(parent);
    dialog.exec();
    return machineParameters().materialVerification != before;
}

}  // namespace corvane::screens
