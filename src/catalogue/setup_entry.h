#pragma once
// The catalogue's part of entering the setup page with the current-generation
// link: the upload settings, the pattern table and every catalogue rebuilt,
// and the parameter file named.
#include <string>

void catalogue_setup_entry(const std::string& top_directory);
// The same, reading only: "upload.cfg" and the dumps are not written and no
// folder is made.
void catalogue_read_only_entry(const std::string& top_directory);

// Every part of the catalogue back to its state at program start.
void catalogue_module_reset();
