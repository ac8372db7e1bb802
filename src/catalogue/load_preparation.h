#pragma once
// Load preparation: before any contact with the unit, the files of the chosen
// candidate are named, opened and checked, and this unit's configuration
// backup is made sure to be writable. Every refusal is shown and logged.
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/disk_access.h"
#include "catalogue/loader_function.h"

// Prepares the function's files; the result is load_ready(). Functions
// without files leave the state unchanged and answer false. Read only: the
// same checks, without proving the configuration backup writable.
bool prepare_load(LoaderFunction function, DiskAccess access = DiskAccess::read_write);

// Names this unit's configuration backup in the parameter folder, after a
// fresh scan, and proves it writable; false after the refusal. Run again when
// the unit's tables have been read, since another unit may have been attached.
bool prepare_backup_file();

bool load_ready();
// Set by the setup page for the functions that need no preparation.
void set_load_ready(bool ready);
// The update payload companions of the prepared system software exist and
// passed their payload check.
bool update_execs_present();
bool update_data_present();
const std::string& update_execs_path();
const std::string& update_data_path();
// The checked files in checking order (see load_files).
const std::vector<std::string>& prepared_files();
// The data section length of the prepared airport file.
int64_t prepared_database_size();
// 1 while the terrain header file is read, 0 after.
int terrain_phase();

void load_preparation_reset();
