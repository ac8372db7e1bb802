#pragma once
// The parameter (configuration) file that a configuration read writes and a
// configuration write sends: the technician's choice for those functions, or
// the backup of this unit's configuration that a software load makes first.
#include <string>

inline constexpr const char* temporary_parameter_name = "Param_temp.dat";

// The name, and the path in the parameter folder.
const std::string& parameter_file_name();
const std::string& parameter_file_path();
// False (and nothing changed) when the path would be too long.
bool set_parameter_file_name(const std::string& name);

// After a scan of the parameter list: this unit's backup, the first listed
// parameter file whose name holds the unit's serial text, else the unit's
// default backup name, else "Param_temp.dat" while the unit is unknown. Never
// another unit's file.
std::string unit_backup_name();

// Whether the file can be written, without changing an existing one: an
// existing file must open for update, a missing one is created and removed.
bool prove_writable(const std::string& path);

void parameter_file_reset();
