// Shell associations redirected to marker.exe, so a test sees what a program asked the shell to open.
#include "driver/Driver.h"

namespace driver {
namespace {

bool ReadDefault(const std::string& key, std::string& value) {
  HKEY handle;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return false;
  char buffer[2048];
  DWORD size = sizeof buffer, type = 0;
  const LONG status = RegQueryValueExA(handle, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(handle);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  value.assign(buffer, size > 0 && buffer[size - 1] == '\0' ? size - 1 : size);
  return true;
}

bool WriteDefault(const std::string& key, const std::string& value) {
  HKEY handle;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LONG status = RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                     static_cast<DWORD>(value.size() + 1));
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

}  // namespace

ShellOpenRecorder::ShellOpenRecorder(std::initializer_list<const char*> classes) {
  const std::string command = QuoteArg(BesideMe("marker.exe")) + " \"%1\"";
  for (const char* name : classes) {
    Saved saved{std::string(name) + "\\shell\\open\\command", false, std::string()};
    saved.existed = ReadDefault(saved.key, saved.value);
    ok_ = WriteDefault(saved.key, command) && ok_;
    saved_.push_back(saved);
  }
}

ShellOpenRecorder::~ShellOpenRecorder() {
  for (const Saved& saved : saved_) {
    if (saved.existed) {
      WriteDefault(saved.key, saved.value);
    } else {
      WriteDefault(saved.key, "");
    }
  }
}

}  // namespace driver
