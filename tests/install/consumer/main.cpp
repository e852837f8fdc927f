// A program built only against an installed ZarnUtils: it places its
// registry store in the folder it is given, writes and reads a registry
// value and an INI entry through the public headers, lists a key, then
// shows what a failed call throws.
//
//   consumer STORE-FOLDER INI-FILE
#include <zarnutils/zarnutils.h>

#include <iostream>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: consumer STORE-FOLDER INI-FILE\n";
    return 2;
  }
  zarn::setRegistryDirectory(argv[1]);
  const std::string iniFile = argv[2];

  zarn::Regedit registry;
  registry.WriteValue("HKCU\\Software\\Example\\App\\Port", "D", 8080);
  const zarn::Variant port = registry.ReadValue("HKCU\\Software\\Example\\App\\Port", "D", 80);
  std::cout << "port " << port << ", keys";
  for (const std::string& key : registry.ListKeys("HKCU\\Software\\Example")) {
    std::cout << ' ' << key;
  }
  std::cout << '\n';

  zarn::IniEdit ini;
  ini.WriteValue(iniFile, "Server", "Port", port);
  std::cout << "ini " << ini.ReadValue(iniFile, "Server", "Port", "S", "none") << '\n';

  try {
    registry.ReadValue("", "S", "");
  } catch (const zarn::AutomationError& failure) {
    std::cout << "error " << failure.number() << ": " << failure.what() << '\n';
  }
}
