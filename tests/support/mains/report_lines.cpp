// Tests of the checker: boxes become report lines.
#include "platform/report_lines/report_lines.h"
#include "support/test_main.h"

int main(int argc, char** argv) { return run_tests(argc, argv, report_lines_window_system()); }
