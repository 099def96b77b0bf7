// Program list operations.
#include "program/program_list.h"

namespace corvane {

void ProgramList::append(InsertionRecord record) {
    std::lock_guard lock(mutex_);
    records_.push_back(std::make_unique<InsertionRecord>(std::move(record)));
}

bool ProgramList::insertAt(int index, InsertionRecord record) {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<size_t>(index) > records_.size())
        return false;
    records_.insert(records_.begin() + index, std::make_unique<InsertionRecord>(std::move(record)));
    return true;
}

bool ProgramList::removeAt(int index) {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<size_t>(index) >= records_.size())
        return false;
    records_.erase(records_.begin() + index);
    return true;
}

InsertionRecord* ProgramList::at(int index) {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<size_t>(index) >= records_.size())
        return nullptr;
    return records_[static_cast<size_t>(index)].get();
}

const InsertionRecord* ProgramList::at(int index) const {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<size_t>(index) >= records_.size())
        return nullptr;
    return records_[static_cast<size_t>(index)].get();
}

InsertionRecord ProgramList::record(int index) const {
    std::lock_guard lock(mutex_);
    const InsertionRecord* found = at(index);
    return found != nullptr ? *found : InsertionRecord();
}

int ProgramList::count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(records_.size());
}

void ProgramList::clear() {
    std::lock_guard lock(mutex_);
    records_.clear();
}

std::vector<InsertionRecord> ProgramList::records() const {
    std::lock_guard lock(mutex_);
    std::vector<InsertionRecord> copies;
    copies.reserve(records_.size());
    for (const auto& record : records_)
        copies.push_back(*record);
    return copies;
}

std::string ProgramList::path() const {
    std::lock_guard lock(mutex_);
    return path_;
}

void ProgramList::setPath(std::string path) {
    std::lock_guard lock(mutex_);
    path_ = std::move(path);
}

ProgramList& programList() {
    static ProgramList list;
    return list;
}

}  // namespace corvane
