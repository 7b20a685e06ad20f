#include "model/StudentList.h"

namespace kelvarn {

StudentList::StudentList(std::initializer_list<StudentRecord> records) {
    m_records.reserve(records.size());
    for (const auto& record : records) {
        m_records.push_back(std::make_shared<StudentRecord>(record));
    }
}

StudentList::StudentList(std::vector<StudentRecord> records) {
    m_records.reserve(records.size());
    for (auto& record : records) {
        m_records.push_back(std::make_shared<StudentRecord>(std::move(record)));
    }
}

StudentRecord& StudentList::edit(std::size_t index) {
    auto& slot = m_records.at(index);
    // The store and its snapshots live on one thread, so the use count is exact here.
    if (slot.use_count() > 1) {
        slot = std::make_shared<StudentRecord>(*slot);
    }
    return *slot;
}

void StudentList::push_back(StudentRecord record) {
    m_records.push_back(std::make_shared<StudentRecord>(std::move(record)));
}

void StudentList::erase(std::size_t index) {
    m_records.erase(m_records.begin() + static_cast<std::ptrdiff_t>(index));
}

bool StudentList::sharesRecord(const StudentList& other, std::size_t index) const {
    return index < m_records.size() && index < other.m_records.size() &&
           m_records[index] == other.m_records[index];
}

bool operator==(const StudentList& a, const StudentList& b) {
    if (a.m_records.size() != b.m_records.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.m_records.size(); ++i) {
        if (a.m_records[i] != b.m_records[i] && *a.m_records[i] != *b.m_records[i]) {
            return false;
        }
    }
    return true;
}

} // namespace kelvarn
