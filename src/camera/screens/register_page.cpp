// The register page.
#include "camera/screens/register_page.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>

namespace ostrel::pages {

namespace {

constexpr int kReplyPollMs = 20;

QString hexText(uint32_t value) {
    return QString::number(value, 16);
}

}  // namespace

RegisterPage::RegisterPage(const PageDriver& driver, int device)
    : driver_(driver), device_(device), form_(driver.registerForm(device)) {
    setWindowTitle("Read / Write");
    setObjectName("registerPage");
    // The single-entry form numbers registers up to 0xFF; the 16-bit forms
    // take whole addresses.
    const bool singleEntry = form_ == RegisterForm::SingleEntry;
    const int registerDigits = singleEntry ? 3 : 9;

    auto* registerLabel = new QLabel;
    auto* valueLabel = new QLabel;
    register_ = new QLineEdit;
    register_->setObjectName("registerField");
    register_->setMaxLength(registerDigits);
    register_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QString("[0-9a-fA-F]{1,%1}").arg(registerDigits)), register_));
    value_ = new QLineEdit;
    value_->setObjectName("valueField");
    value_->setMaxLength(8);
    value_->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9a-fA-F]{1,8}"), value_));

    auto* readButton = new QPushButton;
    readButton->setObjectName("readButton");
    auto* writeButton = new QPushButton;
    writeButton->setObjectName("writeButton");
    auto* exitButton = new QPushButton;
    exitButton->setObjectName("exitButton");
    auto* languageButton = new QPushButton(QString::fromUtf8(kLanguageButton));
    languageButton->setObjectName("languageButton");

    texts_.add(registerLabel, {"Register", "寄存器"});
    texts_.add(valueLabel, {"Value", "数值"});
    texts_.add(readButton, {"Read", "读"});
    texts_.add(writeButton, {"Write", "写"});
    texts_.add(exitButton, {"Exit", "退出"});

    auto* grid = new QGridLayout(this);
    grid->addWidget(registerLabel, 0, 0);
    grid->addWidget(register_, 0, 1);
    grid->addWidget(readButton, 0, 2);
    grid->addWidget(valueLabel, 1, 0);
    grid->addWidget(value_, 1, 1);
    grid->addWidget(writeButton, 1, 2);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(languageButton);
    bottom->addStretch();
    bottom->addWidget(exitButton);
    grid->addLayout(bottom, 2, 0, 1, 3);

    connect(readButton, &QPushButton::clicked, this, [this] { read(); });
    connect(writeButton, &QPushButton::clicked, this, [this] { write(); });
    connect(exitButton, &QPushButton::clicked, this, [this] { hide(); });
    connect(languageButton, &QPushButton::clicked, this, [this] { texts_.toggle(); });

    // The receive thread only keeps the reply; the page picks it up here, on
    // its own thread.
    replyPoll_ = new QTimer(this);
    replyPoll_->setInterval(kReplyPollMs);
    connect(replyPoll_, &QTimer::timeout, this, [this] { takeReply(); });
}

void RegisterPage::present() {
    driver_.setRegisterDisplay(1, device_);
    replyPoll_->start();
    show();
    raise();
    activateWindow();
}

void RegisterPage::hideEvent(QHideEvent* event) {
    replyPoll_->stop();
    driver_.setRegisterDisplay(0, device_);
    QDialog::hideEvent(event);
}

bool RegisterPage::fieldValue(const QLineEdit* field, uint32_t* value) const {
    bool ok = false;
    const uint32_t v = field->text().toUInt(&ok, 16);
    if (ok) {
        *value = v;
    }
    return ok;
}

void RegisterPage::read() {
    uint32_t address = 0;
    if (!fieldValue(register_, &address)) {
        return;
    }
    uint32_t value = 0;
    int answered = 0;
    const uint32_t status = driver_.readRegister(address, &value, &answered, device_);
    if (status != TQ_SUCCESS) {
        value_->clear();
    } else if (answered != 0) {
        value_->setText(hexText(value));
    }
}

void RegisterPage::write() {
    uint32_t address = 0;
    uint32_t value = 0;
    if (fieldValue(register_, &address) && fieldValue(value_, &value)) {
        driver_.writeRegister(address, value, device_);
    }
}

void RegisterPage::takeReply() {
    uint32_t value = 0;
    if (driver_.takeRegisterReply(&value, device_) != 0) {
        value_->setText(hexText(value));
    }
}

}  // namespace ostrel::pages
