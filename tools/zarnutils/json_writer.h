// The verbs' --json output: one compact JSON document per command, built
// piece by piece so that the reg and ini verbs write the same forms. The
// schema is documented once, in docs/cli.md.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zarn::cli {

// A JSON string: quote, backslash and control characters escaped, every
// other character left as UTF-8.
std::string jsonString(std::string_view utf8);

// Writes values in order and puts the commas and colons between them; a
// member of an object is key() followed by its value.
class JsonWriter {
 public:
  JsonWriter& beginObject();
  JsonWriter& endObject();
  JsonWriter& beginArray();
  JsonWriter& endArray();
  JsonWriter& key(std::string_view name);
  JsonWriter& string(std::string_view utf8);
  JsonWriter& number(int64_t value);
  // Registry numbers are unsigned; a REG_QWORD may not fit int64_t.
  JsonWriter& unsignedNumber(uint64_t value);
  JsonWriter& boolean(bool value);
  JsonWriter& null();
  // key(name).string(utf8), the commonest member.
  JsonWriter& member(std::string_view name, std::string_view utf8);

  // The document so far, and a line end once it is complete.
  const std::string& text() const { return text_; }

 private:
  void beforeValue();
  void open(char bracket);
  void close(char bracket);

  std::string text_;
  std::vector<bool> emptyLevels_;  // one per open object or array: nothing in it yet
  bool afterKey_ = false;
};

}  // namespace zarn::cli
