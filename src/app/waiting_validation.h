#pragma once
// The waiting page's last step: is the chosen database one the unit's
// software can read? The answer is the page's result.
#include "catalogue/loader_function.h"

int validate_unit(LoaderFunction function);
