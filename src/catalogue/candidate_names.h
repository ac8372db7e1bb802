#pragma once
// How each catalogue recognises its files: the listings a scan makes, and
// how a listed name gives a candidate key and the part it supplies.
#include <array>
#include <optional>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/patterns.h"
#include "catalogue/upload_settings.h"

struct NameMatch {
    std::string key;  // groups the parts of one candidate
    std::string version;
    std::string first_number;
    std::string second_number;
    unsigned part = 1;
};

struct Listing;
using NameParser = std::optional<NameMatch> (*)(const std::string& name, const Listing& listing);

struct Listing {
    PatternKey glob = GLOB_NULL;
    NameParser parse = nullptr;
    PatternKey base = GLOB_NULL;
    // Database names: the suffix that must end the name and the part it
    // marks; a name holding the first suffix is never tried with the second.
    PatternKey suffix = GLOB_NULL;
    PatternKey second_suffix = GLOB_NULL;
    PatternKey marker = GLOB_NULL;
    unsigned part = 1;
};

enum class KeyForm { version, numbers, file_name, presence };

struct KindRules {
    UploadSetting folder;
    KeyForm form;
    std::array<Listing, 3> listings;
    int listing_count;
    unsigned required_parts;
};

const KindRules& kind_rules(CatalogueKind kind);
