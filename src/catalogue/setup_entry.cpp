#include "catalogue/setup_entry.h"

#include "catalogue/catalogue.h"
#include "catalogue/earlier_generation_files.h"
#include "catalogue/file_listing.h"
#include "catalogue/load_preparation.h"
#include "catalogue/parameter_file.h"
#include "catalogue/patterns.h"
#include "catalogue/system_file_reader.h"
#include "catalogue/unit_names.h"
#include "catalogue/upload_settings.h"

namespace {
void enter(const std::string& top_directory, DiskAccess access) {
    const bool writes = access == DiskAccess::read_write;
    upload_settings_clear();
    read_upload_config(top_directory);
    apply_upload_defaults(top_directory, access);
    if (writes) write_upload_config(top_directory);

    patterns_reset();
    if (writes) dump_patterns(top_directory, pattern_default_dump_name);
    apply_pattern_overrides(top_directory);
    if (writes) dump_patterns(top_directory, pattern_override_dump_name);

    catalogue_rebuild_all();
    std::string name = catalogue_display(CAT_PARAMETER_FILES);
    if (name.empty()) name = unit_backup_name();
    set_parameter_file_name(name);
}
}  // namespace

void catalogue_setup_entry(const std::string& top_directory) { enter(top_directory, DiskAccess::read_write); }

void catalogue_read_only_entry(const std::string& top_directory) { enter(top_directory, DiskAccess::read_only); }

void catalogue_module_reset() {
    upload_settings_reset();
    patterns_reset();
    catalogue_reset();
    set_file_lister({});
    unit_names_reset();
    parameter_file_reset();
    load_preparation_reset();
    earlier_generation_reset();
    system_image_reset();
}
