#pragma once
// The terminal backend of the page model: the top page drawn on the screen,
// keys read as the technician's actions. Pages nest (a dialog over the setup
// page); only the top one is drawn. Boxes and pickers are prompts.
#include "platform/page_model.h"

int term_page_run(const PageLayout& layout, PageHandler handler);
// Takes one pending key, posted command or due timer of the top page and
// dispatches it, then redraws if the page changed; never waits.
void term_pages_pump();
int term_message_box(std::string_view text, std::string_view caption, BoxButtons buttons, BoxIcon icon);
std::optional<std::string> term_pick_file(Page owner, const FilePicker& picker);
std::optional<std::string> term_browse_folder(Page owner, std::string_view title);
