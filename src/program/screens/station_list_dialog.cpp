// The station list screen and the batch verification dialogue.
#include "program/screens/station_list_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include "access/screens/password_dialog.h"
#include "machine/machine_parameters.h"
#include "platform/message_box.h"
#include "platform/screens/language_events.h"
#include "platform/screens/row_colour.h"
#include "platform/screens/screen_text.h"
#include "platform/number_text.h"
#include "program/program_list.h"
#include "program/screens/batch_scan_dialog.h"

namespace corvane::screens {

namespace {

constexpr int kCountsColumn = 4;
constexpr int kHeightColumn = 5;
constexpr int kBatchColumn = 6;

// Counts and Height take only digits, the minus sign and the point.
class NumberCellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9.\\-]*")), line));
        }
        return editor;
    }
};

QLabel* valueLabel() {
    auto* label = new QLabel;
    label->setProperty(kValueProperty, true);
    return label;
}

}  // namespace

StationListDialog::StationListDialog(ProgramList& program, QWidget* parent)
    : QDialog(parent), program_(program), verification_(nullptr) {
    rows_ = new QTableWidget(kStationCount, 6);
    rows_->verticalHeader()->hide();
    rows_->verticalHeader()->setDefaultSectionSize(rows_->fontMetrics().height() + 6);
    rows_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    rows_->setSelectionBehavior(QAbstractItemView::SelectRows);
    rows_->setSelectionMode(QAbstractItemView::SingleSelection);
    rows_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    auto* numbers = new NumberCellDelegate(rows_);
    rows_->setItemDelegateForColumn(kCountsColumn, numbers);
    rows_->setItemDelegateForColumn(kHeightColumn, numbers);
    connect(rows_, &QTableWidget::cellActivated, this, [this](int row, int column) {
        if (column != kHeightColumn)
            rowChosen(row);
    });
    connect(rows_, &QTableWidget::itemChanged, this, &StationListDialog::heightEdited);

    auto* digits = new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), this);
    from_ = new QLineEdit;
    from_->setObjectName("replaceFrom");
    from_->setValidator(digits);
    from_->setMaximumWidth(60);
    replacedOf_ = new QLabel;
    to_ = new QLineEdit;
    to_->setObjectName("replaceTo");
    to_->setValidator(digits);
    to_->setMaximumWidth(60);
    station_ = new QLabel;
    sure_ = new QPushButton;
    sure_->setAutoDefault(false);
    connect(sure_, &QPushButton::clicked, this, &StationListDialog::replace);

    entryLabel_ = new QLabel;
    entry_ = new QLineEdit;
    entry_->setObjectName("materialNumber");
    entry_->setMinimumWidth(220);
    connect(entry_, &QLineEdit::returnPressed, this, &StationListDialog::entrySubmitted);
    useBatch_ = new QCheckBox;
    connect(useBatch_, &QCheckBox::clicked, this, &StationListDialog::switchToggled);

    status_ = valueLabel();
    status_->setWordWrap(true);
    status_->setMinimumHeight(status_->fontMetrics().height() * 2 + 8);
    status_->setFrameShape(QFrame::StyledPanel);
    exit_ = new QPushButton;
    exit_->setAutoDefault(false);
    connect(exit_, &QPushButton::clicked, this, &QDialog::accept);

    auto* replaceRow = new QHBoxLayout;
    replaceRow->addWidget(from_);
    replaceRow->addWidget(replacedOf_);
    replaceRow->addWidget(to_);
    replaceRow->addWidget(station_);
    replaceRow->addSpacing(12);
    replaceRow->addWidget(sure_);
    replaceRow->addStretch(1);
    replaceRow->addWidget(useBatch_);
    auto* entryRow = new QHBoxLayout;
    entryRow->addWidget(entryLabel_);
    entryRow->addWidget(entry_);
    entryRow->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(exit_, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rows_, 1);
    layout->addLayout(replaceRow);
    layout->addLayout(entryRow);
    layout->addLayout(bottom);

    const int tableHeight = rows_->verticalHeader()->defaultSectionSize() * kStationCount +
                            rows_->horizontalHeader()->sizeHint().height() + 4;
    rows_->setMinimumHeight(tableHeight);
    resize(820, minimumSizeHint().height());
    refresh();
    retranslate();
    followLanguage(this);
}

bool StationListDialog::verificationOn() const {
    return machineParameters().materialVerification != 0;
}

void StationListDialog::retranslate() {
    setWindowTitle(uiText("List of stations", "站位信息一览表"));
    QStringList headers;
    for (int c = 0; c < rows_->columnCount(); ++c)
        headers << uiText(stationColumnHeader(c));
    rows_->setHorizontalHeaderLabels(headers);
    replacedOf_->setText(uiText("station  replaced of", "站供料更换为"));
    station_->setText(uiText("station", "站供料"));
    sure_->setText(uiText("Sure", "确认更换"));
    entryLabel_->setText(uiText("Material number:", "物料号："));
    useBatch_->setText(uiText("Use material batch number", "使用物料批号"));
    exit_->setText(uiText("Exit", "退出"));
}

void StationListDialog::refresh() {
    if (verification_.running())
        return;
    table_.build(program_, verificationOn());
    fillRows();
}

void StationListDialog::fillRows() {
    filling_ = true;
    const bool verification = verificationOn();
    const int columns = verification ? 7 : 6;
    if (rows_->columnCount() != columns) {
        rows_->setColumnCount(columns);
        retranslate();
    }
    const auto& colours = verification_.rowColours();
    for (const StationRow& row : table_.rows()) {
        const int r = row.station - 1;
        const std::string texts[7] = {formatInt(row.station), row.name,   row.direction, row.width,
                                      row.countsText(),       row.height, row.batch};
        for (int c = 0; c < columns; ++c) {
            QTableWidgetItem* item = rows_->item(r, c);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                rows_->setItem(r, c, item);
            }
            item->setText(uiText(texts[c]));
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (c == kHeightColumn && row.counts > 0)
                flags |= Qt::ItemIsEditable;
            item->setFlags(flags);
            item->setForeground(colourOf(colours[static_cast<size_t>(r)].text));
            item->setBackground(colourOf(colours[static_cast<size_t>(r)].background));
        }
    }
    {
        const QSignalBlocker blocker(useBatch_);
        useBatch_->setChecked(verification);
    }
    filling_ = false;
}

void StationListDialog::showVerificationState() {
    status_->setText(uiText(verification_.statusLine()));
    entry_->setEnabled(verificationOn() && verification_.entryFieldEnabled());
    fillRows();
}

void StationListDialog::showEvent(QShowEvent* event) {
    refresh();
    QDialog::showEvent(event);
}

void StationListDialog::markEdited() {
    edited_ = true;
    emit programEdited();
}

void StationListDialog::replace() {
    const auto result = table_.replaceStation(program_, parseInt(coreText(from_->text())),
                                              parseInt(coreText(to_->text())), verificationOn());
    if (result != StationTable::ReplaceResult::Replaced) {
        platform::messageBox(replaceStationMessage(result));
        return;
    }
    fillRows();
    markEdited();
}

void StationListDialog::rowChosen(int row) {
    const int station = row + 1;
    if (scan_ || !table_.canEnterBatchNumber(station, verificationOn()))
        return;
    openScan(ScanPurpose::EnterBatch, station);
}

void StationListDialog::heightEdited(QTableWidgetItem* item) {
    if (filling_ || item->column() != kHeightColumn)
        return;
    const int station = item->row() + 1;
    if (table_.setHeight(program_, station, coreText(item->text())))
        markEdited();
    fillRows();  // the accepted height in its program form, or the old one back
}

void StationListDialog::entrySubmitted() {
    const bool matched = verification_.submitEntry(coreText(entry_->text()));
    entry_->clear();
    showVerificationState();
    if (matched) {
        emit verificationReported(true);
    } else if (entry_->isEnabled()) {
        entry_->setFocus();
    }
}

void StationListDialog::switchToggled(bool on) {
    // The switch is guarded by the password; a refused password puts it back.
    if (!PasswordDialog::ask(this)) {
        const QSignalBlocker blocker(useBatch_);
        useBatch_->setChecked(!on);
        return;
    }
    machineParameters().materialVerification = on ? 1 : 0;
    refresh();
    emit materialVerificationSwitched(on);
}

void StationListDialog::verifyStations(const std::string& message, const std::vector<int>& stations,
                                       int mode) {
    refresh();
    const bool awaiting = verification_.verify(message, stations, mode, table_, verificationOn());
    showVerificationState();
    if (!isVisible())
        show();
    raise();
    activateWindow();
    if (awaiting && !scan_)
        openScan(ScanPurpose::Verify, verification_.stationInHand());
}

void StationListDialog::openScan(ScanPurpose purpose, int station) {
    auto* dialog = new BatchScanDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setRescanLineShown(purpose == ScanPurpose::Verify && verification_.showRescanLine());
    // In a verification, whatever way the dialog closes, the text in its
    // field is the scan; entering a batch number can be cancelled, so that a
    // dialog closed by mistake does not wipe the station's batch number.
    connect(dialog, &QDialog::finished, this, [this, dialog, purpose, station](int result) {
        if (purpose == ScanPurpose::EnterBatch && result != QDialog::Accepted) {
            scan_ = nullptr;
            return;
        }
        scanFinished(purpose, station, coreText(dialog->text()));
    });
    scan_ = dialog;
    dialog->open();
}

void StationListDialog::scanFinished(ScanPurpose purpose, int station, const std::string& text) {
    scan_ = nullptr;
    if (purpose == ScanPurpose::EnterBatch) {
        table_.enterBatchNumber(program_, station, text);
        fillRows();
        markEdited();
        return;
    }
    const auto result = verification_.submitScan(text);
    showVerificationState();
    emit verificationReported(result == StationVerification::ScanResult::Verified);
    if (result == StationVerification::ScanResult::Rescan)
        openScan(ScanPurpose::Verify, station);
}

}  // namespace corvane::screens
