// What a screen reader reads of another process's window, through MSAA as oleacc gives it.
#include "driver/Driver.h"

#include <objbase.h>
#include <oleacc.h>

namespace driver {
namespace {

// The apartment for the calls of one question; oleacc's proxies are COM objects of this thread.
struct Apartment {
  Apartment() : ok(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~Apartment() {
    if (ok) CoUninitialize();
  }
  bool ok;
};

// Asks `ask` of the object that `window` answers for `objectId`; false when there is none.
template <class Ask>
bool WithObject(HWND window, LONG objectId, Ask&& ask) {
  Apartment apartment;
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(objectId), IID_IAccessible,
                                        reinterpret_cast<void**>(&object))) ||
      !object) {
    return false;
  }
  const bool answered = ask(*object);
  object->Release();
  return answered;
}

VARIANT Child(LONG child) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = child;
  return v;
}

}  // namespace

std::optional<std::wstring> AccessibleName(HWND window, LONG objectId, LONG child) {
  std::optional<std::wstring> name;
  WithObject(window, objectId, [&](IAccessible& object) {
    BSTR text = nullptr;
    if (object.get_accName(Child(child), &text) != S_OK) return false;
    name = std::wstring(text ? text : L"", text ? SysStringLen(text) : 0);
    SysFreeString(text);
    return true;
  });
  return name;
}

std::optional<LONG> AccessibleState(HWND window, LONG objectId, LONG child) {
  std::optional<LONG> state;
  WithObject(window, objectId, [&](IAccessible& object) {
    VARIANT answer;
    VariantInit(&answer);
    if (object.get_accState(Child(child), &answer) != S_OK || answer.vt != VT_I4) return false;
    state = answer.lVal;
    return true;
  });
  return state;
}

}  // namespace driver
