// The "Read / Write" page: reads and writes single sensor registers.
#pragma once

#include <QDialog>

#include "camera/pages_module.h"
#include "camera/screens/bilingual.h"

class QLineEdit;
class QPushButton;
class QTimer;

namespace ostrel::pages {

class RegisterPage : public QDialog {
  public:
    RegisterPage(const PageDriver& driver, int device);

    // Shown: the receive thread keeps register replies for the page.
    void present();

    RegisterForm form() const { return form_; }

  protected:
    void hideEvent(QHideEvent* event) override;

  private:
    void read();
    void write();
    void takeReply();
    bool fieldValue(const QLineEdit* field, uint32_t* value) const;

    const PageDriver& driver_;
    const int device_;
    const RegisterForm form_;
    Bilingual texts_;
    QLineEdit* register_;
    QLineEdit* value_;
    QTimer* replyPoll_;
};

}  // namespace ostrel::pages
