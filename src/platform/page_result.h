#pragma once
// What a wizard page ends with (page_end, page_run's result): the next page
// follows from it.
enum PageResult : int {
    RESULT_QUIT = 0,
    RESULT_BACK = 1000,  // back to the setup page, also the answer Yes to "Try again?"
    RESULT_NEXT = 1001,
    RESULT_SETUP = 1002,
    RESULT_WAITING_AGAIN = 4,  // the waiting page once more, to read the unit again
};
