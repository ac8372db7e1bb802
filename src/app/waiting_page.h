#pragma once
// The waiting page: finds the unit, wakes it, reads its tables and checks the
// chosen database against it, then moves on by itself.
int DoWaiting();
