#include "loads/reply_questions.h"

#include "link/serial.h"
#include "output/report.h"
#include "output/status.h"
#include "output/status_shown.h"
#include "platform/page_result.h"

void ask_after_reply(Page page, ReplyVerdict verdict, const char* reply, const char* question) {
    if (verdict == ReplyVerdict::timed_out) {
        question = "Operation timed out\nTry again?";
    } else {
        // The question keeps its words; the unit's own stand on a line before it.
        status_show_failure_detail(formatted("Unit sent '%s'", reply));
        if (verdict == ReplyVerdict::restarted)
            status_show_failure_detail("The unit has restarted: what it was sent before is lost");
    }
    unit_close_port();
    page_end(page, report_error(question) ? RESULT_BACK : RESULT_QUIT);
}

bool reply_accepted(Page page, const char* reply, int read_result, const char* expected, const char* question) {
    const ReplyVerdict verdict = judge_reply(reply, read_result, expected);
    if (verdict == ReplyVerdict::accepted) return true;
    ask_after_reply(page, verdict, reply, question);
    return false;
}

void ask_after_mode_command(Page page, const ModeOpening& opening) {
    ask_after_reply(page, opening.verdict, g_commands.unit_reply.data(), "Unit replied with an error.\nTry again?");
}
