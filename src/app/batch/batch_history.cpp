#include "app/batch/batch_history.h"

#include "records/history_file.h"
#include "records/history_table.h"
#include "records/record_json.h"

int print_history(const BatchOptions& options, const std::string& top, std::ostream& out, std::ostream& warnings) {
    const std::string path = history_path(top);
    const HistoryRead history = read_history(path);
    for (const std::string& warning : history.warnings) warnings << "htaws-uploader: warning: " << warning << "\n";
    if (!history.error.empty()) {
        warnings << "htaws-uploader: " << history.error << "\n";
        return 1;
    }
    const std::vector<LoadRecord> records = records_of_unit(history.records, options.unit);
    if (options.json) {
        out << "[";
        for (std::size_t i = 0; i < records.size(); ++i) {
            std::string line = record_json_line(records[i]);
            line.pop_back();
            out << (i ? ",\n" : "\n") << line;
        }
        out << "\n]\n";
        return 0;
    }
    if (records.empty()) {
        out << "No loads recorded" << (options.unit ? " for unit " + unit_number_text(*options.unit) : std::string())
            << " in " << path << ".\n";
        return 0;
    }
    for (const LoadRecord& record : last_per_unit_and_function(records)) out << history_line(record) << "\n";
    return 0;
}
