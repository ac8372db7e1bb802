#pragma once
// The answers of a run from the command line to everything the wizard asks a
// technician: the setup page's choice and Next, the reset mode, the erase
// offer, the version select, and every message box.
#include "app/batch/batch_options.h"

// Installs the policy of these options (batch mode on) until batch_policy_stop.
void batch_policy_start(const BatchOptions& options);
void batch_policy_stop();
