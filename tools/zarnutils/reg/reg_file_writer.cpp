// Writes .reg files as regedit exports them, but never one that reads back
// differently: names are escaped in the ways the platform's import reads
// (\\ \" \r \n), and a name no escape can carry (a key name holding a line
// break or a NUL, a value name holding a NUL) refuses the whole export.
#include "reg/reg_file.h"

#include <cstdio>

namespace zarn::cli {
namespace {

constexpr const char16_t* lineEnd = u"\r\n";
constexpr size_t lastHexColumn = 79;  // the continuation backslash takes column 80

Text quoted(std::u16string_view text) {
  Text result = u"\"";
  for (const char16_t c : text) {
    if (c == u'\r') {
      result += u"\\r";
    } else if (c == u'\n') {
      result += u"\\n";
    } else {
      if (c == u'\\' || c == u'"') result += u'\\';
      result += c;
    }
  }
  return result + u"\"";
}

struct Refusal {
  std::string problem;
};

class FileText {
 public:
  explicit FileText(RegFileForm form) : form_(form) {}

  void writeKey(const KeyName& name, const KeyTree& tree) {
    // The key name ends at the line's last ']', so a ']' in it reads back.
    if (name.path.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
      throw Refusal{"the key name " + shownName(name.fullName()) +
                    " holds a line break or a NUL, which a .reg file cannot carry"};
    }
    key_ = &name;
    text_ += u"[" + utf8ToText(name.fullName()) + u"]" + lineEnd;
    for (const StoredValue& value : tree.values) writeValue(value);
    text_ += lineEnd;
    for (const auto& [subKey, subTree] : tree.subKeys) {
      writeKey(name.child(subKey), subTree);
    }
  }

  Text& text() { return text_; }

 private:
  void writeValue(const StoredValue& value) {
    if (value.name.find('\0') != std::string::npos) {
      throw Refusal{"the value name " + shownName(value.name) + " of " +
                    shownName(key_->fullName()) + " holds a NUL, which a .reg file cannot carry"};
    }
    const Text name = value.name.empty() ? Text(u"@") : quoted(utf8ToText(value.name));
    // A REG_SZ is written as regedit writes it: its text up to the first NUL.
    if (value.type == ValueType::Text) {
      text_ += name + u"=" + quoted(textUpToNul(value.data)) + lineEnd;
    } else if (value.type == ValueType::Number && value.data.size() == 4) {
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
    if (value.type != ValueType::Binary) {
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

  // The bytes a file holds for the value: text types of REGEDIT4 in the
  // narrow code page, everything else in Windows' own form.
  std::string fileBytesOf(const StoredValue& value) const {
    if (form_ == RegFileForm::Regedit4 && isTextType(value.type)) {
      return toNarrow(textOfUtf16le(value.data));
    }
    return value.data;
  }

  static unsigned byte(std::string_view bytes, size_t index) {
    return static_cast<uint8_t>(bytes[index]);
  }

  RegFileForm form_;
  Text text_;
  const KeyName* key_ = nullptr;
};

}  // namespace

std::optional<std::string> regFileBytes(const KeyName& top, const KeyTree& tree, RegFileForm form,
                                        std::string& problem) {
  FileText file(form);
  file.text() = form == RegFileForm::Version5 ? Text(u"Windows Registry Editor Version 5.00")
                                              : Text(u"REGEDIT4");
  file.text() += Text(lineEnd) + lineEnd;
  try {
    file.writeKey(top, tree);
  } catch (const Refusal& refusal) {
    problem = refusal.problem;
    return std::nullopt;
  }
  if (form == RegFileForm::Regedit4) return toNarrow(file.text());
  return "\xFF\xFE" + utf16leBytes(file.text());
}

std::string shownName(std::string_view name) {
  std::string shown;
  for (const char c : name) {
    if (c == '\r') {
      shown += "\\r";
    } else if (c == '\n') {
      shown += "\\n";
    } else if (c == '\0') {
      shown += "\\0";
    } else {
      shown += c;
    }
  }
  return shown;
}

}  // namespace zarn::cli
