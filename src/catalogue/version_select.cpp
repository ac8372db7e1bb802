#include "catalogue/version_select.h"

std::optional<CatalogueKind> catalogue_of_function(LoaderFunction function) {
    switch (function) {
        case LF_SYSTEM_SOFTWARE: return CAT_SYSTEM_SOFTWARE;
        case LF_OS_IMAGE: return CAT_OS_IMAGES;
        case LF_BOOT_IMAGE: return CAT_BOOT_PROGRAM;
        case LF_TERRAIN: return CAT_TERRAIN;
        case LF_AIRPORT: return CAT_AIRPORT;
        case LF_OBSTACLE: return CAT_OBSTACLE;
        case LF_OVERLAY: return CAT_OVERLAY;
        case LF_READ_CONFIG:
        case LF_WRITE_CONFIG: return CAT_PARAMETER_FILES;
        default: return std::nullopt;
    }
}

std::vector<std::string> version_select_items(CatalogueKind kind) {
    std::vector<std::string> items;
    for (int i = 0; i < catalogue_count(kind); ++i) items.push_back(catalogue_item_text(kind, i));
    if (items.empty()) items.emplace_back();
    return items;
}

int version_select_initial(CatalogueKind kind) { return catalogue_chosen(kind); }

std::string version_select_finish(CatalogueKind kind, std::optional<int> selected) {
    if (selected) catalogue_choose(kind, *selected);
    catalogue_refresh(kind);
    return catalogue_display(kind);
}
