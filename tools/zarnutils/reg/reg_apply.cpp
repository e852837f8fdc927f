// reg apply: makes the registry hold what a .reg file says, writing only
// what differs, and reports each key and value the file names, or that
// changes, as created, changed, deleted or unchanged. Exit 0 when the
// registry already held it, 2 when something was (with --check: would be)
// changed, 1 on failure: the detailed exit codes of Terraform's plan and
// Puppet's agent, and reg compare's 0 and 2, so that 1 stays every verb's
// failure. --check changes nothing; --diff shows the change as a unified
// difference of the keys' .reg text; --exact leaves each key a [KEY] line
// names only the file's values and the subkeys on the way to the file's
// keys; --undo writes, before any change, the .reg file that restores the
// state before. Natively the changes are one transaction.
#include <algorithm>
#include <array>
#include <sstream>
#include <variant>

#include "reg/reg.h"
#include "reg/reg_file.h"
#include "reg/reg_pipeline.h"
#include "reg/reg_state.h"

namespace zarn::cli {
namespace {

using Kind = StateChange::Kind;
using registry_status::Success;

constexpr int regChanged = 2;

enum Outcome { Created, Changed, Deleted, Unchanged };
constexpr std::array<const char*, 4> outcomeWords = {"created", "changed", "deleted", "unchanged"};

bool namesValue(const StateKey& state, std::string_view name) {
  return std::any_of(state.namedValues.begin(), state.namedValues.end(),
                     [&](const std::string& named) { return registry::sameName(named, name); });
}

// What the report says of a change, if anything.
std::optional<Outcome> outcomeOf(const StateChange& change) {
  if (change.insideDeleted) return std::nullopt;
  switch (change.kind) {
    case Kind::KeyCreated:
    case Kind::ValueCreated: return Created;
    case Kind::KeyDeleted:
    case Kind::ValueDeleted: return Deleted;
    case Kind::ValueChanged:
    case Kind::ValueMovedIn: return Changed;
    case Kind::KeyKept:
      if (change.keyChanged) return Changed;
      return change.state.named ? std::optional(Unchanged) : std::nullopt;
    case Kind::ValueKept:
      return namesValue(change.state, change.to->name) ? std::optional(Unchanged) : std::nullopt;
    case Kind::KeyAbsent:
    case Kind::ValueAbsent: return Unchanged;
    case Kind::ValueMovedOut: return std::nullopt;
  }
  return std::nullopt;
}

// The report: a line for each outcome, as text or JSON, and the count of
// each outcome.
class Report {
 public:
  explicit Report(ConsoleStreams& console) : console_(console) {}

  void add(const StateChange& change) {
    const std::optional<Outcome> outcome = outcomeOf(change);
    if (!outcome) return;
    ++counts_[*outcome];
    const StoredValue* value = change.to ? change.to : change.from;
    lines_.push_back({*outcome, change.key.fullName(), value ? std::optional(*value) : std::nullopt,
                      change.kind == Kind::ValueAbsent
                          ? std::optional(std::string(change.valueName))
                          : std::nullopt});
  }

  bool changed() const { return counts_[Created] + counts_[Changed] + counts_[Deleted] > 0; }

  std::string text(bool check, const std::string& diff) const {
    std::string text = diff;
    for (const Line& line : lines_) {
      text += std::string(outcomeWords[line.outcome]) + ' ' + console_.shown(line.path);
      if (line.value) {
        text += "    " + shownValueName(line.value->name) + "    " +
                typeNameOfCode(line.value->type) + "    " +
                console_.shown(dataAsText(line.value->type, line.value->data, "\\0"));
      } else if (line.absentValue) {
        text += "    " + shownValueName(*line.absentValue) + "    (value not set)";
      }
      text += '\n';
    }
    text += "\nResult ";
    text += check ? "Checked: " : "Applied: ";
    for (size_t outcome = Created; outcome <= Unchanged; ++outcome) {
      text += (outcome == Created ? "" : ", ") + std::to_string(counts_[outcome]) + " " +
              outcomeWords[outcome];
    }
    return text + (check ? " (nothing was changed)\n" : "\n");
  }

  // {"file", "check", "changed", "counts", "diff" (with --diff), "lines":
  // [{"status", "path", "value"}...]}
  std::string json(const std::string& fileName, bool check, const std::string& diff) const {
    JsonWriter json;
    json.beginObject()
        .member("file", fileName)
        .key("check")
        .boolean(check)
        .key("changed")
        .boolean(changed())
        .key("counts")
        .beginObject();
    for (size_t outcome = Created; outcome <= Unchanged; ++outcome) {
      json.key(outcomeWords[outcome]).unsignedNumber(counts_[outcome]);
    }
    json.endObject();
    if (!diff.empty()) json.member("diff", diff);
    json.key("lines").beginArray();
    for (const Line& line : lines_) {
      json.beginObject().member("status", outcomeWords[line.outcome]).member("path", line.path);
      if (line.value) {
        writeValueJson(json.key("value"), *line.value);
      } else if (line.absentValue) {
        json.key("value").beginObject().member("name", *line.absentValue).endObject();
      }
      json.endObject();
    }
    json.endArray().endObject();
    return json.text();
  }

 private:
  struct Line {
    Outcome outcome;
    std::string path;
    std::optional<StoredValue> value;
    std::optional<std::string> absentValue;  // a value named but on neither side
  };

  std::string shownValueName(const std::string& name) const {
    return name.empty() ? "(Default)" : console_.shown(name);
  }

  const ConsoleStreams& console_;
  std::vector<Line> lines_;
  std::array<size_t, 4> counts_{};
};

// The change as a unified difference of two .reg texts: the keys that
// change as they are, and as they will be; one hunk for each key.
class UnifiedDiff {
 public:
  explicit UnifiedDiff(const std::string& fileName)
      : text_("--- registry\n+++ " + fileName + "\n") {}

  bool add(const StateChange& change, std::string& problem) {
    if (change.isKey()) {
      flush();
      hunkChanges_ = change.changes() || change.keyChanged;
      const bool removed = change.kind == Kind::KeyDeleted;
      const char mark = change.kind == Kind::KeyCreated ? '+' : removed ? '-' : ' ';
      const std::optional<Text> line = regKeyText({change.key, false, 0, {}}, RegFileForm::Version5,
                                                  RegTextData::Exact, problem);
      if (!line) return false;
      if (change.kind != Kind::KeyAbsent) lines(mark, *line);
      return true;
    }
    if (change.kind == Kind::ValueAbsent) return true;
    const bool removes = change.kind == Kind::ValueDeleted || change.kind == Kind::ValueMovedOut;
    const bool changes = change.kind == Kind::ValueChanged;
    if (removes || changes || change.kind == Kind::ValueKept) {
      if (!valueLines(change.key, *change.from, removes || changes ? '-' : ' ', problem)) {
        return false;
      }
    }
    if (!removes && change.kind != Kind::ValueKept) {
      return valueLines(change.key, *change.to, '+', problem);
    }
    return true;
  }

  std::string text() {
    flush();
    return hunks_ ? text_ : "";
  }

 private:
  bool valueLines(const KeyName& key, const StoredValue& value, char mark, std::string& problem) {
    const std::optional<Text> text =
        regValueText(key, {value.name, false, value.type, value.data, 0}, RegFileForm::Version5,
                     RegTextData::Exact, problem);
    if (text) lines(mark, *text);
    return text.has_value();
  }

  void lines(char mark, const Text& text) {
    std::istringstream split(textToUtf8(text));
    for (std::string line; std::getline(split, line);) {
      if (line.ends_with('\r')) line.pop_back();
      hunk_.push_back(mark + line);
      if (mark != '+') ++hunkBefore_;
      if (mark != '-') ++hunkAfter_;
    }
  }

  // The lines are counted in two .reg texts of the keys that change, each
  // key followed by a blank line.
  void flush() {
    if (hunk_.empty()) return;
    if (hunkChanges_) {
      ++hunks_;
      text_ +=
          "@@ -" + range(beforeLine_, hunkBefore_) + " +" + range(afterLine_, hunkAfter_) + " @@\n";
      for (const std::string& line : hunk_) text_ += line + '\n';
      beforeLine_ += hunkBefore_ + (hunkBefore_ ? 1 : 0);
      afterLine_ += hunkAfter_ + (hunkAfter_ ? 1 : 0);
    }
    hunk_.clear();
    hunkBefore_ = hunkAfter_ = 0;
  }

  static std::string range(size_t linesBefore, size_t count) {
    return std::to_string(count ? linesBefore + 1 : linesBefore) + "," + std::to_string(count);
  }

  std::string text_;
  std::vector<std::string> hunk_;
  bool hunkChanges_ = false;
  size_t hunks_ = 0;
  // After the header line and the blank line below it.
  size_t beforeLine_ = 2;
  size_t afterLine_ = 2;
  size_t hunkBefore_ = 0;
  size_t hunkAfter_ = 0;
};

// Writes the changes to the registry, each key opened once for its values.
class Changer {
 public:
  explicit Changer(RegSession& session) : session_(session) {}

  void add(const StateChange& change) {
    if (status_ || change.insideDeleted || !change.changes()) return;
    switch (change.kind) {
      case Kind::KeyDeleted: status_ = deleteTree(session_, change.key); return;
      case Kind::KeyCreated:
        key_.emplace(session_);
        openedName_ = change.key;
        status_ = key_->create(change.key);
        return;
      case Kind::ValueDeleted:
      case Kind::ValueMovedOut:
        status_ = deleteValue(session_, opened(change.key), change.from->name);
        return;
      default: status_ = writeValue(session_, opened(change.key), *change.to);
    }
  }

  RegistryStatus status() const { return status_; }

 private:
  const registry::Key& opened(const KeyName& name) {
    if (!key_ || !sameKey(openedName_, name)) {
      key_.emplace(session_);
      openedName_ = name;
      if (const RegistryStatus status = key_->open(name, true)) status_ = status;
    }
    return key_->key();
  }

  RegSession& session_;
  std::optional<OpenedKey> key_;
  KeyName openedName_;
  RegistryStatus status_ = Success;
};

// The file, read as import reads it; nothing, reported, when it cannot be
// read or has a line that cannot be used, each such line named.
std::optional<RegFile> readWholeFile(RegSession& session, const std::string& word) {
  const std::string fileName = quotedName(word);  // as the messages name it
  const auto refuse = [&](const std::string& where, const std::string& problem) {
    reportError(session, fileName + where + ": " + problem + "; nothing was applied.",
                "cannot apply " + fileName + where);
    return std::nullopt;
  };
  // readRegInput notes why the file could not be read.
  const std::optional<RegInput> input = readRegInput(session, word);
  if (!input) {
    reportError(session, "Error opening the file. There may be a disk or file system error.");
    return std::nullopt;
  }
  if (const auto* tooLarge = std::get_if<RegFileError>(&*input)) {
    return refuse(tooLarge->line ? ", line " + std::to_string(tooLarge->line) : "",
                  tooLarge->message);
  }
  std::variant<RegFile, RegFileError> read = readRegFile(std::get<std::string>(*input));
  if (const auto* problem = std::get_if<RegFileError>(&read)) {
    return refuse(problem->line ? ", line " + std::to_string(problem->line) : "", problem->message);
  }
  RegFile& file = std::get<RegFile>(read);
  if (file.readsNothing) return refuse("", "a REGEDIT header of no known version");
  for (const RegFileSkip& skip : file.skipped) {
    session.console.err << fileName << ", line " << skip.line << ": " << quotedName(skip.reason)
                        << '\n';
  }
  if (!file.skipped.empty()) {
    reportError(session,
                fileName + ": " + std::to_string(file.skipped.size()) +
                    " line(s) could not be used; nothing was applied.",
                "the lines named above could not be used");
    return std::nullopt;
  }
  return std::move(file);
}

void walkAll(const DesiredState& state, Direction direction,
             const std::function<void(const StateChange&)>& visit) {
  for (const DesiredState::RootKey& root : state.roots()) {
    walkChanges(root.name, *root.state, direction, ValueOrder::Kept, visit);
  }
}

}  // namespace

int regApply(const RegArguments& arguments, RegSession& session) {
  ConsoleStreams& console = session.console;
  const std::string fileName = quotedName(arguments.fixed[0]);  // as the messages name it
  const bool check = arguments.has("-check");
  const std::optional<std::string> undoFile =
      arguments.has("-undo") ? std::optional(arguments.value("-undo")) : std::nullopt;
  if (check && undoFile) {
    return reportInvalidSyntax(session, "apply", "--check changes nothing for --undo to undo");
  }
  if (undoFile && isStandardStream(*undoFile)) {
    return reportInvalidSyntax(session, "apply",
                               "--undo needs a file name: standard output carries the report");
  }
  const auto refuse = [&](const std::string& problem) {
    return reportError(session, fileName + ": " + problem + "; nothing was applied.",
                       "cannot apply " + fileName);
  };
  const std::optional<RegFile> file = readWholeFile(session, arguments.fixed[0]);
  if (!file) return regFailed;

  DesiredState state(session);
  if (const RegistryStatus status = state.apply(*file, arguments.has("-exact"))) {
    return reportStatus(session, status);
  }
  Report report(console);
  UnifiedDiff diff(fileName);
  std::string problem;
  bool shown = true;
  walkAll(state, Direction::Forward, [&](const StateChange& change) {
    report.add(change);
    if (shown && arguments.has("-diff")) shown = diff.add(change, problem);
  });
  if (!shown) return refuse("cannot show the change: " + problem);
  if (undoFile) {
    RegFile undo;
    for (const DesiredState::RootKey& root : state.roots()) {
      addPatch(undo, root.name, *root.state, Direction::Backward, ValueOrder::Kept);
    }
    const std::optional<std::string> bytes = regFileBytes(undo, RegTextData::Exact, problem);
    if (!bytes) return refuse("cannot write its undo file: " + problem);
    // writeRegOutput notes why the file could not be written.
    if (!writeRegOutput(session, *undoFile, *bytes)) {
      return reportError(
          session, "Unable to write the file " + quotedName(*undoFile) + "; nothing was applied.");
    }
  }

  if (!check && report.changed()) {
    registry::Transaction transaction;
    Changer changer(session);
    walkAll(state, Direction::Forward, [&](const StateChange& change) { changer.add(change); });
    if (const RegistryStatus status = changer.status()) return reportStatus(session, status);
    std::error_code ec;
    transaction.commit(ec);
    if (ec) {
      session.noteFailure("cannot apply " + fileName + ": " + statusText(ec.value()));
      return reportStatus(session, ec.value());
    }
  }
  const std::string difference = arguments.has("-diff") ? diff.text() : "";
  console.out << (console.json ? report.json(fileName, check, difference)
                               : report.text(check, difference));
  reportSuccess(console);
  return report.changed() ? regChanged : regSucceeded;
}

}  // namespace zarn::cli
