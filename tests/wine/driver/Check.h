// A small check framework for the Win32 test programs: named cases, CHECK/CHECK_EQ that print
// file:line and both values, and a closing "N passed, N failed" line with a matching exit code.
//
//   CASE(StartsHidden) {
//     REQUIRE(process);                 // ends this case at once when it fails
//     CHECK_EQ(driver::Text(hwnd), "Norvanex 4.3 - New Shortcut");
//   }
//
// main() comes from CheckMain.cpp: `test.exe [--list] [NAME...]` runs the cases whose name contains
// one of the NAMEs (all when none is given), in the order they appear in the source.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

namespace check {

using CaseFn = void (*)();

struct Registrar {
  Registrar(const char* name, CaseFn fn, const char* file, int line);
};

// Thrown by REQUIRE to end the current case; the runner counts the case as failed.
struct Abort {};

// Prints a line to the test's output at once (output goes to a file that ctest shows).
void Log(const std::string& text);

// Records a failed check of the current case and prints it.
void Fail(const char* file, int line, const std::string& message);

// Runs the registered cases; returns the process exit code (0 when every case passed).
int RunAll(int argc, char** argv);

// Text of a value for a failure message: strings quoted with unprintable bytes as \xNN (so CP1252
// umlauts stay readable), characters as numbers too, pointers in hex.
std::string Quote(const std::string& text);
std::string ShowChars(const char* text);  // Quote, or (null)
bool SameChars(const char* a, const char* b);  // by content; two nulls are equal

template <class T>
struct IsVector : std::false_type {};
template <class T, class A>
struct IsVector<std::vector<T, A>> : std::true_type {};

template <class T>
std::string Show(const T& value) {
  using U = std::decay_t<T>;
  if constexpr (IsVector<U>::value) {
    std::string out = "{";
    for (size_t i = 0; i < value.size(); ++i) {
      out += (i ? ", " : "");
      if constexpr (std::is_same_v<typename U::value_type, bool>) {
        out += value[i] ? "true" : "false";
      } else {
        out += Show(value[i]);
      }
    }
    return out + "}";
  } else if constexpr (std::is_same_v<U, std::string>) {
    return Quote(value);
  } else if constexpr (std::is_same_v<U, const char*> || std::is_same_v<U, char*>) {
    return ShowChars(value);
  } else if constexpr (std::is_same_v<U, bool>) {
    return value ? "true" : "false";
  } else if constexpr (std::is_same_v<U, char> || std::is_same_v<U, unsigned char> ||
                       std::is_same_v<U, signed char>) {
    return std::to_string(static_cast<int>(static_cast<unsigned char>(value))) + " " +
           Quote(std::string(1, static_cast<char>(value)));
  } else if constexpr (std::is_enum_v<U>) {
    return std::to_string(static_cast<long long>(value));
  } else if constexpr (std::is_pointer_v<U> || std::is_same_v<U, std::nullptr_t>) {
    std::ostringstream out;
    out << "0x" << std::hex << reinterpret_cast<std::uintptr_t>(value);
    return out.str();
  } else {
    std::ostringstream out;
    out << value;
    return out.str();
  }
}

// Two C strings compare by content, everything else with ==.
template <class A, class B>
bool Equal(const A& a, const B& b) {
  using DA = std::decay_t<A>;
  using DB = std::decay_t<B>;
  constexpr bool aChars = std::is_same_v<DA, const char*> || std::is_same_v<DA, char*>;
  constexpr bool bChars = std::is_same_v<DB, const char*> || std::is_same_v<DB, char*>;
  if constexpr (aChars && bChars) {
    return SameChars(a, b);
  } else {
    return a == b;
  }
}

inline bool Check(bool ok, const char* expr, const char* file, int line) {
  if (!ok) Fail(file, line, std::string("CHECK(") + expr + ") failed");
  return ok;
}

template <class A, class B>
bool CheckEq(const A& a, const B& b, const char* ea, const char* eb, const char* file, int line) {
  if (Equal(a, b)) return true;
  Fail(file, line,
       std::string("CHECK_EQ(") + ea + ", " + eb + ") failed\n      left:  " + Show(a) +
           "\n      right: " + Show(b));
  return false;
}

template <class A, class B>
bool CheckNe(const A& a, const B& b, const char* ea, const char* eb, const char* file, int line) {
  if (!Equal(a, b)) return true;
  Fail(file, line, std::string("CHECK_NE(") + ea + ", " + eb + ") failed, both are " + Show(a));
  return false;
}

}  // namespace check

#define CASE(name)                                                                    \
  static void name##_case();                                                          \
  static const ::check::Registrar name##_registrar(#name, name##_case, __FILE__, __LINE__); \
  static void name##_case()

#define CHECK(cond) ::check::Check(static_cast<bool>(cond), #cond, __FILE__, __LINE__)
#define CHECK_EQ(a, b) ::check::CheckEq((a), (b), #a, #b, __FILE__, __LINE__)
#define CHECK_NE(a, b) ::check::CheckNe((a), (b), #a, #b, __FILE__, __LINE__)
#define REQUIRE(cond)                          \
  do {                                         \
    if (!CHECK(cond)) throw ::check::Abort{}; \
  } while (0)
#define REQUIRE_EQ(a, b)                          \
  do {                                            \
    if (!CHECK_EQ(a, b)) throw ::check::Abort{}; \
  } while (0)
