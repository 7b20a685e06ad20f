#include "Kelvarnctl.h"

#include "FeedPrinter.h"
#include "Listen.h"
#include "StatusReport.h"
#include "Train.h"
#include "engine/GradingStore.h"
#include "persistence/CSVExporter.h"
#include "persistence/CommentCsv.h"
#include "persistence/DataFolder.h"
#include "persistence/DataFolderStorage.h"
#include "persistence/ExportDate.h"
#include "persistence/FileIO.h"
#include "persistence/GradeBookExporter.h"
#include "persistence/ReadOnlyFolderStorage.h"
#include "persistence/Roster.h"
#include "persistence/TextExporter.h"
#include "support/ControlCharacters.h"

#include <CLI/CLI.hpp>

#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace kelvarn::ctl {

namespace {

struct Options {
    std::string dataDir;
    std::string rosterFile;
    std::vector<std::string> utterances;
    std::string fixText;
    bool remember = false;
    std::string heard;
    std::string replacement;
    std::string ruleID;
    std::string commentName;
    std::string commentText;
    std::string commentsFile;
    std::string undoSteps = "1";
    std::string exportFormat;
    std::string exportFile;
    std::string gradeBookColumn{gradeBookExporter::defaultColumn};
    bool byteOrderMark = false;
    std::vector<std::string> listenFiles;
    bool realTime = false;
    bool partials = false;
    std::optional<int> commandEndMs;
    std::vector<std::string> trainFiles;
    std::vector<std::string> trainTexts;
    bool forgetVoice = false;
};

struct Subcommands {
    CLI::App* status;
    CLI::App* roster;
    CLI::App* say;
    CLI::Option* fix;
    CLI::App* corrections;
    CLI::App* listRules;
    CLI::App* addRule;
    CLI::App* removeRule;
    CLI::App* comments;
    CLI::App* listComments;
    CLI::App* addComment;
    CLI::App* removeComment;
    CLI::App* importComments;
    CLI::App* exportComments;
    CLI::App* undo;
    CLI::App* exportGrades;
    CLI::App* listen;
    CLI::App* train;
};

void describeComments(CLI::App& app, Options& options, Subcommands& commands) {
    commands.comments = app.add_subcommand(
        "comments", "List, add, remove, import or export the comments filed by saying "
                    "\"comment NAME\"");
    commands.comments->require_subcommand(1);
    commands.listComments = commands.comments->add_subcommand("list", "NAME<TAB>USES<TAB>TEXT");
    commands.addComment = commands.comments->add_subcommand(
        "add", "Add a comment, or give the one called NAME a new TEXT");
    commands.addComment->add_option("NAME", options.commentName, "Its short name (1 to 4 words)")
        ->required();
    commands.addComment->add_option("TEXT", options.commentText)->required();
    commands.removeComment =
        commands.comments->add_subcommand("remove", "Remove the comment called NAME");
    commands.removeComment->add_option("NAME", options.commentName)->required();
    commands.importComments = commands.comments->add_subcommand(
        "import", "Add the comments of a two-column CSV file (Name,Text); a name already there "
                  "gets the file's text");
    commands.importComments->add_option("FILE", options.commentsFile)->required();
    commands.exportComments =
        commands.comments->add_subcommand("export", "Write the comments as a two-column CSV");
    commands.exportComments->add_option(
        "-o,--output", options.commentsFile,
        "Write to this file (atomically) instead of standard output");
}

Subcommands describe(CLI::App& app, Options& options) {
    app.require_subcommand(1);
    app.add_option("--data-dir", options.dataDir,
                   "Data folder (default: $XDG_DATA_HOME/Kelvarn or ~/.local/share/Kelvarn)");

    Subcommands commands{};
    commands.status =
        app.add_subcommand("status", "Each student's progress and score, then the focus");
    commands.roster = app.add_subcommand("roster", "Merge a roster file, one student per line");
    commands.roster->add_option("FILE", options.rosterFile, "Roster text file")->required();
    commands.say = app.add_subcommand(
        "say", "Hand each TEXT to the engine as one final transcript (put -- before the first "
               "TEXT when one starts with -)");
    commands.say->add_option("TEXT", options.utterances, "Transcripts, in order")->required();
    commands.fix = commands.say->add_option("--fix", options.fixText,
                                            "Then fix the last heard line: run this text instead");
    commands.say->add_flag("--remember", options.remember, "With --fix: learn a correction rule")
        ->needs(commands.fix);
    commands.undo = app.add_subcommand("undo", "Undo the newest N steps");
    commands.undo->add_option("N", options.undoSteps, "How many steps (default 1)");
    commands.exportGrades =
        app.add_subcommand("export", "Export the grades as CSV, a text report, or a grade book "
                                     "to upload to the learning platform");
    commands.exportGrades->add_option("FORMAT", options.exportFormat, "csv, text or gradebook")
        ->required()
        ->check(CLI::IsMember({"csv", "text", "gradebook"}));
    commands.exportGrades->add_option("-o,--output", options.exportFile,
                                      "Write to this file (atomically) instead of standard output");
    commands.exportGrades->add_option(
        "--column", options.gradeBookColumn,
        "gradebook: the score column's title, as the platform names the assignment (default "
        "\"Kelvarn Score\")");
    commands.exportGrades->add_flag("--bom", options.byteOrderMark,
                                    "gradebook: begin with a UTF-8 byte-order mark");
    commands.listen = app.add_subcommand(
        "listen", "Hear speech and hand each finished utterance to the engine, as the "
                  "application does: from WAV files, or from the microphone until interrupted");
    commands.listen->add_option("--file", options.listenFiles,
                                "A WAV file to hear instead of the microphone (repeatable)");
    commands.listen->add_flag("--realtime", options.realTime,
                              "Play files at the pace of live audio");
    commands.listen->add_flag("--partials", options.partials,
                              "Print unfinished transcripts to standard error as partial<TAB>TEXT");
    commands.listen
        ->add_option("--command-end-ms", options.commandEndMs,
                     "Silence after an utterance of commands that ends it, in milliseconds "
                     "(default 0: as long as for a note; to measure what ending sooner is worth)")
        ->check(CLI::Range(0, 2000));
    commands.train = app.add_subcommand(
        "train", "Train the recogniser on your voice: each --file is a WAV recording of you "
                 "reading the --text in the same position; or remove what it learnt");
    auto* trainFile =
        commands.train->add_option("--file", options.trainFiles, "A recording (WAV, repeatable)");
    auto* trainText = commands.train->add_option(
        "--text", options.trainTexts, "What the recording in the same position says (repeatable)");
    commands.train
        ->add_flag("--forget", options.forgetVoice,
                   "Remove the voice profile: listen with the general model again")
        ->excludes(trainFile)
        ->excludes(trainText);
    commands.corrections =
        app.add_subcommand("corrections", "List, add or remove correction rules");
    commands.corrections->require_subcommand(1);
    commands.listRules =
        commands.corrections->add_subcommand("list", "ID<TAB>HEARD<TAB>REPLACEMENT");
    commands.addRule =
        commands.corrections->add_subcommand("add", "When HEARD is heard, write REPLACEMENT");
    commands.addRule->add_option("HEARD", options.heard)->required();
    commands.addRule->add_option("REPLACEMENT", options.replacement)->required();
    commands.removeRule =
        commands.corrections->add_subcommand("remove", "Remove the rule with this ID");
    commands.removeRule->add_option("ID", options.ruleID)->required();
    describeComments(app, options, commands);
    return commands;
}

void say(GradingStore& store, const Options& options, const Subcommands& commands) {
    for (const std::string& text : options.utterances) {
        store.handleTranscript(text);
    }
    if (commands.fix->count() > 0) {
        store.fixLastUtterance(options.fixText, options.remember);
    }
}

int editCorrections(GradingStore& store, const Options& options, const Subcommands& commands,
                    std::ostream& out, std::ostream& err) {
    if (commands.listRules->parsed()) {
        for (const Correction& rule : store.corrections()) {
            out << rule.id.toString() << '\t' << oneLine(rule.heard) << '\t'
                << oneLine(rule.replacement) << '\n';
        }
    } else if (commands.addRule->parsed()) {
        const Correction rule(options.heard, options.replacement);
        if (rule.heard.empty() || rule.replacement.empty()) {
            err << "A rule needs words to listen for and a replacement.\n";
            return exitFailure;
        }
        store.addCorrection(rule);
    } else if (commands.removeRule->parsed()) {
        const auto id = Uuid::parse(options.ruleID);
        if (!id) {
            err << "Not a rule id: " << options.ruleID << '\n';
            return exitFailure;
        }
        if (std::ranges::none_of(store.corrections(),
                                 [&](const Correction& rule) { return rule.id == *id; })) {
            err << "No rule with id " << options.ruleID << '\n';
            return exitFailure;
        }
        store.removeCorrection(*id);
    }
    return 0;
}

int editComments(GradingStore& store, const Options& options, const Subcommands& commands,
                 std::ostream& out, std::ostream& err) {
    if (commands.listComments->parsed()) {
        for (const Comment& comment : store.comments()) {
            out << oneLine(comment.name) << '\t' << comment.uses << '\t' << oneLine(comment.text)
                << '\n';
        }
        return 0;
    }
    if (commands.addComment->parsed()) {
        return store.addComment(options.commentName, options.commentText) ? 0 : exitFailure;
    }
    if (commands.removeComment->parsed()) {
        return store.removeComment(options.commentName) ? 0 : exitFailure;
    }
    if (commands.importComments->parsed()) {
        const auto parsed = commentCsv::readFile(options.commentsFile);
        if (!parsed) {
            err << parsed.error() << '\n';
            return exitFailure;
        }
        store.importComments(parsed.value().comments, parsed.value().skippedRows);
        return 0;
    }
    const std::string csv = commentCsv::csv(store.comments());
    if (options.commentsFile.empty()) {
        out << csv;
    } else if (const auto written = writeUserFileAtomically(options.commentsFile, csv); !written) {
        err << "Couldn't export to " << options.commentsFile << ": " << written.error() << '\n';
        return exitFailure;
    }
    return 0;
}

// N of "undo N". A count beyond what fits means "everything", which undo stops at anyway.
Result<std::int64_t> undoStepCount(const std::string& text) {
    const Error notACount{"N must be a whole number of 1 or more"};
    if (text.empty() || !std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; })) {
        return notACount;
    }
    std::int64_t count = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), count);
    if (failure == std::errc::result_out_of_range) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (count < 1) {
        return notACount;
    }
    return count;
}

// Stops at the first step with nothing to undo, which the store reports once in the feed.
void undo(GradingStore& store, std::int64_t steps) {
    for (std::int64_t i = 0; i < steps; ++i) {
        const bool nothingLeft = !store.canUndo();
        store.undo();
        if (nothingLeft) {
            return;
        }
    }
}

// The folder, or the nearest folder above it that exists when it is still to be made.
std::filesystem::path nearestExisting(std::filesystem::path path) {
    std::error_code error;
    while (!std::filesystem::exists(path, error)) {
        std::filesystem::path parent = path.parent_path();
        if (parent.empty()) {
            return ".";
        }
        if (parent == path) {
            break;
        }
        path = std::move(parent);
    }
    return path;
}

// The two ways a data folder most often cannot be used, said plainly before trying to make it.
Result<void> checkDataFolder(const std::filesystem::path& folder) {
    const std::filesystem::path existing = nearestExisting(folder);
    std::error_code error;
    if (std::filesystem::exists(existing, error) &&
        !std::filesystem::is_directory(existing, error)) {
        return Error{existing.string() + " is a file, not a folder"};
    }
    struct statvfs volume {};
    const bool readOnlyMedia =
        statvfs(existing.c_str(), &volume) == 0 && (volume.f_flag & ST_RDONLY) != 0;
    if (readOnlyMedia ||
        (access(existing.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS))) {
        return Error{existing.string() + " is read-only"};
    }
    return {};
}

int usageError(std::ostream& err, const std::string& message) {
    err << "kelvarnctl: " << message << "\nRun kelvarnctl --help for usage.\n";
    return exitUsage;
}

int loadRoster(GradingStore& store, const std::string& file, std::ostream& err) {
    const auto parsed = roster::readFile(file);
    if (!parsed) {
        err << parsed.error() << '\n';
        return exitFailure;
    }
    store.loadRoster(parsed.value());
    return 0;
}

int exportGrades(const GradingStore& store, const Options& options, std::ostream& out,
                 std::ostream& err) {
    const std::string text =
        options.exportFormat == "csv" ? csvExporter::csv(store.session())
        : options.exportFormat == "gradebook"
            ? gradeBookExporter::csv(store.session(), options.gradeBookColumn,
                                     options.byteOrderMark)
            : textExporter::text(store.session(), std::chrono::system_clock::now(),
                                 exportDate::localeFromEnvironment());
    if (options.exportFile.empty()) {
        out << text;
        return 0;
    }
    if (const auto written = writeUserFileAtomically(options.exportFile, text); !written) {
        err << "Couldn't export to " << options.exportFile << ": " << written.error() << '\n';
        return exitFailure;
    }
    return 0;
}

// What may run while another process owns the data folder: it reads, and changes nothing.
bool onlyReads(const Subcommands& commands) {
    return commands.status->parsed() || commands.exportGrades->parsed() ||
           commands.listRules->parsed() || commands.listComments->parsed() ||
           commands.exportComments->parsed();
}

int runCommand(GradingStore& store, const Options& options, const Subcommands& commands,
               const std::filesystem::path& folder, std::int64_t undoSteps, std::ostream& out,
               std::ostream& err) {
    if (commands.status->parsed()) {
        out << statusReport(store.session());
    } else if (commands.roster->parsed()) {
        return loadRoster(store, options.rosterFile, err);
    } else if (commands.say->parsed()) {
        say(store, options, commands);
    } else if (commands.corrections->parsed()) {
        return editCorrections(store, options, commands, out, err);
    } else if (commands.comments->parsed()) {
        return editComments(store, options, commands, out, err);
    } else if (commands.undo->parsed()) {
        undo(store, undoSteps);
    } else if (commands.exportGrades->parsed()) {
        return exportGrades(store, options, out, err);
    } else if (commands.listen->parsed()) {
        return listen(store,
                      {{options.listenFiles.begin(), options.listenFiles.end()},
                       options.realTime,
                       options.partials,
                       options.commandEndMs,
                       folder},
                      err);
    }
    return 0;
}

} // namespace

int run(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    CLI::App app("Drive Kelvarn's grading engine from a terminal or a script.", "kelvarnctl");
    Options options;
    const Subcommands commands = describe(app, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        out << app.help();
        return 0;
    } catch (const CLI::ParseError& e) {
        return usageError(err, e.what());
    }
    if (commands.train->parsed() && !options.forgetVoice &&
        (options.trainFiles.empty() || options.trainFiles.size() != options.trainTexts.size())) {
        return usageError(err, "train needs one --text for each --file, or --forget");
    }
    const auto undoSteps = undoStepCount(options.undoSteps);
    if (!undoSteps) {
        return usageError(err, undoSteps.error());
    }

    const std::filesystem::path folder =
        options.dataDir.empty() ? defaultDataFolder() : std::filesystem::path(options.dataDir);
    if (const auto usable = checkDataFolder(folder); !usable) {
        err << usable.error() << '\n';
        return exitFailure;
    }
    if (const auto created = createDataFolder(folder); !created) {
        err << "Can't use " << folder.string() << ": " << created.error() << '\n';
        return exitFailure;
    }
    auto lock = DataFolderLock::tryAcquire(folder);
    if (!lock) {
        err << lock.error() << '\n';
        return exitFailure;
    }
    std::unique_ptr<StoreStorage> storage;
    if (lock.value()) {
        // Only now: with the lock held, no other process can be halfway through writing one.
        removeLeftoverTemporaryFiles(folder);
        storage = std::make_unique<DataFolderStorage>(folder);
    } else if (onlyReads(commands)) {
        // The owner saves every change, moments later: what is on disk is what it had then.
        err << DataFolderLock::inUseMessage(folder)
            << ": this is the class as it was last saved, which may be behind what it shows\n";
        storage = std::make_unique<ReadOnlyFolderStorage>(folder);
    } else {
        err << DataFolderLock::inUseMessage(folder)
            << "\nWhile it runs, hand it the change instead: kelvarn --say TEXT (as if heard) or "
               "kelvarn --roster FILE\n";
        return exitFailure;
    }

    if (commands.train->parsed()) {
        return train(folder,
                     {{options.trainFiles.begin(), options.trainFiles.end()},
                      options.trainTexts,
                      options.forgetVoice},
                     out, err);
    }

    GradingStore store(std::move(storage));
    // An export on standard output must stay clean, so feed lines go to the error stream then.
    const bool exportToOut = (commands.exportGrades->parsed() && options.exportFile.empty()) ||
                             (commands.exportComments->parsed() && options.commentsFile.empty());
    FeedPrinter printer(store, exportToOut ? err : out);

    const int status = runCommand(store, options, commands, folder, undoSteps.value(), out, err);
    store.flush();
    // A change that did not reach the disk is lost when this process ends: that is a failure,
    // whatever the command itself did.
    for (const std::string& failure : store.writeFailures()) {
        err << failure << '\n';
    }
    return store.writeFailures().empty() ? status : exitFailure;
}

} // namespace kelvarn::ctl
