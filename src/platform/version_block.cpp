#include "platform/process.h"
#include "version.h"

const char* built_in_version_text(VersionItem item) {
    switch (item) {
        case VersionItem::product_name: return HTAWS_PRODUCT_NAME;
        case VersionItem::product_version: return HTAWS_PRODUCT_VERSION;
        case VersionItem::file_description: return HTAWS_FILE_DESCRIPTION;
        case VersionItem::legal_copyright: return HTAWS_LEGAL_COPYRIGHT;
    }
    return "";
}
