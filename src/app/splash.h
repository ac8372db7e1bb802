#pragma once
// The splash window: names the program, shows the attached unit's picture and
// stops a served unit's flight functions while the uploader runs.
#include <string>
#include <string_view>

// The splash template for the model text detect_model gave.
int splash_template_for(std::string_view model);
// True when the model text belongs to the served family and is restarted at exit.
bool is_served_model(std::string_view model);
struct SplashOutcome {
    bool family_unit_at_start;
    // The technician closed the splash: the program ends without the wizard.
    bool quit;
};
// Shows the splash.
SplashOutcome DoSplash();
// The program's title as the splash builds it: name, ", Version ", version.
std::string program_title();
// The legal text of the version block, shown in the setup page's footer.
std::string legal_text();
