// "List of Plug-in": pages of records, the page label, read only, both
// languages, and its screenshots.
#include <QLabel>
#include <QSpinBox>
#include <QTableView>

#include "program/program_overview.h"
#include "program/screens/program_overview_dialog.h"
#include "program_screens_support.h"
#include "screen_test_support.h"

using namespace corvane;
using namespace corvane::screens;
using program_screens_test::record;

namespace {

class ProgramOverviewTest : public screen_test::ScreenTest {
  protected:
    void fill(int records) {
        const ProgramCommand commands[] = {ProgramCommand::Check, ProgramCommand::Uncheck,
                                           ProgramCommand::Check, ProgramCommand::Mark};
        for (int i = 1; i <= records; ++i) {
            program.append(record(i, (i - 1) % 12 + 1, "C" + std::to_string(i),
                                  i == records ? ProgramCommand::Stop : commands[i % 4],
                                  "B" + std::to_string(100 + i)));
        }
    }
    QString pageLabel(const ProgramOverviewDialog& dialog) const {
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->text().contains("page") || label->text().contains("页"))
                return label->text();
        }
        return {};
    }
    int rows(const ProgramOverviewDialog& dialog) const {
        return dialog.table().model()->rowCount();
    }
    QString firstNo(const ProgramOverviewDialog& dialog) const {
        return dialog.table().model()->index(0, kFieldNo).data().toString();
    }

    ProgramList program;
};

}  // namespace

TEST_F(ProgramOverviewTest, PagesHoldTheRecordsInOrder) {
    fill(2 * kOverviewPageSize + 5);
    ProgramOverviewDialog dialog(program, false);
    EXPECT_EQ(dialog.pageCount(), 3);
    EXPECT_EQ(dialog.page(), 1);
    EXPECT_EQ(rows(dialog), kOverviewPageSize);
    EXPECT_EQ(firstNo(dialog), "1");
    EXPECT_EQ(pageLabel(dialog), "the 1 page/total 3 pages");

    // The spin control turns the pages.
    auto* spin = dialog.findChild<QSpinBox*>();
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->maximum(), 3);
    spin->setValue(3);
    EXPECT_EQ(dialog.page(), 3);
    EXPECT_EQ(rows(dialog), 5);
    EXPECT_EQ(firstNo(dialog), QString::number(2 * kOverviewPageSize + 1));
    EXPECT_EQ(pageLabel(dialog), "the 3 page/total 3 pages");

    dialog.showPage(2);
    EXPECT_EQ(spin->value(), 2);
    EXPECT_EQ(firstNo(dialog), QString::number(kOverviewPageSize + 1));
    dialog.showPage(9);  // beyond the last: the last
    EXPECT_EQ(dialog.page(), 3);

    // Read only, the overview's own headers, the batch column only with
    // verification.
    const QModelIndex station = dialog.table().model()->index(0, kFieldStation);
    EXPECT_FALSE(dialog.table().model()->flags(station) & Qt::ItemIsEditable);
    EXPECT_FALSE(dialog.table().model()->setData(station, "5", Qt::EditRole));
    EXPECT_EQ(dialog.table().model()->headerData(kFieldFootprint, Qt::Horizontal).toString(),
              "Foot");
    EXPECT_EQ(dialog.table().model()->headerData(kFieldName, Qt::Horizontal).toString(),
              "Element's name");
    EXPECT_EQ(dialog.table().model()->columnCount(), 11);
    ProgramOverviewDialog withBatch(program, true);
    EXPECT_EQ(withBatch.table().model()->columnCount(), 12);
    EXPECT_EQ(withBatch.table().model()->index(0, kFieldBatch).data().toString(), "B101");
}

TEST_F(ProgramOverviewTest, AnEmptyProgramIsOneEmptyPage) {
    ProgramOverviewDialog dialog(program, false);
    EXPECT_EQ(dialog.pageCount(), 1);
    EXPECT_EQ(rows(dialog), 0);
    EXPECT_EQ(pageLabel(dialog), "the 1 page/total 1 pages");
    // A record added while the overview was closed shows when it opens again.
    fill(1);
    ProgramOverviewDialog again(program, false);
    EXPECT_EQ(rows(again), 1);
}

TEST_F(ProgramOverviewTest, EveryCaptionInBothLanguagesAndScreenshots) {
    fill(2 * kOverviewPageSize + 5);
    ProgramOverviewDialog dialog(program, true);
    screen_test::expectLanguageSwitchReachesEveryCaption(&dialog);
    const QImage english = screen_test::screenshot(&dialog, "list-of-plugin-en");
    EXPECT_FALSE(english.isNull());
    screen_test::setLanguage(kChinese);
    EXPECT_EQ(pageLabel(dialog), "第 1 页/共 3 页");
    dialog.close();
    program.clear();
    fill(2 * kOverviewPageSize + 5);  // a program loaded in Chinese
    ProgramOverviewDialog chinese(program, true);
    screen_test::screenshot(&chinese, "list-of-plugin-zh");
}
