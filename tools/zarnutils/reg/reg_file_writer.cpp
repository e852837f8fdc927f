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

unsigned byteAt(std::string_view bytes, size_t index) { return static_cast<uint8_t>(bytes[index]); }

// Whether REG_SZ data is one text and its NUL, as a quoted string reads back.
bool isPlainText(std::string_view data) {
  const Text text = textOfUtf16le(data);
  return !text.empty() && text.find(u'\0') == text.size() - 1 && data.size() % 2 == 0;
}

class FileText {
 public:
  FileText(RegFileForm form, RegTextData textData) : form_(form), textData_(textData) {}

  void writeKeyLine(const KeyName& name, bool remove) {
    // The key name ends at the line's last ']', so a ']' in it reads back.
    if (name.path.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) {
      throw Refusal{"the key name " + shownName(name.fullName()) +
                    " holds a line break or a NUL, which a .reg file cannot carry"};
    }
    text_ += (remove ? u"[-" : u"[") + utf8ToText(name.fullName()) + u"]" + lineEnd;
  }

  void writeValue(const KeyName& key, const RegFileValue& value) {
    if (value.name.find('\0') != std::string::npos) {
      throw Refusal{"the value name " + shownName(value.name) + " of " + shownName(key.fullName()) +
                    " holds a NUL, which a .reg file cannot carry"};
    }
    const Text name = value.name.empty() ? Text(u"@") : quoted(utf8ToText(value.name));
    if (value.remove) {
      text_ += name + u"=-" + lineEnd;
    } else if (value.type == ValueType::Text &&
               (textData_ == RegTextData::UpToNul || isPlainText(value.data))) {
      // As regedit writes it: its text up to the first NUL.
      text_ += name + u"=" + quoted(textUpToNul(value.data)) + lineEnd;
    } else if (value.type == ValueType::Number && value.data.size() == 4) {
      char digits[16];
      std::snprintf(digits, sizeof digits, "%02x%02x%02x%02x", byteAt(value.data, 3),
                    byteAt(value.data, 2), byteAt(value.data, 1), byteAt(value.data, 0));
      text_ += name + u"=dword:" + utf8ToText(digits) + lineEnd;
    } else {
      writeHex(name, value);
    }
  }

  Text& text() { return text_; }

 private:
  void writeHex(const Text& name, const RegFileValue& value) {
    char type[16] = "hex:";
    if (value.type != ValueType::Binary) {
      std::snprintf(type, sizeof type, "hex(%x):", static_cast<unsigned>(value.type));
    }
    Text line = name + u"=" + utf8ToText(type);
    const std::string bytes = fileBytesOf(value);
    for (size_t i = 0; i < bytes.size(); ++i) {
      char pair[4];
      std::snprintf(pair, sizeof pair, i + 1 < bytes.size() ? "%02x," : "%02x", byteAt(bytes, i));
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
  std::string fileBytesOf(const RegFileValue& value) const {
    if (form_ == RegFileForm::Regedit4 && isTextType(value.type)) {
      return toNarrow(textOfUtf16le(value.data));
    }
    return value.data;
  }

  RegFileForm form_;
  RegTextData textData_;
  Text text_;
};

template <typename Write>
std::optional<Text> written(RegFileForm form, RegTextData textData, std::string& problem,
                            Write write) {
  FileText file(form, textData);
  try {
    write(file);
  } catch (const Refusal& refusal) {
    problem = refusal.problem;
    return std::nullopt;
  }
  return std::move(file.text());
}

void addTree(RegFile& file, const KeyName& name, const KeyTree& tree) {
  RegFileKey& key = file.keys.emplace_back();
  key.key = name;
  for (const StoredValue& value : tree.values) {
    key.values.push_back({value.name, false, value.type, value.data});
  }
  for (const auto& [subKey, subTree] : tree.subKeys) addTree(file, name.child(subKey), subTree);
}

}  // namespace

std::optional<Text> regKeyText(const RegFileKey& key, RegFileForm form, RegTextData textData,
                               std::string& problem) {
  return written(form, textData, problem, [&](FileText& file) {
    file.writeKeyLine(key.key, key.remove);
    for (const RegFileValue& value : key.values) file.writeValue(key.key, value);
  });
}

std::optional<Text> regValueText(const KeyName& key, const RegFileValue& value, RegFileForm form,
                                 RegTextData textData, std::string& problem) {
  return written(form, textData, problem, [&](FileText& file) { file.writeValue(key, value); });
}

std::optional<std::string> regFileBytes(const RegFile& file, RegTextData textData,
                                        std::string& problem) {
  const bool version5 = file.form == RegFileForm::Version5;
  Text text = version5 ? Text(u"Windows Registry Editor Version 5.00") : Text(u"REGEDIT4");
  text += Text(lineEnd) + lineEnd;
  for (const RegFileKey& key : file.keys) {
    const std::optional<Text> keyText = regKeyText(key, file.form, textData, problem);
    if (!keyText) return std::nullopt;
    text += *keyText + lineEnd;
  }
  if (!version5) return toNarrow(text);
  return "\xFF\xFE" + utf16leBytes(text);
}

std::optional<std::string> regFileBytes(const KeyName& top, const KeyTree& tree, RegFileForm form,
                                        std::string& problem) {
  RegFile file;
  file.form = form;
  addTree(file, top, tree);
  return regFileBytes(file, RegTextData::UpToNul, problem);
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
