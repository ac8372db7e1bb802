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

// The unit whose tables were just read names the configuration backup and the
// offered parameter file, even when another unit was attached while the page
// prepared them; a name the technician typed or picked stays. False after a
// refusal box (the backup cannot be written, or its path is too long).
bool setup_adopt_unit();

// The function handed to the waiting and transfer pages.
LoaderFunction handed_function();
void set_handed_function(LoaderFunction function);
// The parameter file the configuration functions read into or write from.
const std::string& configuration_file_path();
// The file an earlier-generation software load backs the configuration up
// to: on the earlier-generation way the parameter file the technician named;
// on the current way (an earlier unit on the "Gadget Serial" port) nobody
// named one, and it is this unit's own parameter file, which the load
// preparation proved writable.
const std::string& software_backup_path();

void setup_page_reset();
