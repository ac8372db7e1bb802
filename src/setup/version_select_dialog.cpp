#include "setup/version_select_dialog.h"

#include <optional>

#include "catalogue/version_select.h"
#include "platform/pages.h"
#include "setup/setup_layout.h"

namespace {
struct VersionSelect {
    CatalogueKind kind;
    std::optional<int> chosen;
};
VersionSelect g_version_select;
}  // namespace

std::string run_version_select(CatalogueKind kind) {
    g_version_select = {kind, std::nullopt};
    page_run(version_select_layout(), [](Page dialog, PageEvent event, int id) {
        if (event == PageEvent::open) {
            list_set_items(dialog, ID_VERSION_LIST, version_select_items(g_version_select.kind));
            list_select(dialog, ID_VERSION_LIST, version_select_initial(g_version_select.kind));
        } else if (event == PageEvent::command && id == ID_VERSION_SELECT) {
            const int line = list_selection(dialog, ID_VERSION_LIST);
            if (line >= 0) g_version_select.chosen = line;
            page_end(dialog, id);
        } else if ((event == PageEvent::command && id == ID_VERSION_CANCEL) || event == PageEvent::close) {
            page_end(dialog, ID_VERSION_CANCEL);
        }
    });
    return version_select_finish(g_version_select.kind, g_version_select.chosen);
}
