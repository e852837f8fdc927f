// On Windows the profile service is kernel32's own profile functions.
#include "platform/profile_service.h"

#include <windows.h>

namespace zarn {

uint32_t ProfileService::GetPrivateProfileStringA(const char* section, const char* key,
                                                  const char* defaultText, char* buffer,
                                                  uint32_t size, const char* file) {
  return ::GetPrivateProfileStringA(section, key, defaultText, buffer, size, file);
}

uint32_t ProfileService::GetPrivateProfileIntA(const char* section, const char* key,
                                               int32_t defaultValue, const char* file) {
  return ::GetPrivateProfileIntA(section, key, defaultValue, file);
}

bool ProfileService::WritePrivateProfileStringA(const char* section, const char* key,
                                                const char* value, const char* file) {
  return ::WritePrivateProfileStringA(section, key, value, file) != 0;
}

uint32_t ProfileService::GetPrivateProfileSectionNamesA(char* buffer, uint32_t size,
                                                        const char* file) {
  return ::GetPrivateProfileSectionNamesA(buffer, size, file);
}

uint32_t ProfileService::GetPrivateProfileSectionA(const char* section, char* buffer, uint32_t size,
                                                   const char* file) {
  return ::GetPrivateProfileSectionA(section, buffer, size, file);
}

}  // namespace zarn
