#pragma once
// The transfer page: opens the link, then on its first tick runs the one
// procedure for the chosen function and the unit at hand.
#include <cstdint>
#include <span>

#include "platform/pages.h"

int DoTransfer();
// True once the technician stopped a running procedure (Cancel, Escape or the
// page's close box) in this run: the program then ends as a failure.
bool procedure_cancelled();
void procedure_cancelled_reset();
// The procedure for a recordings download asked of an earlier-generation
// unit, which keeps none: the page says so.
int refuse_download(Page page);
// Whether earlier-generation software (bytes 248..251 read with the first
// byte least significant) suits a unit with these P table bytes.
bool software_suits_unit(uint32_t software, uint32_t unit, int generation);
