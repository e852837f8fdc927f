// A program built only against an installed ZarnUtils: it writes and reads a
// registry value and an INI entry through the public headers, then shows
// what a failed call throws. It refuses to run without ZARNUTILS_REGISTRY_DIR,
// so that it never writes to the user's real registry store.
//
//   ZARNUTILS_REGISTRY_DIR=/tmp/registry consumer /tmp/app.ini
#include <zarnutils/zarnutils.h>

#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2 || std::getenv(std::string(zarn::registryDirVariable).c_str()) == nullptr) {
    std::cerr << "usage: " << zarn::registryDirVariable << "=FOLDER consumer INI-FILE\n";
    return 2;
  }
  const std::string iniFile = argv[1];

  zarn::Regedit registry;
  registry.WriteValue("HKCU\\Software\\Example\\App\\Port", "D", 8080);
  const zarn::Variant port = registry.ReadValue("HKCU\\Software\\Example\\App\\Port", "D", 80);
  std::cout << "port " << port.longValue() << ", keys "
            << registry.EnumKeys("HKCU\\Software\\Example") << '\n';

  zarn::IniEdit ini;
  ini.WriteValue(iniFile, "Server", "Port", port);
  const zarn::Variant text = ini.ReadValue(iniFile, "Server", "Port", "S", "none");
  std::cout << "ini " << zarn::textToUtf8(text.textValue()) << '\n';

  try {
    registry.ReadValue("", "S", "");
  } catch (const zarn::AutomationError& failure) {
    std::cout << "error " << failure.number() << ": " << failure.what() << '\n';
  }
}
