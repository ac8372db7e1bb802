#pragma once
// The setup page: the technician chooses a loader function and its files.
// With the current-generation link the files come from the catalogue; on the
// earlier-generation link they are picked one by one.
#include <string>

#include "catalogue/loader_function.h"
#include "platform/page_layout.h"

// What the page needs from start-up: the top-level directory, the footer
// text and the program's title for the caption.
void setup_page_start(std::string top_directory, std::string legal_text, std::string program_title);
int DoSetup();

// The function handed to the waiting and transfer pages.
LoaderFunction handed_function();
void set_handed_function(LoaderFunction function);
// -1 none, 0 flight, 1 maintenance, 2 factory mode.
int reset_mode();
// Shows a dialog of the reset mode buttons (the setup page's own, or a load's
// offer to erase a database): FLT, MNX and FCT set the reset mode, Cancel and
// closing leave none. FCT is hidden and disabled. Returns the reset mode.
int choose_reset_mode(const PageLayout& dialog_layout);
// The parameter file the configuration functions read into or write from.
const std::string& configuration_file_path();

void setup_page_reset();
