#pragma once
// While the preflight runs nobody is asked anything: each message box a check
// would show is kept as a text instead, and a question is answered No.
#include <string>
#include <vector>

void start_recording_boxes();
void stop_recording_boxes();
// The texts since the last call, oldest first.
std::vector<std::string> take_recorded_boxes();
