// The default main() of a test program; a test that defines its own main() does not pull this in.
#include "driver/Check.h"

int main(int argc, char** argv) { return check::RunAll(argc, argv); }
