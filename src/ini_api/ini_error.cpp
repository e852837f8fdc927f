// The INI API's error category and exception: the words every caller reads
// for a refusal or a failed write.
#include <string>

#include "platform/profile_write_error.h"
#include "zarnutils/ini_file.h"

namespace zarn::ini {
namespace {

class IniCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "ini"; }

  std::string message(int code) const override {
    if (code > 0) return profileWriteErrorText(code);
    switch (static_cast<Refusal>(code)) {
      case Refusal::NotUtf8: return "not valid UTF-8";
      case Refusal::FileName: return "a file name holding a NUL";
      case Refusal::SectionName: return "a section name the file format cannot hold";
      case Refusal::KeyName: return "a key name the file format cannot hold";
      case Refusal::Value: return "a value the file format cannot hold";
      case Refusal::Name: return "a name the file format cannot hold";
      case Refusal::NotInCodePage: return "text the system code page cannot hold";
    }
    return code == 0 ? "success" : "ini refusal " + std::to_string(code);
  }
};

}  // namespace

const std::error_category& iniCategory() {
  static const IniCategory category;
  return category;
}

std::error_code make_error_code(Refusal refusal) {
  return {static_cast<int>(refusal), iniCategory()};
}

Error::Error(std::error_code code, std::string file)
    : std::system_error(code, file), file_(std::move(file)) {}

}  // namespace zarn::ini
