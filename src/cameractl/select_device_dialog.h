// "Select Device": the modal list of the host's adapters, one line each.
#pragma once

#include <QDialog>
#include <QStringList>

#include "cameractl/ostrelctl_export.h"

class QListWidget;
class QPushButton;

namespace ostrelctl {

class OSTRELCTL_API SelectDeviceDialog : public QDialog {
  public:
    SelectDeviceDialog(const QStringList& descriptions, int current, QWidget* parent = nullptr);

    // The line chosen with OK (its position is the device index).
    int chosenIndex() const { return chosen_; }
    // The index the dialog was opened on: Cancel starts it again.
    int currentIndex() const { return current_; }
    QListWidget* list() const { return list_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

  private:
    void ok();

    QListWidget* list_;
    QPushButton* ok_;
    QPushButton* cancel_;
    int current_;
    int chosen_ = -1;
};

}  // namespace ostrelctl
