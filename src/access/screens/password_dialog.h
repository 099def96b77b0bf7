// The password dialog that guards the motor test screen, the additional
// function selection and the batch number switch, and the dialog that
// changes or restores the password.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane::screens {

class PasswordDialog : public QDialog {
    Q_OBJECT

  public:
    explicit PasswordDialog(QWidget* parent = nullptr);
    void retranslate();

    // Runs the dialog modally: true when the right password was given.
    static bool ask(QWidget* parent);
    // "Change" leaves the dialog for the change dialog and comes back to it,
    // so the modal run goes on around that.
    int exec() override;

  private:
    void ensure();
    void change();

    QLabel* prompt_;
    QLineEdit* password_;
    QLabel* note_;
    QPushButton* ensure_;
    QPushButton* change_;
    bool changeRequested_ = false;
};

class ChangePasswordDialog : public QDialog {
    Q_OBJECT

  public:
    explicit ChangePasswordDialog(QWidget* parent = nullptr);
    void retranslate();

  private:
    void change();
    void restore();

    QLabel* oldLabel_;
    QLineEdit* oldPassword_;
    QLabel* newLabel_;
    QLineEdit* newPassword_;
    QPushButton* change_;
    QPushButton* restore_;
};

}  // namespace corvane::screens
