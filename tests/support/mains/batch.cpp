// Tests of runs from the command line: the batch backend on its own.
#include "platform/batch/batch_pages.h"
#include "support/test_main.h"

int main(int argc, char** argv) { return run_tests(argc, argv, batch_test_window_system()); }
