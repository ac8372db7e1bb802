#pragma once
// The reset mode the unit restarts in after a load, and the dialog of the
// reset mode buttons that chooses it (the setup page's own, or a database
// load's offer to erase the unit's database).
#include "platform/page_layout.h"

// Shows a dialog of the reset mode buttons: FLT, MNX and FCT set the reset
// mode, Cancel and closing leave none. FCT is hidden and disabled, and its
// description hidden with it. Returns the reset mode.
int choose_reset_mode(const PageLayout& dialog_layout);
// -1 none, 0 flight, 1 maintenance, 2 factory mode.
int reset_mode();
void reset_mode_reset();
