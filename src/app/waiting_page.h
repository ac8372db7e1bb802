#pragma once
// The waiting page: finds the unit, wakes it, reads its tables and checks the
// chosen database against it, then moves on by itself.
#include <string>

int DoWaiting();
// After connect_unit gave up on a unit that never answered: which port, and
// after how many attempts. Empty when it did not give up for that reason.
std::string unit_silent_text();
