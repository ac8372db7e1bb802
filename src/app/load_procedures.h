#pragma once
// Registers the load procedures of the loads module with the transfer page,
// by the names the route table uses.
void register_load_procedures();
