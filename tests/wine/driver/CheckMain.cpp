// The default main() of a test program; a test that defines its own main() does not pull this in.
#include "driver/Check.h"
#include "driver/Driver.h"

int main(int argc, char** argv) {
  // A test killed inside a DpiScope left its DPI behind: every test program starts at 96.
  if (driver::BenchDpi() != 96) driver::SetBenchDpi(96);
  const std::vector<driver::ProcessEntry> before = driver::AllProcesses();
  const int result = check::RunAll(argc, argv);
  // Whatever the cases left running (programs the program under test started, detached processes)
  // would share the desktop with the next test program.
  for (const std::string& ended : driver::EndProcessesNotIn(before)) check::Log("ended leftover " + ended);
  return result;
}
