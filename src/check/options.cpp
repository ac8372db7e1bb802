#include "check/options.h"

#include <algorithm>

#include "check/kinds.h"

namespace {
void require_known_kind(const std::string& name, std::string& error) {
    if (!find_check_kind(name)) error = "unknown kind '" + name + "'";
}
}  // namespace

CheckOptions parse_check_options(const std::vector<std::string_view>& args, std::string& error) {
    CheckOptions options;
    bool top_given = false;
    for (std::size_t i = 0; i < args.size() && error.empty(); ++i) {
        const std::string_view arg = args[i];
        const auto value = [&](std::optional<std::string>& target) {
            if (i + 1 >= args.size())
                error = std::string(arg) + " needs a value";
            else if (target)
                error = std::string(arg) + " given twice";
            else
                target = std::string(args[++i]);
        };
        if (arg == "--help" || arg == "-h")
            options.help = true;
        else if (arg == "--all")
            options.all = true;
        else if (arg == "--json")
            options.json = true;
        else if (arg == "--kind")
            value(options.kind);
        else if (arg == "--file")
            value(options.file);
        else if (arg == "--as")
            value(options.as);
        else if (arg.starts_with("-") && arg != "-")
            error = "unknown option " + std::string(arg);
        else if (top_given)
            error = "more than one top-level directory";
        else {
            options.top_directory = std::string(arg);
            top_given = true;
        }
    }
    if (!error.empty() || options.help) return options;
    if (options.file.has_value() != options.as.has_value())
        error = "--file and --as go together";
    else if (options.file && (top_given || options.kind || options.all))
        error = "--file checks one file: no top-level directory, --kind or --all with it";
    else if (options.kind)
        require_known_kind(*options.kind, error);
    else if (options.as)
        require_known_kind(*options.as, error);
    return options;
}

std::string check_usage() {
    std::string text =
        "Usage: htaws-check [TOPDIR] [--kind NAME] [--all] [--json]\n"
        "       htaws-check --file PATH --as KIND [--json]\n"
        "\n"
        "Checks the load files under TOPDIR (default: the current directory) as the\n"
        "uploader does before a load, without a unit and without changing anything on\n"
        "disk. For each kind it lists the candidates newest first, the one the uploader\n"
        "would offer, and the result of its checks with the uploader's own messages.\n"
        "\n"
        "  --kind NAME   check one kind only\n"
        "  --all         check every candidate, not only the one offered\n"
        "  --json        a machine-readable report\n"
        "  --file PATH --as KIND\n"
        "                check one file as the given kind (terrain: the info file,\n"
        "                whose data file is found beside it)\n"
        "  --help        this text\n"
        "\n"
        "Kinds:\n";
    for (const CheckKind& kind : check_kinds()) {
        text += "  ";
        text += kind.name;
        text += std::string(std::max<std::size_t>(18, kind.name.size() + 1) - kind.name.size(), ' ');
        text += kind.title;
        text += '\n';
    }
    text +=
        "\n"
        "Exit status: 0 every check passed; 1 a check failed or a kind has no\n"
        "candidate; 2 a usage error or an unreadable directory.\n"
        "\n"
        "Examples:\n"
        "  htaws-check /media/loads\n"
        "  htaws-check --kind terrain --all --json\n";
    return text;
}
