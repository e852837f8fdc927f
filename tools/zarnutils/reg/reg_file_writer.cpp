#include "reg/reg_file.h"

#include <cstdio>

#include "narrow_utf8.h"

namespace zarn::cli {
namespace {

constexpr const char16_t* lineEnd = u"\r\n";
constexpr size_t lastHexColumn = 79;  // the continuation backslash takes column 80

Text quoted(std::u16string_view text) {
  Text result = u"\"";
  for (const char16_t c : text) {
    if (c == u'\\' || c == u'"') result += u'\\';
    result += c;
  }
  return result + u"\"";
}

// Text that a quoted string gives back exactly: one NUL, at the end, and no
// line break (which a quoted string cannot hold).
bool fitsQuotedText(std::string_view data) {
  return !data.empty() && data.find('\0') == data.size() - 1 &&
         data.find_first_of("\r\n") == std::string_view::npos;
}

class FileText {
 public:
  explicit FileText(RegFileForm form) : form_(form) {}

  void writeKey(const KeyName& name, const KeyTree& tree) {
    text_ += u"[" + utf8ToText(name.fullName()) + u"]" + lineEnd;
    for (const StoredValue& value : tree.values) writeValue(value);
    text_ += lineEnd;
    for (const auto& [subKey, subTree] : tree.subKeys) {
      writeKey(name.child(utf8FromNarrow(subKey)), subTree);
    }
  }

  Text& text() { return text_; }

 private:
  void writeValue(const StoredValue& value) {
    const Text name = value.name.empty() ? Text(u"@") : quoted(fromNarrow(value.name));
    if (value.type == value_type::Text && fitsQuotedText(value.data)) {
      const std::string_view data(value.data.data(), value.data.size() - 1);
      text_ += name + u"=" + quoted(fromNarrow(data)) + lineEnd;
    } else if (value.type == value_type::Number && value.data.size() == 4) {
      char digits[16];
      std::snprintf(digits, sizeof digits, "%02x%02x%02x%02x", byte(value.data, 3),
                    byte(value.data, 2), byte(value.data, 1), byte(value.data, 0));
      text_ += name + u"=dword:" + utf8ToText(digits) + lineEnd;
    } else {
      writeHex(name, value);
    }
  }

  void writeHex(const Text& name, const StoredValue& value) {
    char type[16] = "hex:";
    if (value.type != value_type::Binary) {
      std::snprintf(type, sizeof type, "hex(%x):", static_cast<unsigned>(value.type));
    }
    Text line = name + u"=" + utf8ToText(type);
    const std::string bytes = fileBytesOf(value);
    for (size_t i = 0; i < bytes.size(); ++i) {
      char pair[4];
      std::snprintf(pair, sizeof pair, i + 1 < bytes.size() ? "%02x," : "%02x", byte(bytes, i));
      if (line.size() + 3 > lastHexColumn) {
        text_ += line + u"\\" + lineEnd;
        line = u"  ";
      }
      line += utf8ToText(pair);
    }
    text_ += line + lineEnd;
  }

  // The bytes a file holds for the value: text types of version 5.00 as
  // UTF-16LE, everything else as stored.
  std::string fileBytesOf(const StoredValue& value) const {
    if (form_ == RegFileForm::Version5 && isTextType(value.type)) {
      return utf16leBytes(fromNarrow(value.data));
    }
    return value.data;
  }

  static unsigned byte(std::string_view bytes, size_t index) {
    return static_cast<uint8_t>(bytes[index]);
  }

  RegFileForm form_;
  Text text_;
};

}  // namespace

std::string regFileBytes(const KeyName& top, const KeyTree& tree, RegFileForm form) {
  FileText file(form);
  file.text() = form == RegFileForm::Version5 ? Text(u"Windows Registry Editor Version 5.00")
                                              : Text(u"REGEDIT4");
  file.text() += Text(lineEnd) + lineEnd;
  file.writeKey(top, tree);
  if (form == RegFileForm::Regedit4) return toNarrow(file.text());
  return "\xFF\xFE" + utf16leBytes(file.text());
}

}  // namespace zarn::cli
