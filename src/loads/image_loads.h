#pragma once
// The OS image load (kernel, device tree and root file system) and the boot
// image load of the current generation: each image's payload goes out as 'D'
// blocks at their load addresses, then a staging file carrying the baud
// command is passed through the link. Each is given the transfer page and
// returns 1 in every case; a completed load leaves the page open.
#include "platform/pages.h"

int load_os_image(Page page);
int load_boot_image(Page page);
