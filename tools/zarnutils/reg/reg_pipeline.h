// What the reg verbs add to reg.exe for pipelines: a second line on standard
// error saying what failed and why, "-" for standard input and output, and
// --json for query and compare. reg.exe's own output and messages stay as
// they are; these only add to them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "console_streams.h"
#include "json_writer.h"
#include "reg/reg.h"
#include "reg/reg_file.h"

namespace zarn::cli {

// ---- What failed (reg_pipeline.cpp; the note is RegSession's) ----

// Why /d text is not data of the type ("REG_DWORD data 'abc' is not a number").
std::string dataProblem(ValueType type, std::string_view text, std::string_view separator);

// ---- Standard input and output (reg_pipeline.cpp) ----

// "-": standard input for import, standard output for export.
inline bool isStandardStream(std::string_view fileName) { return fileName == "-"; }
// What a .reg file read gave: its bytes, or the bound of reg_file.h it passed.
using RegInput = std::variant<std::string, RegFileError>;
// The file's bytes, or all of standard input for "-", read within those
// bounds; nothing, with a note naming the file and the reason, when it cannot
// be read or is no regular file.
std::optional<RegInput> readRegInput(RegSession& session, const std::string& fileName);
// Writes the bytes to the file, or unchanged to standard output for "-"
// (whose messages then go to standard error); false, with a note, when the
// file cannot be written.
bool writeRegOutput(RegSession& session, const std::string& fileName, std::string_view bytes);

// ---- JSON (reg_json.cpp); the schema is in docs/cli.md ----

// {"name", "type", "data"}: the data as JSON: text, a number, an array of
// strings for REG_MULTI_SZ, hexadecimal text for everything else.
void writeValueJson(JsonWriter& json, const StoredValue& value);
// Why query's words, without /f, hold a switch of a search (/k, /d, /c,
// /e, /t, /v without a name) or both /v and /ve; "" when they do not.
std::string searchSwitchProblem(const RegArguments& arguments);
// reg query --json: the key as one object ({"path", "values", "subkeys"}),
// with /s the whole tree, with /v or /ve only that value.
int queryAsJson(const RegArguments& arguments, RegSession& session, const KeyName& name);

// reg compare --json: each line of the comparison as an object, then the
// result.
class CompareJson {
 public:
  void add(char side, const KeyName& key, const StoredValue* value);
  // {"first", "second", "identical", "lines": [{"side", "path", "value"}...]}
  std::string document(const KeyName& first, const KeyName& second, bool different) const;

 private:
  struct Line {
    char side;
    std::string path;
    std::optional<StoredValue> value;  // nothing for a line about a subkey
  };
  std::vector<Line> lines_;
};

}  // namespace zarn::cli
