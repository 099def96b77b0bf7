// The device selection dialog.
#include "cameractl/select_device_dialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "cameractl/control_messages.h"

namespace ostrelctl {

SelectDeviceDialog::SelectDeviceDialog(const QStringList& descriptions, int current,
                                       QWidget* parent)
    : QDialog(parent), current_(current) {
    setWindowTitle("Select Device");
    setObjectName("selectDeviceDialog");
    auto* group = new QGroupBox("Device List");
    list_ = new QListWidget;
    list_->setObjectName("deviceList");
    list_->addItems(descriptions);
    list_->setMinimumWidth(360);
    if (!descriptions.isEmpty()) {
        list_->setCurrentRow(current >= 0 && current < descriptions.size() ? current : 0);
    }
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(list_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    cancel_ = buttons->button(QDialogButtonBox::Cancel);
    connect(ok_, &QPushButton::clicked, this, [this] { ok(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { ok(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
}

void SelectDeviceDialog::ok() {
    if (list_->count() == 0) {
        showMessage({"Camera is disconnected!", "Error!", BoxIcon::None}, this);
        return;
    }
    chosen_ = std::max(list_->currentRow(), 0);
    accept();
}

}  // namespace ostrelctl
