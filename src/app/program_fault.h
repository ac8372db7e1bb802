#pragma once
// Faults of the program itself. An exception that escapes a procedure or the
// pages does not end the program where it stands: it ends the operation as a
// failure with its text (a box, which a run from the command line takes as
// its failure), and the program goes on to its exit sequence, which starts
// the unit again and closes the log.

// Inside a handler of an exception: logs its text and shows it in an "Error"
// box.
void report_program_fault();

// The page loop given, with any fault that escapes it reported; for the
// program's start-up, which runs its exit sequence after the pages.
template <void (*pages)()>
void pages_guarded() {
    try {
        pages();
    } catch (...) {
        report_program_fault();
    }
}
