// Registry paths with type letters and values, as Regedit takes them: a
// tab-separated path, letter and value. Whatever they are, a value that was
// written as text reads back as that text, and every handle is closed again.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "automation/text.h"
#include "fuzz_scratch.h"
#include "platform/registry_service.h"
#include "zarnutils/regedit.h"
#include "zarnutils/variant.h"

namespace {

using namespace zarn;

std::string_view field(std::string_view& rest) {
  const size_t tab = rest.find('\t');
  const std::string_view taken = rest.substr(0, tab);
  rest.remove_prefix(tab == std::string_view::npos ? rest.size() : tab + 1);
  return taken;
}

Text textOf(std::string_view utf8) { return utf8ToText(std::string(utf8)); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ::setenv("ZARNUTILS_REGISTRY_DIR", zarn::fuzz::scratchFolder().c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  const Text path = textOf(field(rest));
  const Text letter = textOf(field(rest));
  const Variant value = Variant::text(textOf(rest));
  Regedit regedit;
  AutomationBoolean written = 0;
  Variant read;
  Text list;
  AutomationBoolean deleted = 0;
  regedit.WriteValue(path, letter, value, written);
  regedit.ReadValue(path, letter, Variant::text(u"default"), read);
  if (written && equalsIgnoringCase(letter, u"S") && !(read == value)) std::abort();
  regedit.EnumKeys(path, u",", list);
  regedit.EnumValues(path, list);
  regedit.DeleteValue(path, deleted);
  regedit.DeleteKey(path, deleted);
  if (RegistryService::openHandleCount() != 0) std::abort();  // a handle was not closed
  return 0;
}
