// "Additional function selection": the material-number verification switch
// (and the automatic feeding switch, kept hidden as on the machine).
#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace corvane::screens {

class AdditionalFunctionsDialog : public QDialog {
    Q_OBJECT

  public:
    explicit AdditionalFunctionsDialog(QWidget* parent = nullptr);
    void retranslate();

    // OK stores the switch in the machine parameters.
    void accept() override;

  private:
    QCheckBox* verification_;
    QCheckBox* autoFeed_;
    QPushButton* ok_;
};

// The menu command (the caller lets it run only while the machine is
// stopped): the password first, then the dialog. Returns whether the
// material-number verification switch changed, so the program list views
// rebuild their columns.
bool runAdditionalFunctionSelection(QWidget* parent);

}  // namespace corvane::screens
