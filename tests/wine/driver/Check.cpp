// The case registry and runner of the check framework.
#include "driver/Check.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <vector>

namespace check {
namespace {

struct Case {
  const char* name;
  CaseFn fn;
  const char* file;
  int line;
};

// A function-local registry: registrars in other translation units run before main in any order.
std::vector<Case>& Cases() {
  static std::vector<Case> cases;
  return cases;
}

int g_failuresInCase = 0;

bool Selected(const char* name, int argc, char** argv) {
  bool any = false;
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] == '-') continue;
    any = true;
    if (std::strstr(name, argv[i])) return true;
  }
  return !any;
}

}  // namespace

Registrar::Registrar(const char* name, CaseFn fn, const char* file, int line) {
  Cases().push_back({name, fn, file, line});
}

void Log(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void Fail(const char* file, int line, const std::string& message) {
  ++g_failuresInCase;
  const char* base = std::strrchr(file, '/');
  const char* base2 = std::strrchr(file, '\\');
  if (base2 > base) base = base2;
  Log(std::string("    ") + (base ? base + 1 : file) + ":" + std::to_string(line) + ": " + message);
}

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out + "\"";
}

std::string ShowChars(const char* text) { return text ? Quote(text) : std::string("(null)"); }

bool SameChars(const char* a, const char* b) { return (a && b) ? std::strcmp(a, b) == 0 : a == b; }

int RunAll(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--list") == 0) {
      for (const Case& c : Cases()) Log(c.name);
      return 0;
    }
  }
  int passed = 0, failed = 0;
  for (const Case& c : Cases()) {
    if (!Selected(c.name, argc, argv)) continue;
    Log(std::string("[ RUN  ] ") + c.name);
    g_failuresInCase = 0;
    const DWORD start = GetTickCount();
    try {
      c.fn();
    } catch (const Abort&) {
      // The failed REQUIRE has been printed.
    } catch (const std::exception& e) {
      Fail(c.file, c.line, std::string("exception: ") + e.what());
    } catch (...) {
      Fail(c.file, c.line, "unknown exception");
    }
    const std::string took = " (" + std::to_string(GetTickCount() - start) + " ms)";
    if (g_failuresInCase == 0) {
      ++passed;
      Log(std::string("[   OK ] ") + c.name + took);
    } else {
      ++failed;
      Log(std::string("[ FAIL ] ") + c.name + took);
    }
  }
  if (passed + failed == 0) {
    Log("no case matched");
    Log("0 passed, 0 failed");
    return 1;
  }
  Log(std::to_string(passed) + " passed, " + std::to_string(failed) + " failed");
  return failed == 0 ? 0 : 1;
}

}  // namespace check
