// Build step: writes the type library and each class's interface identifier
// list into the folder named by its one argument, for the resource compiler,
// and the registration entries, for the MSI package.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <string>

#include "automation/text.h"
#include "component/class_description.h"
#include "component/com/platform_forms.h"
#include "component/com/registration_entries.h"
#include "component/com/type_library_builder.h"

namespace {

// The content of a class's "_IID_<CLASS>" resource: a 32-bit byte count,
// then the 16-byte identifiers of the interfaces the class answers to.
std::string interfaceIdList(const zarn::ClassDescription& description) {
  const uint32_t byteCount =
      static_cast<uint32_t>(description.answeredInterfaceIds.size() * sizeof(GUID));
  std::string list(sizeof byteCount, '\0');
  std::memcpy(list.data(), &byteCount, sizeof byteCount);
  for (const zarn::identity::Guid* id : description.answeredInterfaceIds) {
    const GUID guid = zarn::com::toGuid(*id);
    list.append(reinterpret_cast<const char*>(&guid), sizeof guid);
  }
  return list;
}

std::wstring widePath(const std::string& path) {
  const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  std::wstring result(length > 0 ? static_cast<size_t>(length - 1) : 0, L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, result.data(), length);
  return result;
}

std::string utf8(const std::wstring& text) {
  return zarn::textToUtf8(std::u16string(text.begin(), text.end()));
}

// One line per entry: key, value name (empty for the default value) and
// value, separated by tabs, below the classes root. The server's path and
// folder stand as @SERVER_PATH@ and @SERVER_FOLDER@, for the package to
// fill in with its own.
std::string registrationEntryLines() {
  std::string lines;
  for (const auto& entry : zarn::com::registrationEntries(L"@SERVER_PATH@", L"@SERVER_FOLDER@")) {
    lines += utf8(entry.key) + '\t' + utf8(entry.name) + '\t' + utf8(entry.value) + '\n';
  }
  return lines;
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "\\";
  try {
    const std::string libraryName = zarn::textToUtf8(zarn::identity::libraryName);
    zarn::com::writeTypeLibrary(widePath(folder + libraryName + ".tlb"));
    for (const zarn::ClassDescription* description : zarn::describedClasses()) {
      writeFile(folder + zarn::textToUtf8(description->className) + ".iids",
                interfaceIdList(*description));
    }
    writeFile(folder + "registration-entries.txt", registrationEntryLines());
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return 1;
  }
  return 0;
}
