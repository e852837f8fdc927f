#include "json_writer.h"

namespace zarn::cli {

std::string jsonString(std::string_view utf8) {
  std::string quoted = "\"";
  for (const char c : utf8) {
    switch (c) {
      case '"': quoted += "\\\""; break;
      case '\\': quoted += "\\\\"; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      case '\b': quoted += "\\b"; break;
      case '\f': quoted += "\\f"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          static constexpr char hex[] = "0123456789abcdef";
          quoted += "\\u00";
          quoted += hex[(c >> 4) & 0xF];
          quoted += hex[c & 0xF];
        } else {
          quoted += c;
        }
    }
  }
  return quoted + '"';
}

void JsonWriter::beforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (emptyLevels_.empty()) return;
  if (!emptyLevels_.back()) text_ += ',';
  emptyLevels_.back() = false;
}

void JsonWriter::open(char bracket) {
  beforeValue();
  text_ += bracket;
  emptyLevels_.push_back(true);
}

void JsonWriter::close(char bracket) {
  text_ += bracket;
  emptyLevels_.pop_back();
  if (emptyLevels_.empty()) text_ += '\n';
}

JsonWriter& JsonWriter::beginObject() {
  open('{');
  return *this;
}

JsonWriter& JsonWriter::endObject() {
  close('}');
  return *this;
}

JsonWriter& JsonWriter::beginArray() {
  open('[');
  return *this;
}

JsonWriter& JsonWriter::endArray() {
  close(']');
  return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
  beforeValue();
  text_ += jsonString(name);
  text_ += ':';
  afterKey_ = true;
  return *this;
}

JsonWriter& JsonWriter::string(std::string_view utf8) {
  beforeValue();
  text_ += jsonString(utf8);
  return *this;
}

JsonWriter& JsonWriter::number(int64_t value) {
  beforeValue();
  text_ += std::to_string(value);
  return *this;
}

JsonWriter& JsonWriter::unsignedNumber(uint64_t value) {
  beforeValue();
  text_ += std::to_string(value);
  return *this;
}

JsonWriter& JsonWriter::boolean(bool value) {
  beforeValue();
  text_ += value ? "true" : "false";
  return *this;
}

JsonWriter& JsonWriter::null() {
  beforeValue();
  text_ += "null";
  return *this;
}

JsonWriter& JsonWriter::member(std::string_view name, std::string_view utf8) {
  return key(name).string(utf8);
}

}  // namespace zarn::cli
