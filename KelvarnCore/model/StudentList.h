#pragma once

#include "model/StudentRecord.h"

#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <vector>

namespace kelvarn {

// An ordered list of student records with value semantics whose copies share unchanged
// records. Undo keeps hundreds of copies of the class; sharing keeps that cheap while every
// copy still behaves as an independent value: a record is cloned before its first change
// whenever another list still refers to it.
class StudentList final {
public:
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = StudentRecord;
        using difference_type = std::ptrdiff_t;
        using pointer = const StudentRecord*;
        using reference = const StudentRecord&;

        const_iterator() = default;
        explicit const_iterator(std::vector<std::shared_ptr<StudentRecord>>::const_iterator it)
            : m_it(it) {}

        reference operator*() const { return **m_it; }
        pointer operator->() const { return m_it->get(); }
        reference operator[](difference_type n) const { return *m_it[n]; }
        const_iterator& operator++() {
            ++m_it;
            return *this;
        }
        const_iterator operator++(int) { return const_iterator(m_it++); }
        const_iterator& operator--() {
            --m_it;
            return *this;
        }
        const_iterator operator--(int) { return const_iterator(m_it--); }
        const_iterator& operator+=(difference_type n) {
            m_it += n;
            return *this;
        }
        const_iterator& operator-=(difference_type n) {
            m_it -= n;
            return *this;
        }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
            return a.m_it - b.m_it;
        }
        friend bool operator==(const const_iterator&, const const_iterator&) = default;
        friend auto operator<=>(const const_iterator&, const const_iterator&) = default;

    private:
        std::vector<std::shared_ptr<StudentRecord>>::const_iterator m_it;
    };

    StudentList() = default;
    StudentList(std::initializer_list<StudentRecord> records);
    explicit StudentList(std::vector<StudentRecord> records);

    std::size_t size() const { return m_records.size(); }
    bool empty() const { return m_records.empty(); }
    const StudentRecord& operator[](std::size_t index) const { return *m_records[index]; }
    const_iterator begin() const { return const_iterator(m_records.begin()); }
    const_iterator end() const { return const_iterator(m_records.end()); }

    // The record at index, ready to be changed without affecting any other copy of the list.
    StudentRecord& edit(std::size_t index);
    void push_back(StudentRecord record);
    void erase(std::size_t index);
    void clear() { m_records.clear(); }

    // True when both lists hold the very same record object at index (a cheap "unchanged").
    bool sharesRecord(const StudentList& other, std::size_t index) const;

    friend bool operator==(const StudentList& a, const StudentList& b);

private:
    std::vector<std::shared_ptr<StudentRecord>> m_records;
};

} // namespace kelvarn
