// A high-contrast scheme on the bench: the system colours of a black scheme and the high-contrast
// flag, for programs started while it lives.
#include "driver/Driver.h"

namespace driver {
namespace {

constexpr char kColorsKey[] = "Control Panel\\Colors";

// Windows' classic "High Contrast Black": white text on black, green grey text, yellow links.
const struct {
  const char* name;
  const char* rgb;
} kBlackScheme[] = {
    {"Background", "0 0 0"},          {"Window", "0 0 0"},           {"WindowText", "255 255 255"},
    {"ButtonFace", "0 0 0"},          {"ButtonText", "255 255 255"}, {"ButtonShadow", "128 128 128"},
    {"ButtonHilight", "255 255 255"}, {"ButtonLight", "192 192 192"}, {"ButtonDkShadow", "255 255 255"},
    {"GrayText", "0 255 0"},          {"Hilight", "128 0 128"},       {"HilightText", "255 255 255"},
    {"HotTrackingColor", "255 255 0"}, {"Menu", "0 0 0"},             {"MenuText", "255 255 255"},
    {"MenuBar", "0 0 0"},             {"MenuHilight", "128 0 128"},   {"InfoWindow", "0 0 0"},
    {"InfoText", "255 255 255"},      {"WindowFrame", "255 255 255"}, {"ActiveTitle", "128 0 128"},
    {"TitleText", "255 255 255"},     {"GradientActiveTitle", "128 0 128"}, {"InactiveTitle", "0 128 0"},
    {"InactiveTitleText", "255 255 255"}, {"GradientInactiveTitle", "0 128 0"}, {"ActiveBorder", "192 192 192"},
    {"InactiveBorder", "192 192 192"}, {"AppWorkSpace", "0 0 0"},     {"ButtonAlternateFace", "0 0 0"},
};

std::optional<std::string> ReadColor(HKEY key, const char* name) {
  char value[64] = {};
  DWORD size = sizeof value - 1, type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  return std::string(value);
}

bool SetHighContrastFlag(bool on) {
  HIGHCONTRASTA contrast{};
  contrast.cbSize = sizeof contrast;
  contrast.dwFlags = on ? HCF_HIGHCONTRASTON : 0;
  return SystemParametersInfoA(SPI_SETHIGHCONTRAST, sizeof contrast, &contrast, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE) !=
         FALSE;
}

}  // namespace

HighContrastScope::HighContrastScope() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kColorsKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  for (const auto& color : kBlackScheme) {
    saved_.push_back({color.name, ReadColor(key, color.name)});
    RegSetValueExA(key, color.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(color.rgb),
                   static_cast<DWORD>(strlen(color.rgb) + 1));
  }
  RegCloseKey(key);
  flagSet_ = SetHighContrastFlag(true);
}

HighContrastScope::~HighContrastScope() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kColorsKey, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
    for (const Saved& color : saved_) {
      if (color.value) {
        RegSetValueExA(key, color.name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(color.value->c_str()),
                       static_cast<DWORD>(color.value->size() + 1));
      } else {
        RegDeleteValueA(key, color.name.c_str());
      }
    }
    RegCloseKey(key);
  }
  SetHighContrastFlag(false);
}

bool HighContrastOnNow() {
  HIGHCONTRASTA contrast{};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace driver
