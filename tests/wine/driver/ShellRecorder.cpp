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

constexpr const char* kRecordedClass = "NorvanexRecorded";

}  // namespace

void ShellOpenRecorder::Set(const std::string& key, const std::string& value) {
  Saved saved{key, false, std::string()};
  saved.existed = ReadDefault(key, saved.value);
  ok_ = WriteDefault(key, value) && ok_;
  saved_.push_back(saved);
}

ShellOpenRecorder::ShellOpenRecorder(std::initializer_list<const char*> classes) {
  const std::string command = QuoteArg(BesideMe("marker.exe")) + " \"%1\"";
  for (const char* name : classes) {
    if (name[0] == '.') {
      Set(name, kRecordedClass);
      Set(std::string(kRecordedClass) + "\\shell\\open\\command", command);
    } else {
      Set(std::string(name) + "\\shell\\open\\command", command);
    }
  }
}

// In reverse, so that a key set twice gets its first value back.
ShellOpenRecorder::~ShellOpenRecorder() {
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
    if (it->existed) {
      WriteDefault(it->key, it->value);
    } else {
      RegDeleteKeyA(HKEY_CLASSES_ROOT, it->key.c_str());
    }
  }
}

OwnIconType::OwnIconType() {
  RegSetValueA(HKEY_CLASSES_ROOT, kExtension, REG_SZ, "NorvanexTest.Icon", 0);
  RegSetValueA(HKEY_CLASSES_ROOT, "NorvanexTest.Icon\\DefaultIcon", REG_SZ, "C:\\windows\\system32\\shell32.dll,3", 0);
}

OwnIconType::~OwnIconType() {
  RegDeleteKeyA(HKEY_CLASSES_ROOT, "NorvanexTest.Icon\\DefaultIcon");
  RegDeleteKeyA(HKEY_CLASSES_ROOT, "NorvanexTest.Icon");
  RegDeleteKeyA(HKEY_CLASSES_ROOT, kExtension);
}

}  // namespace driver
