// The paged overview of the plug-in program ("List of plug-in"): which records
// a page holds, its label and the overview's column headers.
#pragma once

#include <string>

namespace corvane {

// Records per page of the overview.
inline constexpr int kOverviewPageSize = 20;

// At least one page, also for an empty program.
int overviewPageCount(int records);
// Page 1..pageCount: index of its first record and how many it holds; a page
// outside the range is clamped into it.
struct OverviewPage {
    int page = 1;
    int first = 0;
    int count = 0;
};
OverviewPage overviewPage(int records, int page);

// "the 2 page/total 5 pages" in the display language.
std::string overviewPageLabel(int page, int pages);
// The column headers of the overview ("Foot" and "Element's name" differ
// from the main window's list in English).
const char* overviewColumnHeader(int column);

}  // namespace corvane
