#include "setup/version_select_dialog.h"

#include "catalogue/version_select.h"
#include "platform/pages.h"
#include "setup/setup_layout.h"

namespace {
struct ListSelect {
    std::vector<std::string> items;
    int initial = -1;
    std::optional<int> chosen;
};
ListSelect g_list_select;
}  // namespace

std::optional<int> run_list_select(std::vector<std::string> items, int initial) {
    g_list_select = {std::move(items), initial, std::nullopt};
    page_run(version_select_layout(), [](Page dialog, PageEvent event, int id) {
        if (event == PageEvent::open) {
            list_set_items(dialog, ID_VERSION_LIST, g_list_select.items);
            list_select(dialog, ID_VERSION_LIST, g_list_select.initial);
        } else if (event == PageEvent::command && id == ID_VERSION_SELECT) {
            const int line = list_selection(dialog, ID_VERSION_LIST);
            if (line >= 0) g_list_select.chosen = line;
            page_end(dialog, id);
        } else if ((event == PageEvent::command && id == ID_VERSION_CANCEL) || event == PageEvent::close) {
            page_end(dialog, ID_VERSION_CANCEL);
        }
    });
    return g_list_select.chosen;
}

std::string run_version_select(CatalogueKind kind) {
    const std::optional<int> chosen = run_list_select(version_select_items(kind), version_select_initial(kind));
    return version_select_finish(kind, chosen);
}
