#pragma once
// The setup page's view of the attached instrument: the caption names it and
// the database functions that suit it are enabled.
#include <string>
#include <string_view>

#include "platform/pages.h"

// Detects the model afresh and sets the caption; true when the model differs
// from the one the page saw last (the page is then adjusted and the unit's
// parameter file names derived again). A unit of the same model may be
// another unit: its backup name and serial text are derived at every answer.
bool identify_for_setup(Page page, const std::string& program_title);
// Derives the unit's parameter file names for `model` and tells the catalogue
// the unit's serial text and backup name, by which it offers the unit's backup.
void derive_unit_names(std::string_view model);
// The backup name and serial text of the unit whose P table was read last,
// handed to the catalogue; the model's paths are left as they are.
void adopt_unit_number();
void adjust_setup_for_model(Page page, std::string_view model);
void setup_model_reset();
