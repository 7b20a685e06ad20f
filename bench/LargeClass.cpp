#include "LargeClass.h"

#include "persistence/SavedStateJson.h"

#include <array>
#include <cstdlib>
#include <fstream>
#include <string>

namespace kelvarn::bench {

namespace {

std::string prose(std::size_t length, std::size_t seed) {
    static const std::array<const char*, 8> words{"thesis",  "evidence",  "argument",  "clearly",
                                                  "sources", "paragraph", "structure", "claim"};
    std::string text;
    for (std::size_t i = seed; text.size() < length; ++i) {
        text += words[i % words.size()];
        text += ' ';
    }
    text.resize(length);
    return text;
}

} // namespace

Session largeClass() {
    return gradedClass(40, 300, 600);
}

Session gradedClass(std::size_t students, std::size_t sectionNotes, std::size_t overallNotes) {
    static const std::array<const char*, 10> given{"Nadia", "Ben",  "Zoë",   "Omar", "Lena",
                                                   "Ravi",  "Maya", "Jonas", "Ines", "Theo"};
    static const std::array<const char*, 4> family{"Ford", "Okafor", "Nguyen", "Álvarez"};
    Session session;
    for (std::size_t i = 0; i < students; ++i) {
        StudentRecord record(Uuid::generate(), std::string(given[i % given.size()]) + " " +
                                                   family[(i / 10) % family.size()] +
                                                   (i >= 40 ? " " + std::to_string(i) : ""));
        for (SectionID section : sections::allCases) {
            const auto level = levels::allCases[(i + static_cast<std::size_t>(section)) % 4];
            record.sections[section] = SectionGrade{level, prose(sectionNotes, i)};
        }
        record.overallNotes = prose(overallNotes, i + 3);
        session.students.push_back(std::move(record));
    }
    return session;
}

void makeOneNoteChanges(GradingStore& store, std::size_t count, TimePoint& now) {
    const std::size_t students = store.session().students.size();
    for (std::size_t i = 0; i < count; ++i) {
        const auto& student = store.session().students[i % students];
        const NotesTarget target = SectionNotes{student.id, sections::allCases[i % 6]};
        store.editNotes(store.notes(target) + ".", target);
        now += std::chrono::seconds(5);
    }
}

std::filesystem::path preparedFolder() {
    static const std::filesystem::path folder = preparedFolderFor(largeClass());
    return folder;
}

std::filesystem::path preparedFolderFor(Session session) {
    namespace fs = std::filesystem;
    std::string pattern = (fs::temp_directory_path() / "kelvarn-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    TimePoint now{};
    GradingStore store(SavedState{std::move(session), {}}, [&] { return now; });
    makeOneNoteChanges(store, GradingStore::savedUndoEntries, now);
    SavedState saved{store.session(), {}};
    for (std::size_t i = 0; i < store.undoStack().size(); ++i) {
        saved.undo.push_back(store.undoStack()[i]);
    }
    std::ofstream(fs::path(pattern) / "session.json", std::ios::binary) << encodeSavedState(saved);
    return fs::path(pattern);
}

} // namespace kelvarn::bench
