#include "app/StoreObject.h"

#include "app/Assign.h"
#include "app/ShownFeedText.h"
#include "model/PointFormat.h"
#include "model/Rubric.h"

#include <cmath>

namespace kelvarn::app {

namespace {

QString text(std::string_view value) {
    return QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size()));
}

std::optional<Uuid> uuid(const QString& text) {
    return Uuid::parse(text.toStdString());
}

std::optional<SectionID> section(const QString& text) {
    return sections::fromRawValue(text.toStdString());
}

std::optional<Level> level(const QString& text) {
    return levels::fromRawValue(text.toStdString());
}

// This run's newest line that is (or is not) a heard one: the live strip and the compact panel
// say what is happening now, not what the log kept from yesterday.
const FeedItem* latest(const std::deque<FeedItem>& feed, bool heard) {
    const auto it = std::find_if(feed.rbegin(), feed.rend(), [heard](const FeedItem& item) {
        return !item.fromEarlierLaunch && (item.kind == FeedItem::Kind::heard) == heard;
    });
    return it == feed.rend() ? nullptr : &*it;
}

} // namespace

StoreObject::StoreObject(GradingStore& store, QObject* parent) : QObject(parent), m_store(store) {
    refreshValues();
    refreshLastHeard();
    m_students.update(store.session());
    m_feed.update(store.feed());
    m_corrections.update(store.corrections());
    m_comments.update(store.comments());
    m_subscription = store.addObserver([this](StoreField field) { storeChanged(field); });
}

void StoreObject::storeChanged(StoreField field) {
    switch (field) {
    case StoreField::session:
        if (m_mask && newNames()) {
            remask();
        }
        m_students.update(m_store.session());
        emit sessionChanged();
        break;
    case StoreField::feed:
        m_feed.update(m_store.feed());
        emit feedChanged();
        refreshLastHeard();
        break;
    case StoreField::corrections:
        m_corrections.update(m_store.corrections());
        emit correctionsChanged();
        break;
    case StoreField::comments:
        m_comments.update(m_store.comments());
        break;
    case StoreField::lastUtterance:
        emit lastUtteranceChanged();
        break;
    default:
        break;
    }
    refreshValues();
}

void StoreObject::setAnonymous(bool anonymous) {
    if (anonymous == m_mask.has_value()) {
        return;
    }
    if (anonymous) {
        remask();
    } else {
        m_mask.reset();
        m_feed.setMask(nullptr);
    }
    m_students.setAnonymous(anonymous);
    emit anonymousChanged();
    // Every text that names students is shown anew.
    emit sessionChanged();
    emit feedChanged();
    emit lastUtteranceChanged();
    refreshValues();
    refreshLastHeard();
}

std::optional<std::vector<std::string>> StoreObject::newNames() const {
    const StudentList& students = m_store.session().students;
    bool same = students.size() == m_maskedNames.size();
    for (std::size_t i = 0; same && i < students.size(); ++i) {
        same = students[i].name == m_maskedNames[i];
    }
    if (same) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (const StudentRecord& student : students) {
        names.push_back(student.name);
    }
    return names;
}

void StoreObject::remask() {
    if (auto names = newNames()) {
        m_maskedNames = std::move(*names);
    }
    m_mask.emplace(m_maskedNames);
    m_feed.setMask(&*m_mask);
}

std::string StoreObject::shown(const std::string& text) const {
    return m_mask ? m_mask->masked(text) : text;
}

QString StoreObject::shown(const QString& text) const {
    return m_mask ? QString::fromStdString(m_mask->masked(text.toStdString())) : text;
}

std::string StoreObject::unmasked(const std::string& text) const {
    return m_mask ? m_mask->unmasked(text) : text;
}

QString StoreObject::progressText() const {
    const StudentList& students = m_store.session().students;
    const auto complete = std::count_if(students.begin(), students.end(),
                                        [](const StudentRecord& s) { return s.isComplete(); });
    return QStringLiteral("%1 of %2 fully graded").arg(complete).arg(students.size());
}

QString StoreObject::focusedSection() const {
    const auto& section = m_store.session().focus.section;
    return section ? text(sections::rawValue(*section)) : QString();
}

QVariantMap StoreObject::focusedStudent() const {
    const std::optional<StudentRecord> student = m_store.session().focusedStudent();
    if (!student) {
        return {};
    }
    QVariantList cards;
    for (SectionID id : sections::allCases) {
        const SectionGrade grade = student->grade(id);
        const double earned = grade.level ? sections::points(id, *grade.level) : 0.0;
        cards.push_back(QVariantMap{
            {QStringLiteral("level"),
             grade.level ? text(levels::rawValue(*grade.level)) : QString()},
            {QStringLiteral("points"), QString::fromStdString(outOf(earned, sections::weight(id)))},
            {QStringLiteral("notes"), QString::fromStdString(grade.notes)},
        });
    }
    return {
        {QStringLiteral("id"), QString::fromStdString(student->id.toString())},
        {QStringLiteral("name"), QString::fromStdString(shown(student->name))},
        {QStringLiteral("total"),
         QString::fromStdString(outOf(student->totalPoints(), rubric::maxPoints))},
        {QStringLiteral("score"),
         QString::fromStdString(outOf(student->score(), rubric::maxScore))},
        {QStringLiteral("graded"),
         QStringLiteral("(%1/%2)").arg(student->gradedCount()).arg(sections::allCases.size())},
        {QStringLiteral("sections"), cards},
        {QStringLiteral("overallNotes"), QString::fromStdString(student->overallNotes)},
    };
}

QString StoreObject::focusText() const {
    const Session& session = m_store.session();
    const std::optional<StudentRecord> student = session.focusedStudent();
    if (!student) {
        return QStringLiteral("No student focused");
    }
    QString result = QString::fromStdString(shown(student->name));
    if (const auto& section = session.focus.section) {
        result += QStringLiteral(" › ") + text(sections::shortTitle(*section));
        if (const auto& level = student->grade(*section).level) {
            result += QStringLiteral(" · ") + text(levels::title(*level));
        }
    }
    return result;
}

QString StoreObject::latestResult() const {
    const FeedItem* item = latest(m_store.feed(), false);
    return item == nullptr ? QString() : shownFeedText(shown(item->text)).text;
}

QString StoreObject::latestResultSymbol() const {
    const FeedItem* item = latest(m_store.feed(), false);
    return item == nullptr ? QString() : shownFeedText(item->text).symbol;
}

QString StoreObject::latestResultKind() const {
    const FeedItem* item = latest(m_store.feed(), false);
    return item == nullptr ? QString() : text(kindName(item->kind));
}

QVariantList StoreObject::sections() {
    QVariantList result;
    for (SectionID id : sections::allCases) {
        result.push_back(QVariantMap{
            {QStringLiteral("key"), text(sections::rawValue(id))},
            {QStringLiteral("title"), text(sections::title(id))},
            {QStringLiteral("shortTitle"), text(sections::shortTitle(id))},
            {QStringLiteral("weight"),
             QStringLiteral("%1%").arg(std::lround(sections::weight(id)))},
        });
    }
    return result;
}

QVariantList StoreObject::levels() {
    QVariantList result;
    for (Level id : levels::allCases) {
        const QString title = text(levels::title(id));
        result.push_back(QVariantMap{
            {QStringLiteral("key"), text(levels::rawValue(id))},
            {QStringLiteral("title"), title},
            {QStringLiteral("tooltip"), QStringLiteral("%1 (%2%): %3")
                                            .arg(title)
                                            .arg(std::lround(levels::fraction(id) * 100))
                                            .arg(text(levels::descriptionText(id)))},
        });
    }
    return result;
}

QVariantList StoreObject::pendingChoices() const {
    QVariantList choices;
    const std::optional<Pending>& pending = m_store.pending();
    const auto* which = pending ? std::get_if<pending::WhichStudent>(&*pending) : nullptr;
    if (which == nullptr) {
        return choices;
    }
    const Session& session = m_store.session();
    for (const Uuid& id : which->ids) {
        if (const auto i = session.index(id)) {
            choices.push_back(QVariantMap{
                {QStringLiteral("id"), QString::fromStdString(id.toString())},
                {QStringLiteral("name"), QString::fromStdString(shown(session.students[*i].name))},
            });
        }
    }
    return choices;
}

void StoreObject::focusStudent(const QString& studentID) {
    if (studentID.isEmpty()) {
        m_store.focusStudent(std::nullopt);
    } else if (const auto id = uuid(studentID)) {
        // Focusing outright would drop the question, and the section or level said with it.
        if (m_store.pending()) {
            m_store.execute(commands::Student{*id});
        } else {
            m_store.focusStudent(id);
        }
    }
}

void StoreObject::focusSection(const QString& sectionName) {
    if (sectionName.isEmpty()) {
        m_store.focusSection(std::nullopt);
    } else if (const auto id = section(sectionName)) {
        m_store.focusSection(id);
    }
}

void StoreObject::setLevel(const QString& levelName, const QString& studentID,
                           const QString& sectionName) {
    const auto student = uuid(studentID);
    const auto id = section(sectionName);
    const auto chosen = level(levelName);
    if (!student || !id || (!levelName.isEmpty() && !chosen)) {
        return;
    }
    m_store.setLevel(chosen, *student, *id);
}

void StoreObject::editNotes(const QString& notes, const QString& studentID,
                            const QString& sectionName) {
    const auto student = uuid(studentID);
    if (!student) {
        return;
    }
    if (sectionName.isEmpty()) {
        m_store.editNotes(notes.toStdString(), OverallNotes{*student});
    } else if (const auto id = section(sectionName)) {
        m_store.editNotes(notes.toStdString(), SectionNotes{*student, *id});
    }
}

void StoreObject::gradeFocused(const QString& levelName) {
    if (const auto chosen = level(levelName)) {
        m_store.execute(commands::Level{*chosen});
    }
}

QString StoreObject::lastUtteranceText() const {
    const auto& heard = m_store.lastUtterance();
    return heard ? QString::fromStdString(shown(heard->text)) : QString();
}

QString StoreObject::lastUtteranceFeedId() const {
    const auto& heard = m_store.lastUtterance();
    return heard ? QString::fromStdString(heard->feedID.toString()) : QString();
}

QVariantMap StoreObject::suggestedCorrection(const QString& heard, const QString& corrected) {
    const auto rule = Correction::suggested(heard.toStdString(), corrected.toStdString());
    if (!rule) {
        return {};
    }
    return {{QStringLiteral("heard"), QString::fromStdString(rule->heard)},
            {QStringLiteral("replacement"), QString::fromStdString(rule->replacement)}};
}

bool StoreObject::namesOneStudent(const QString& text) const {
    const ParsedSentence sentence = m_store.parser().parseSentence(text.toStdString());
    const auto* read = std::get_if<parsed::Commands>(&sentence);
    return read != nullptr && read->commands.size() == 1 &&
           std::holds_alternative<commands::Student>(read->commands.front());
}

void StoreObject::refreshValues() {
    // The question names students and fix depends on the change counter, so these are worked
    // out anew on every notification and announced only when they differ.
    if (assign(m_voicePaused, m_store.voicePaused())) {
        emit voicePausedChanged();
    }
    if (assign(m_pendingQuestion, QString::fromStdString(shown(m_store.pendingQuestion())))) {
        emit pendingQuestionChanged();
    }
    if (assign(m_canUndo, m_store.canUndo())) {
        emit canUndoChanged();
    }
    if (assign(m_lastUndoLabel,
               QString::fromStdString(shown(m_store.lastUndoLabel().value_or(""))))) {
        emit lastUndoLabelChanged();
    }
    if (assign(m_canFixLastUtterance, m_store.canFixLastUtterance())) {
        emit canFixLastUtteranceChanged();
    }
}

// Only a feed change can change it: not looked for on every keystroke's notification.
void StoreObject::refreshLastHeard() {
    const FeedItem* heard = latest(m_store.feed(), true);
    if (assign(m_lastHeard,
               heard == nullptr ? QString() : QString::fromStdString(shown(heard->text)))) {
        emit lastHeardChanged();
    }
}

} // namespace kelvarn::app
