#pragma once
// Registers the earlier-generation load procedures with the transfer page.
void register_earlier_generation_procedures();
