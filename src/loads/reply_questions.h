#pragma once
// The technician's question after a reply a procedure cannot go on with, and
// the page's end that the answer chooses.
#include "link/commands.h"
#include "platform/pages.h"

// Closes the port, shows what the unit said (and that it restarted, when it
// greeted), asks `question` ("Operation timed out\nTry again?" after a
// time-out) and ends the page: Yes back to the setup page, No quits.
void ask_after_reply(Page page, ReplyVerdict verdict, const char* reply, const char* question);
// judge_reply, then ask_after_reply unless the reply was accepted. True when accepted.
[[nodiscard]] bool reply_accepted(Page page, const char* reply, int read_result, const char* expected,
                                  const char* question);
// After a mode command not answered: ask_after_reply with the unit's reply
// and "Unit replied with an error.\nTry again?".
void ask_after_mode_command(Page page, const ModeOpening& opening);
