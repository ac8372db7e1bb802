// Tests of the layers below the pages: boxes and the pump are scripted.
#include "support/scripted_window.h"
#include "support/test_main.h"

int main(int argc, char** argv) { return run_tests(argc, argv, scripted_window_system()); }
