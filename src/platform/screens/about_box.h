// The about box of the machine program ("Aboat.." in the menu).
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace corvane::screens {

class AboutBox : public QDialog {
    Q_OBJECT

  public:
    explicit AboutBox(QWidget* parent = nullptr);
    // Every caption in the current display language.
    void retranslate();

  private:
    QLabel* name_;
    QLabel* purpose_;
    QLabel* version_;
    QLabel* toolkit_;
    QLabel* simulated_;
    QPushButton* ok_;
};

// Opens the about box modally.
void showAboutBox(QWidget* parent);

}  // namespace corvane::screens
