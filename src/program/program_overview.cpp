// Pages of the program overview.
#include "program/program_overview.h"

#include <algorithm>

#include "platform/language.h"
#include "program/insertion_record.h"

namespace corvane {

int overviewPageCount(int records) {
    if (records <= 0)
        return 1;
    return (records + kOverviewPageSize - 1) / kOverviewPageSize;
}

OverviewPage overviewPage(int records, int page) {
    OverviewPage result;
    result.page = std::clamp(page, 1, overviewPageCount(records));
    result.first = (result.page - 1) * kOverviewPageSize;
    result.count = std::clamp(std::max(records, 0) - result.first, 0, kOverviewPageSize);
    return result;
}

std::string overviewPageLabel(int page, int pages) {
    if (Language.load() == kChinese)
        return "第 " + std::to_string(page) + " 页/共 " + std::to_string(pages) + " 页";
    return "the " + std::to_string(page) + " page/total " + std::to_string(pages) + " pages";
}

const char* overviewColumnHeader(int column) {
    if (column == kFieldFootprint)
        return tr("Foot", "脚位");
    if (column == kFieldName)
        return tr("Element's name", "元件");
    return recordFieldHeader(column);
}

}  // namespace corvane
