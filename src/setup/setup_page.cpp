#include "setup/setup_page.h"

#include "catalogue/catalogue.h"
#include "catalogue/earlier_generation_files.h"
#include "catalogue/load_preparation.h"
#include "catalogue/parameter_file.h"
#include "catalogue/refusal.h"
#include "catalogue/setup_entry.h"
#include "catalogue/upload_settings.h"
#include "catalogue/version_select.h"
#include "link/commands.h"
#include "link/connection.h"
#include "link/responsive_wait.h"
#include "link/serial.h"
#include "output/log.h"
#include "output/status_shown.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "setup/reset_mode_dialog.h"
#include "setup/setup_layout.h"
#include "setup/setup_model.h"
#include "setup/version_select_dialog.h"
#include "unit/identity.h"
#include "unit/model.h"

namespace {
constexpr int earlier_timer = 1;
constexpr uint32_t earlier_timer_ms = 5000;

constexpr LoaderFunction radios[] = {LF_SYSTEM_SOFTWARE, LF_OS_IMAGE,    LF_BOOT_IMAGE,     LF_TERRAIN,
                                     LF_AIRPORT,         LF_OBSTACLE,    LF_OVERLAY,        LF_READ_CONFIG,
                                     LF_WRITE_CONFIG,    LF_HASS_CONFIG, LF_NO_GAMMA_CONFIG, LF_DOWNLOAD_RECORDING,
                                     LF_ERASE_RECORDING};

struct SetupState {
    std::string top_directory;
    std::string legal_text;
    std::string program_title;
    LoaderFunction selected_function = LF_SYSTEM_SOFTWARE;
    LoaderFunction remembered_function = LF_SYSTEM_SOFTWARE;
    LoaderFunction handed = LF_NONE;
    // Read Configuration's file name as the technician typed or picked it;
    // empty while the page offers the unit's own backup name.
    std::string typed_parameter_name;
    std::string offered_parameter_name;
    std::string configuration_path;
    std::string earlier_parameter_path;
    bool timer_work_running = false;
    // The page works with the catalogue once the unit's port has been found:
    // from its opening, or from the detection tick that first finds it.
    bool current_way = false;
};
SetupState g_setup;

struct BoxStates {
    bool system, database, parameter, parameter_read_only, parameter_button;
};

BoxStates boxes_for(LoaderFunction f) {
    switch (f) {
        case LF_SYSTEM_SOFTWARE:
        case LF_OS_IMAGE:
        case LF_BOOT_IMAGE: return {true, false, false, true, false};
        case LF_TERRAIN:
        case LF_AIRPORT:
        case LF_OBSTACLE:
        case LF_OVERLAY: return {false, true, false, true, false};
        case LF_READ_CONFIG: return {false, false, true, false, false};
        case LF_WRITE_CONFIG: return {false, false, true, true, true};
        case LF_HASS_CONFIG:
        case LF_NO_GAMMA_CONFIG: return {false, false, true, true, false};
        default: return {false, false, false, true, false};
    }
}

void apply_boxes(Page page, const BoxStates& b, bool with_parameter_button) {
    control_enable(page, ID_SYSTEM_BOX, b.system);
    control_enable(page, ID_SYSTEM_BROWSE, b.system);
    control_enable(page, ID_DATABASE_BOX, b.database);
    control_enable(page, ID_DATABASE_BROWSE, b.database);
    control_enable(page, ID_PARAMETER_BOX, b.parameter);
    control_enable(page, ID_PARAMETER_BROWSE, with_parameter_button ? b.parameter_button : b.parameter);
}

void check_only(Page page, LoaderFunction f) {
    for (LoaderFunction r : radios) control_check(page, r, r == f);
}

std::optional<UploadSetting> folder_of(LoaderFunction f) {
    switch (f) {
        case LF_SYSTEM_SOFTWARE:
        case LF_OS_IMAGE:
        case LF_BOOT_IMAGE: return PGM_DIR;
        case LF_TERRAIN: return TRN_DIR;
        case LF_AIRPORT: return APT_DIR;
        case LF_OBSTACLE: return OBS_DIR;
        case LF_OVERLAY: return OVL_DIR;
        case LF_READ_CONFIG:
        case LF_WRITE_CONFIG: return PRM_DIR;
        case LF_HASS_CONFIG: return HAS_DIR;
        case LF_NO_GAMMA_CONFIG: return NGM_DIR;
        default: return std::nullopt;
    }
}

std::optional<CatalogueKind> shown_catalogue(LoaderFunction f) {
    if (f == LF_HASS_CONFIG) return CAT_HASS;
    if (f == LF_NO_GAMMA_CONFIG) return CAT_NO_GAMMA;
    return catalogue_of_function(f);
}

int box_of(LoaderFunction f) {
    const BoxStates b = boxes_for(f);
    return b.system ? ID_SYSTEM_BOX : b.database ? ID_DATABASE_BOX : ID_PARAMETER_BOX;
}

// An earlier-generation unit found on the "Gadget Serial" port takes its
// terrain in the earlier form (a "_theader.bin" and "_tdata.bin" pair): the
// page offers those files, as the transfer page takes such a unit's system
// image from the earlier ".hex" files.
bool earlier_terrain_on_current_way(LoaderFunction f) {
    return f == LF_TERRAIN && g_setup.current_way && g_model.earlier_unit_answered;
}

std::vector<std::string> earlier_terrain_files() {
    return earlier_candidates(g_setup.top_directory, EarlierFile::terrain_data);
}

std::string offered_earlier_terrain() {
    if (!earlier_terrain_data_file().empty()) return earlier_terrain_data_file();
    const std::vector<std::string> found = earlier_terrain_files();
    return found.empty() ? std::string() : found.front();
}

void choose_earlier_terrain(Page page) {
    const std::vector<std::string> files = earlier_terrain_files();
    std::vector<std::string> names;
    int initial = -1;
    const std::string shown = control_text(page, ID_DATABASE_BOX);
    for (const std::string& path : files) {
        if (path == shown) initial = int(names.size());
        names.push_back(path.substr(path.find_last_of("\\/") + 1));
    }
    const std::optional<int> chosen = run_list_select(std::move(names), initial);
    if (!chosen) return;
    set_earlier_terrain_data_file(files[std::size_t(*chosen)]);
    control_set_text(page, ID_DATABASE_BOX, files[std::size_t(*chosen)]);
}

void show_choice(Page page, LoaderFunction f) {
    if (earlier_terrain_on_current_way(f)) return control_set_text(page, ID_DATABASE_BOX, offered_earlier_terrain());
    const auto kind = shown_catalogue(f);
    if (!kind) return;
    catalogue_refresh(*kind);
    if (f == LF_READ_CONFIG) {
        g_setup.offered_parameter_name = g_setup.typed_parameter_name.empty() ? unit_backup_name() : "";
        control_set_text(page, ID_PARAMETER_BOX,
                         g_setup.typed_parameter_name.empty() ? g_setup.offered_parameter_name
                                                              : g_setup.typed_parameter_name);
        return;
    }
    control_set_text(page, box_of(f), catalogue_display(*kind));
}

void enable_current_functions(Page page) {
    for (LoaderFunction r : {LF_SYSTEM_SOFTWARE, LF_AIRPORT, LF_TERRAIN, LF_OBSTACLE, LF_OVERLAY,
                             LF_DOWNLOAD_RECORDING, LF_ERASE_RECORDING})
        control_enable(page, r, true);
    control_enable(page, ID_FOLDER_BOX, true);
    control_enable(page, ID_FOLDER_BROWSE, true);
    control_enable(page, ID_RESET_UNIT, true);
}

void select_current(Page page, LoaderFunction f) {
    g_setup.selected_function = f;
    write_upload_config(g_setup.top_directory);
    check_only(page, f);
    const BoxStates b = boxes_for(f);
    apply_boxes(page, b, true);
    control_set_read_only(page, ID_PARAMETER_BOX, b.parameter_read_only);
    const auto folder = folder_of(f);
    if (!folder) return;
    show_choice(page, f);
    control_set_text(page, ID_FOLDER_BOX, upload_setting(*folder));
}

const std::string& earlier_parameter_path_for(LoaderFunction f) {
    const ParameterFileNames& names = g_model.parameter_files;
    if (f == LF_HASS_CONFIG) return names.hass_path;
    if (f == LF_NO_GAMMA_CONFIG) return names.no_gamma_path;
    return names.temporary_path;
}

void select_earlier(Page page, LoaderFunction f) {
    g_setup.selected_function = f;
    check_only(page, f);
    if (f == LF_SYSTEM_SOFTWARE) {
        apply_boxes(page, {true, false, false, true, false}, false);
        control_enable(page, LF_OBSTACLE, false);
        control_enable(page, LF_OVERLAY, false);
        for (LoaderFunction r : {LF_SYSTEM_SOFTWARE, LF_AIRPORT, LF_TERRAIN}) control_enable(page, r, true);
        adjust_setup_for_model(page, detect_model(DETECT_REMEMBERED));
        g_setup.earlier_parameter_path = earlier_parameter_path_for(f);
        control_set_text(page, ID_PARAMETER_BOX, g_setup.earlier_parameter_path);
    } else if (f == LF_TERRAIN || f == LF_AIRPORT) {
        apply_boxes(page, {false, true, false, true, false}, false);
        control_set_text(page, ID_DATABASE_BOX, f == LF_TERRAIN ? earlier_terrain_data_file() : earlier_airport_file());
        control_enable(page, LF_OBSTACLE, false);
    } else if (f == LF_READ_CONFIG || f == LF_WRITE_CONFIG) {
        apply_boxes(page, {false, false, true, true, true}, false);
        g_setup.earlier_parameter_path = earlier_parameter_path_for(f);
        control_set_text(page, ID_PARAMETER_BOX, g_setup.earlier_parameter_path);
    }
}

void select_function(Page page, LoaderFunction f) {
    if (g_setup.current_way)
        select_current(page, f);
    else
        select_earlier(page, f);
}

}  // namespace

namespace {
void show_version_select(Page page) {
    if (earlier_terrain_on_current_way(g_setup.selected_function)) return choose_earlier_terrain(page);
    const auto kind = catalogue_of_function(g_setup.selected_function);
    if (!kind) return;
    const std::string shown = run_version_select(*kind);
    const LoaderFunction f = g_setup.selected_function;
    if (f == LF_READ_CONFIG) g_setup.typed_parameter_name = shown;
    control_set_text(page, f == LF_READ_CONFIG ? ID_PARAMETER_BOX : box_of(f), shown);
}

void browse_for_folder(Page page) {
    const auto setting = folder_of(g_setup.selected_function);
    if (!setting) return;
    const auto folder = browse_folder(page, "Browse Folders");
    if (!folder || *folder == upload_setting(*setting)) return;
    if (!set_upload_setting(*setting, *folder)) return;
    write_upload_config(g_setup.top_directory);
    if (const auto kind = shown_catalogue(g_setup.selected_function)) catalogue_forget_choice(*kind);
    show_choice(page, g_setup.selected_function);
    control_set_text(page, ID_FOLDER_BOX, upload_setting(*setting));
}

void pick_earlier_file(Page page, int button) {
    FilePicker picker{"Select a data file", {}, {}, false};
    const std::string top = g_setup.top_directory + path_separator;
    if (button == ID_SYSTEM_BROWSE) {
        mark_system_file_picked();
        picker.folder = top + "System Files";
        picker.filters = {{"System Files (*.hex)", "*.hex"}, {"All Files (*.*)", "*.*"}};
    } else if (button == ID_DATABASE_BROWSE) {
        mark_database_file_picked();
        const bool terrain = control_checked(page, LF_TERRAIN);
        picker.folder = top + (terrain ? "Terrain Files" : "Airport Files");
        picker.filters = {{terrain ? "Terrain Files (*_tdata.bin)" : "Airport Files (*.bin)",
                           terrain ? "*_tdata.bin" : "*.bin"},
                          {"All Files (*.*)", "*.*"}};
    } else {
        picker.folder = temp_folder();
        picker.filters = {{"Configuration Files (*.dat)", "*.dat"}};
        picker.save = control_checked(page, LF_READ_CONFIG);
    }
    const auto chosen = pick_file(page, picker);
    if (!chosen) return;
    if (button == ID_SYSTEM_BROWSE) {
        set_earlier_system_file(*chosen);
        control_set_text(page, ID_SYSTEM_BOX, *chosen);
    } else if (button == ID_DATABASE_BROWSE) {
        if (control_checked(page, LF_TERRAIN))
            set_earlier_terrain_data_file(*chosen);
        else
            set_earlier_airport_file(*chosen);
        control_set_text(page, ID_DATABASE_BOX, *chosen);
    } else {
        g_setup.earlier_parameter_path = *chosen;
        control_set_text(page, ID_PARAMETER_BOX, *chosen);
    }
}

// An over-long path is refused in a box: Next must not just do nothing.
bool set_configuration_path(UploadSetting folder, const std::string& name) {
    const std::string& folder_path = upload_setting(folder);
    const auto path = path_join(folder_path, name);
    if (!path) {
        refuse(path_too_long_message(folder_path + path_separator + name));
        return false;
    }
    g_setup.configuration_path = *path;
    return true;
}

bool name_read_configuration_file(const std::string& name) {
    return set_configuration_path(PRM_DIR, name) && set_parameter_file_name(name);
}

bool ready_current(Page page, LoaderFunction f) {
    const std::string text = control_text(page, ID_PARAMETER_BOX);
    switch (f) {
        case LF_SYSTEM_SOFTWARE:
            if (prepare_load(f) && choose_reset_mode(reset_mode_layout()) == -1) set_load_ready(false);
            return load_ready();
        case LF_TERRAIN:
            if (earlier_terrain_on_current_way(f)) {
                EarlierChoice choice{f, "", control_text(page, ID_DATABASE_BOX), ""};
                choice.access = DiskAccess::read_only;
                return earlier_check_next(choice);
            }
            return prepare_load(f);
        case LF_OS_IMAGE:
        case LF_BOOT_IMAGE:
        case LF_AIRPORT:
        case LF_OBSTACLE:
        case LF_OVERLAY: return prepare_load(f);
        case LF_READ_CONFIG: {
            if (text != g_setup.offered_parameter_name) g_setup.typed_parameter_name = text;
            return name_read_configuration_file(text.empty() ? unit_backup_name() : text);
        }
        case LF_WRITE_CONFIG: return set_configuration_path(PRM_DIR, text) && catalogue_found(CAT_PARAMETER_FILES);
        case LF_HASS_CONFIG:
        case LF_NO_GAMMA_CONFIG: return !text.empty() && set_configuration_path(*folder_of(f), text);
        case LF_DOWNLOAD_RECORDING:
        case LF_ERASE_RECORDING: return true;
        default: return false;
    }
}

bool ready_earlier(Page page) {
    EarlierChoice choice{g_setup.selected_function, control_text(page, ID_SYSTEM_BOX),
                         control_text(page, ID_DATABASE_BOX), control_text(page, ID_PARAMETER_BOX)};
    for (LoaderFunction r : radios)
        if (control_checked(page, r)) choice.function = r;
    if (!earlier_check_next(choice)) return false;
    g_setup.configuration_path = choice.parameter_file;
    g_setup.handed = choice.function;
    return true;
}

void next(Page page) {
    g_setup.remembered_function = g_setup.selected_function;
    bool ready = false;
    if (g_setup.current_way) {
        g_setup.handed = g_setup.selected_function;
        ready = ready_current(page, g_setup.selected_function);
    } else {
        ready = ready_earlier(page);
    }
    if (ready) page_end(page, ID_SETUP_NEXT);
}

void reset_unit(Page page) {
    const int mode = choose_reset_mode(reset_mode_layout());
    if (mode == -1) return;
    if (connect_unit() && unit_send_reset(mode)) wait_responsive(2000);
    page_end(page, 0);
}

// The catalogue's boxes are read-only displays with "Select" buttons.
void show_current_way(Page page) {
    for (int box : {ID_SYSTEM_BOX, ID_DATABASE_BOX, ID_PARAMETER_BOX}) control_set_read_only(page, box, true);
    for (int button : {ID_SYSTEM_BROWSE, ID_DATABASE_BROWSE, ID_PARAMETER_BROWSE})
        control_set_text(page, button, "Select");
    control_set_text(page, ID_SYSTEM_BOX, catalogue_display(CAT_SYSTEM_SOFTWARE));
    control_set_text(page, ID_DATABASE_BOX, catalogue_display(CAT_AIRPORT));
    control_set_text(page, ID_PARAMETER_BOX, "");
    enable_current_functions(page);
}

// The unit's port found while the page works without it: the upload settings
// are read and the catalogue built as when the page opens with the port, so
// that the next choice writes back the technician's folders, not empty ones.
void switch_to_current_way(Page page) {
    g_setup.current_way = true;
    catalogue_setup_entry(g_setup.top_directory);
    show_current_way(page);
    select_function(page, g_setup.remembered_function);
}

// Model detection connects to the unit and lets window events run meanwhile;
// the timer is stopped so that no tick starts a detection inside another.
void earlier_tick(Page page) {
    if (g_setup.timer_work_running) return;
    g_setup.timer_work_running = true;
    page_kill_timer(page, earlier_timer);
    const bool changed = identify_for_setup(page, g_setup.program_title);
    if (g_link.current_link_seen) {
        switch_to_current_way(page);
    } else {
        if (changed) select_function(page, g_setup.remembered_function);
        page_start_timer(page, earlier_timer, earlier_timer_ms);
    }
    g_setup.timer_work_running = false;
}

void open_page(Page page) {
    identify_for_setup(page, g_setup.program_title);
    adjust_setup_for_model(page, detect_model(DETECT_REMEMBERED));
    if (g_setup.current_way) {
        show_current_way(page);
    } else {
        page_start_timer(page, earlier_timer, earlier_timer_ms);
        control_set_text(page, ID_SYSTEM_BOX, earlier_system_file());
        control_set_text(page, ID_DATABASE_BOX, earlier_airport_file());
        control_enable(page, ID_FOLDER_BOX, false);
        control_enable(page, ID_FOLDER_BROWSE, false);
    }
    control_show(page, LF_HASS_CONFIG, false);
    control_show(page, LF_NO_GAMMA_CONFIG, false);
    control_set_text(page, ID_FOOTER, g_setup.legal_text);
    select_function(page, g_setup.remembered_function);
}

void on_command(Page page, int id) {
    if (g_setup.current_way) enable_current_functions(page);
    for (LoaderFunction r : radios)
        if (id == r) return select_function(page, r);
    switch (id) {
        case ID_SETUP_NEXT: return next(page);
        case ID_RESET_UNIT: return reset_unit(page);
        case ID_SETUP_EXIT:
            status_show("Existing program ...\r\n");
            unit_close_port();
            return page_end(page, 0);
        case LF_BLOCK_TEST:
            g_setup.handed = LF_BLOCK_TEST;
            return page_end(page, ID_SETUP_NEXT);
        case ID_FOLDER_BROWSE: return browse_for_folder(page);
        case ID_SYSTEM_BROWSE:
        case ID_DATABASE_BROWSE:
        case ID_PARAMETER_BROWSE:
            return g_setup.current_way ? show_version_select(page) : pick_earlier_file(page, id);
        default: break;
    }
}

void setup_handler(Page page, PageEvent event, int id) {
    switch (event) {
        case PageEvent::open: open_page(page); break;
        case PageEvent::timer:
            if (id == earlier_timer) earlier_tick(page);
            break;
        case PageEvent::command: on_command(page, id); break;
        case PageEvent::close:
            page_kill_timer(page, earlier_timer);
            page_end(page, 0);
            break;
        case PageEvent::click:
        case PageEvent::cursor: break;
    }
}
}  // namespace

void setup_page_start(std::string top_directory, std::string legal_text, std::string program_title) {
    g_setup.top_directory = std::move(top_directory);
    g_setup.legal_text = std::move(legal_text);
    g_setup.program_title = std::move(program_title);
    g_model.start_directory = g_setup.top_directory;
}

int DoSetup() {
    log_write("... DoSetup()");
    unit_close_port();
    g_setup.current_way = g_link.current_link_seen;
    if (g_setup.current_way)
        catalogue_setup_entry(g_setup.top_directory);
    else
        earlier_preselect(g_setup.top_directory);
    return page_run(setup_page_layout(), setup_handler);
}

bool setup_adopt_unit() {
    if (g_unit.unit_generation != current_generation) return true;
    adopt_unit_number();
    if (!g_setup.current_way) return true;
    switch (g_setup.handed) {
        case LF_SYSTEM_SOFTWARE:
        case LF_OS_IMAGE:
        case LF_BOOT_IMAGE: return prepare_backup_file();
        case LF_READ_CONFIG: {
            if (!g_setup.typed_parameter_name.empty()) return true;
            catalogue_scan(CAT_PARAMETER_FILES, upload_setting(PRM_DIR));
            return name_read_configuration_file(unit_backup_name());
        }
        default: return true;
    }
}

LoaderFunction handed_function() { return g_setup.handed; }
void set_handed_function(LoaderFunction function) { g_setup.handed = function; }
const std::string& configuration_file_path() { return g_setup.configuration_path; }

const std::string& software_backup_path() {
    return g_setup.current_way ? parameter_file_path() : g_setup.configuration_path;
}

void setup_page_reset() {
    SetupState fresh;
    fresh.top_directory = std::move(g_setup.top_directory);
    fresh.legal_text = std::move(g_setup.legal_text);
    fresh.program_title = std::move(g_setup.program_title);
    g_setup = std::move(fresh);
    setup_model_reset();
    reset_mode_reset();
}
