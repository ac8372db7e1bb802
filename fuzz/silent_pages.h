#pragma once
// The command every page run of a fuzz target receives (a dialog's button).
void silent_pages_answer(int command);
