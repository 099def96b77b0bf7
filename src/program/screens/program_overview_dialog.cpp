// The paged program overview.
#include "program/screens/program_overview_dialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include "platform/screens/language_events.h"
#include "platform/screens/screen_text.h"
#include "program/program_list.h"
#include "program/program_overview.h"
#include "program/screens/program_table_model.h"

namespace corvane::screens {

ProgramOverviewDialog::ProgramOverviewDialog(ProgramList& program, bool batchColumn,
                                             QWidget* parent)
    : QDialog(parent), program_(program), model_(new ProgramTableModel(program, this)) {
    model_->setBatchColumnShown(batchColumn);
    table_ = new QTableView;
    table_->setModel(model_);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    pageSpin_ = new QSpinBox;
    pageSpin_->setMinimumWidth(70);
    pageLabel_ = new QLabel;
    pageLabel_->setMinimumWidth(220);
    exit_ = new QPushButton;
    connect(exit_, &QPushButton::clicked, this, &QDialog::accept);
    connect(pageSpin_, &QSpinBox::valueChanged, this, &ProgramOverviewDialog::showPage);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(pageSpin_);
    bottom->addWidget(pageLabel_);
    bottom->addStretch(1);
    bottom->addWidget(exit_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addLayout(bottom);
    // Room for a whole page of records in the 12 columns.
    const int rowHeight = table_->verticalHeader()->defaultSectionSize();
    resize(1000, rowHeight * kOverviewPageSize + table_->horizontalHeader()->sizeHint().height() +
                     pageSpin_->sizeHint().height() + 48);
    retranslate();
    followLanguage(this);
    showPage(1);
}

int ProgramOverviewDialog::pageCount() const {
    return overviewPageCount(program_.count());
}

void ProgramOverviewDialog::showPage(int page) {
    const OverviewPage shown = overviewPage(program_.count(), page);
    page_ = shown.page;
    model_->showOverviewPage(shown.first, shown.count);
    {
        const QSignalBlocker blocker(pageSpin_);
        pageSpin_->setRange(1, pageCount());
        pageSpin_->setValue(page_);
    }
    pageLabel_->setText(uiText(overviewPageLabel(page_, pageCount())));
}

void ProgramOverviewDialog::retranslate() {
    setWindowTitle(uiText("List of plug-in", "插件数据一览表"));
    exit_->setText(uiText("Exit", "退出"));
    pageLabel_->setText(uiText(overviewPageLabel(page_, pageCount())));
    model_->retranslate();
}

}  // namespace corvane::screens
