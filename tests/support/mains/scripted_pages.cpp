// Tests of pages and procedures: the technician's actions come from the script.
#include "support/scripted_pages.h"
#include "support/test_main.h"

int main(int argc, char** argv) { return run_tests(argc, argv, scripted_pages_system()); }
