// Scanning dialog.
#include "program/screens/batch_scan_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/screens/language_events.h"
#include "platform/screens/screen_text.h"
#include "program/material_verification.h"

namespace corvane::screens {

BatchScanDialog::BatchScanDialog(QWidget* parent) : QDialog(parent) {
    rescan_ = new QLabel;
    rescan_->setStyleSheet("color: #c00000;");
    rescan_->hide();
    label_ = new QLabel;
    field_ = new QLineEdit;
    field_->setObjectName("batchNumber");
    field_->setMinimumWidth(240);
    ok_ = new QPushButton;
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(label_);
    row->addWidget(field_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rescan_);
    layout->addLayout(row);
    layout->addLayout(buttons);
    retranslate();
    followLanguage(this);
    field_->setFocus();
}

void BatchScanDialog::retranslate() {
    setWindowTitle(uiText(scanningDialogCaption()));
    rescan_->setText(uiText(rescanLineText()));
    label_->setText(uiText("Batch number", "物料号"));
    ok_->setText(uiText("OK", "确定"));
}

void BatchScanDialog::setRescanLineShown(bool shown) {
    rescan_->setVisible(shown);
}

bool BatchScanDialog::rescanLineShown() const {
    return !rescan_->isHidden();
}

QString BatchScanDialog::text() const {
    return field_->text();
}

void BatchScanDialog::setText(const QString& text) {
    field_->setText(text);
}

}  // namespace corvane::screens
