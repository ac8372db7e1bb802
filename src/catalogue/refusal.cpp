#include "catalogue/refusal.h"

#include "output/log.h"

std::string with_text(std::string_view form, std::string_view value) {
    std::string text(form);
    const std::size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, value);
    return text;
}

void refuse(std::string_view text, std::string_view caption, BoxIcon icon) {
    log_write(text);
    message_box(text, caption, BoxButtons::ok, icon);
}
