#include "ini_apply.h"

#include <dtl/dtl.hpp>

#include <sstream>
#include <string_view>
#include <vector>

#include "json_writer.h"

namespace zarn::cli {
namespace {

const char* wordOf(ini::Outcome outcome) {
  switch (outcome) {
    case ini::Outcome::Created: return "created";
    case ini::Outcome::Changed: return "changed";
    case ini::Outcome::Deleted: return "deleted";
    case ini::Outcome::Unchanged: break;
  }
  return "unchanged";
}

// "created [Server] Port=8080", "changed [Server] Port=8081 (was 8080)",
// "deleted [Server] Debug", "unchanged [Old] (not there)".
std::string reportLine(const ini::Changes::Change& change, const ini::ChangeResult& result,
                       const ConsoleStreams& console) {
  std::string line = wordOf(result.outcome);
  line += " [" + console.shown(change.section) + "]";
  if (change.key) line += " " + console.shown(*change.key);
  if (change.key && change.value) {
    line += "=" + console.shown(*change.value);
    if (result.outcome == ini::Outcome::Changed && result.before)
      line += " (was " + console.shown(*result.before) + ")";
  } else if (result.outcome == ini::Outcome::Unchanged) {
    line += " (not there)";
  }
  return line;
}

std::vector<std::string> linesOf(std::string_view text, const ConsoleStreams& console) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const size_t end = std::min(text.find_first_of("\r\n"), text.size());
    lines.push_back(console.shown(text.substr(0, end)));
    text.remove_prefix(end);
    if (text.starts_with("\r\n"))
      text.remove_prefix(2);
    else if (!text.empty())
      text.remove_prefix(1);
  }
  return lines;
}

// The file's text before and after as a unified difference, "--- FILE",
// "+++ FILE" and hunks with three lines of context; "" when they are alike.
std::string unifiedDifference(const std::string& file, const ini::Applied& applied,
                              const ConsoleStreams& console) {
  if (applied.before == applied.after) return "";
  using Diff = dtl::Diff<std::string, std::vector<std::string>>;
  Diff diff(linesOf(applied.before, console), linesOf(applied.after, console));
  diff.compose();
  diff.composeUnifiedHunks();
  auto hunks = diff.getUniHunks();
  // An empty side (a new file, or one emptied) starts at line 0, as diff
  // and patch number it.
  for (auto& hunk : hunks) {
    if (hunk.b == 0) hunk.a = 0;
    if (hunk.d == 0) hunk.c = 0;
  }
  std::ostringstream text;
  text << "--- " << console.shown(file) << "\n+++ " << console.shown(file) << '\n';
  Diff::printUnifiedFormat(hunks, text);
  return text.str();
}

void printJson(const std::string& file, const ini::Changes& changes, const ini::Applied& applied,
               const ApplyOptions& options, ConsoleStreams& console) {
  JsonWriter json;
  json.beginObject()
      .member("file", file)
      .key("changed")
      .boolean(applied.changed)
      .key("written")
      .boolean(applied.changed && !options.check)
      .key("changes")
      .beginArray();
  for (size_t at = 0; at < changes.list().size(); ++at) {
    const ini::Changes::Change& change = changes.list()[at];
    const ini::ChangeResult& result = applied.results[at];
    json.beginObject().member("outcome", wordOf(result.outcome)).member("section", change.section);
    if (change.key) {
      json.member("key", *change.key).key("value");
      if (change.value)
        json.string(*change.value);
      else
        json.null();
      json.key("before");
      if (result.before)
        json.string(*result.before);
      else
        json.null();
    }
    json.endObject();
  }
  json.endArray();
  if (options.diff) json.member("diff", unifiedDifference(file, applied, console));
  json.endObject();
  console.out << json.text();
}

// What could not be done: the one change, or the one refused (each is
// checked alone to find it), or "cannot apply the changes".
std::string failedChange(const std::string& file, const ini::Changes& changes,
                         std::error_code failure) {
  const ini::Changes::Change* named = changes.list().size() == 1 ? &changes.list()[0] : nullptr;
  for (size_t at = 0; named == nullptr && failure.value() < 0 && at < changes.list().size(); ++at) {
    const ini::Changes::Change& change = changes.list()[at];
    ini::Changes alone;
    if (!change.key)
      alone.deleteSection(change.section);
    else if (!change.value)
      alone.deleteEntry(change.section, *change.key);
    else
      alone.set(change.section, *change.key, *change.value);
    std::error_code refusal;
    ini::File(file).apply(alone, ini::ApplyMode::Check, refusal);
    if (refusal) named = &change;
  }
  if (named == nullptr) return "cannot apply the changes";
  if (named->key && named->value)
    return "cannot write " + quotedName(*named->key) + " in [" + quotedName(named->section) + "]";
  return "cannot delete from [" + quotedName(named->section) + "]";
}

}  // namespace

int applyChanges(const std::string& file, const ini::Changes& changes, const ApplyOptions& options,
                 ConsoleStreams& console) {
  std::error_code failure;
  const ini::Applied applied = ini::File(file).apply(
      changes, options.check ? ini::ApplyMode::Check : ini::ApplyMode::Write, failure);
  if (failure) {
    console.err << "zarnutils ini: " << quotedName(file) << ": "
                << failedChange(file, changes, failure) << ": " << failure.message() << '\n';
    return 1;
  }
  if (console.json) {
    printJson(file, changes, applied, options, console);
  } else if (options.diff) {
    console.out << unifiedDifference(file, applied, console);
  } else if (!console.quiet) {
    for (size_t at = 0; at < changes.list().size(); ++at)
      console.out << reportLine(changes.list()[at], applied.results[at], console) << '\n';
  }
  return options.detailedExitCodes && applied.changed ? iniChangedExitCode : 0;
}

}  // namespace zarn::cli
