#pragma once
// What a page backend keeps of each control: the state the handlers set and
// read through the page seam.
#include <string>
#include <vector>

struct ControlState {
    std::string text;
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    bool read_only = false;
    int low = 0, high = 100, position = 0;
    std::vector<std::string> items;
    int selection = -1;
};
