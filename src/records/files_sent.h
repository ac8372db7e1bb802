#pragma once
// The files a load sent to the unit in this run, each with the load checksum
// it computed and handed the unit, for the run's record.
#include <cstdint>
#include <string>
#include <vector>

#include "records/load_record.h"

void note_file_sent(const std::string& path, uint64_t size, uint32_t checksum);
const std::vector<RecordedFile>& files_sent();
// A new run: none sent yet.
void files_sent_forget();
