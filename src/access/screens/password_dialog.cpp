// Password dialogs over the password store.
#include "access/screens/password_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "access/password_store.h"
#include "platform/screens/language_events.h"
#include "platform/screens/screen_text.h"

namespace corvane::screens {

namespace {

QLineEdit* passwordField() {
    auto* field = new QLineEdit;
    field->setEchoMode(QLineEdit::Password);
    field->setObjectName("password");
    return field;
}

}  // namespace

PasswordDialog::PasswordDialog(QWidget* parent) : QDialog(parent) {
    prompt_ = new QLabel;
    password_ = passwordField();
    note_ = new QLabel;
    note_->setWordWrap(true);
    ensure_ = new QPushButton;
    ensure_->setDefault(true);
    change_ = new QPushButton;
    change_->setAutoDefault(false);
    connect(ensure_, &QPushButton::clicked, this, &PasswordDialog::ensure);
    connect(change_, &QPushButton::clicked, this, &PasswordDialog::change);

    auto* field = new QHBoxLayout;
    field->addWidget(prompt_);
    field->addWidget(password_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ensure_);
    buttons->addWidget(change_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(field);
    layout->addWidget(note_);
    layout->addLayout(buttons);
    setMinimumWidth(380);
    retranslate();
    followLanguage(this);
    password_->setFocus();
}

void PasswordDialog::retranslate() {
    setWindowTitle(uiText("Password", "密码"));
    prompt_->setText(uiText("Password:", "密码:"));
    note_->setText(uiText(passwordLengthNote()));
    ensure_->setText(uiText("Ensure", "确定"));
    change_->setText(uiText("Change", "修改"));
}

void PasswordDialog::ensure() {
    // A wrong password shows its message and the dialog stays open.
    if (ensurePassword(coreText(password_->text())))
        accept();
    else
        password_->selectAll();
}

void PasswordDialog::change() {
    // Hiding a dialog ends its modal run; exec() runs the change dialog and
    // then shows this one again.
    changeRequested_ = true;
    hide();
}

int PasswordDialog::exec() {
    for (;;) {
        password_->setFocus();
        const int result = QDialog::exec();
        if (!changeRequested_)
            return result;
        changeRequested_ = false;
        ChangePasswordDialog dialog(parentWidget());
        dialog.exec();
    }
}

bool PasswordDialog::ask(QWidget* parent) {
    PasswordDialog dialog(parent);
    return dialog.exec() == QDialog::Accepted;
}

ChangePasswordDialog::ChangePasswordDialog(QWidget* parent) : QDialog(parent) {
    oldLabel_ = new QLabel;
    oldPassword_ = passwordField();
    oldPassword_->setObjectName("oldPassword");
    newLabel_ = new QLabel;
    newPassword_ = passwordField();
    newPassword_->setObjectName("newPassword");
    change_ = new QPushButton;
    change_->setDefault(true);
    restore_ = new QPushButton;
    restore_->setAutoDefault(false);
    connect(change_, &QPushButton::clicked, this, &ChangePasswordDialog::change);
    connect(restore_, &QPushButton::clicked, this, &ChangePasswordDialog::restore);

    auto* fields = new QGridLayout;
    fields->addWidget(oldLabel_, 0, 0);
    fields->addWidget(oldPassword_, 0, 1);
    fields->addWidget(newLabel_, 1, 0);
    fields->addWidget(newPassword_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(change_);
    buttons->addWidget(restore_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    setMinimumWidth(380);
    retranslate();
    followLanguage(this);
    oldPassword_->setFocus();
}

void ChangePasswordDialog::retranslate() {
    setWindowTitle(uiText("Change password", "修改密码"));
    oldLabel_->setText(uiText("Old password:", "旧密码:"));
    newLabel_->setText(uiText("New password:", "新密码:"));
    change_->setText(uiText("Change", "修改"));
    restore_->setText(uiText("Restore password", "恢复密码"));
}

void ChangePasswordDialog::change() {
    if (submitPasswordChange(coreText(oldPassword_->text()), coreText(newPassword_->text())))
        accept();
}

void ChangePasswordDialog::restore() {
    if (submitPasswordRestore())
        accept();
}

}  // namespace corvane::screens
