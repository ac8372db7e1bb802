#include "check/run.h"

#include <filesystem>
#include <system_error>

#include "catalogue/catalogue.h"
#include "catalogue/refusal.h"
#include "catalogue/setup_entry.h"
#include "check/kinds.h"
#include "check/options.h"
#include "check/report_json.h"
#include "check/report_text.h"
#include "formats/image.h"
#include "platform/paths.h"

namespace {
CandidateResult checked(const std::string& candidate, bool passed) {
    return {candidate, passed, take_reported_boxes()};
}

KindResult check_kind(const CheckKind& kind, const std::string& top_directory, bool all) {
    const FoundFiles found = kind.find(top_directory);
    KindResult result{std::string(kind.name), std::string(kind.title), found.names, found.offered, {}};
    if (found.offered < 0) {
        const bool passed = check_found_candidate(kind, found, -1);
        result.checks.push_back(checked({}, passed));
        return result;
    }
    const int first = all ? 0 : found.offered;
    const int last = all ? static_cast<int>(found.names.size()) - 1 : found.offered;
    for (int i = first; i <= last; ++i) {
        const bool passed = check_found_candidate(kind, found, i);
        result.checks.push_back(checked(found.names[i], passed));
    }
    return result;
}

KindResult check_one_file(const CheckKind& kind, const std::string& path) {
    const bool passed = kind.check_file(path);
    return {std::string(kind.name), std::string(kind.title), {path}, 0, {checked(path, passed)}};
}

bool directory_readable(const std::string& path, std::ostream& err) {
    if (!path_fits(path)) {
        err << "htaws-check: " << path_too_long_message(path) << '\n';
        return false;
    }
    std::error_code error;
    std::filesystem::directory_iterator listing(std::filesystem::path(path), error);
    if (!error && !std::filesystem::is_directory(std::filesystem::path(path), error))
        error = std::make_error_code(std::errc::not_a_directory);
    if (!error) return true;
    err << "htaws-check: cannot read the top-level directory '" << path << "': " << error.message() << '\n';
    return false;
}

std::vector<KindResult> check_directory(const CheckOptions& options) {
    catalogue_read_only_entry(options.top_directory);
    take_reported_boxes();
    std::vector<KindResult> results;
    for (const CheckKind& kind : check_kinds())
        if (!options.kind || kind.name == *options.kind)
            results.push_back(check_kind(kind, options.top_directory, options.all));
    return results;
}
}  // namespace

int run_check(const std::vector<std::string_view>& args, std::ostream& out, std::ostream& err) {
    std::string error;
    const CheckOptions options = parse_check_options(args, error);
    if (!error.empty()) {
        err << "htaws-check: " << error << "\nTry 'htaws-check --help'.\n";
        return check_usage_error;
    }
    if (options.help) {
        out << check_usage();
        return check_passed;
    }
    if (!options.file && !directory_readable(options.top_directory, err)) return check_usage_error;

    catalogue_module_reset();
    take_reported_boxes();
    const std::vector<KindResult> results =
        options.file ? std::vector<KindResult>{check_one_file(*find_check_kind(*options.as), *options.file)}
                     : check_directory(options);
    // The open image keeps its file open; a run leaves nothing open behind it.
    image_reset();
    catalogue_module_reset();

    if (options.json)
        write_json_report(results, out);
    else
        write_text_report(results, out);
    return report_passed(results) ? check_passed : check_failed;
}
