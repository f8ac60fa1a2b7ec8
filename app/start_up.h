// The start-up thread: started by the main window on WM_APP_START, once
// after the window exists and again after every restart. It prepares the
// run, runs the run loop on itself and ends in lf_closingDown.
#pragma once

// The thread's body; catches every exception itself.
void lf_startUpVLNT();
// The top of the start-up thread for an exception that reached it (call it
// inside a catch block): the error line shows it and the run ends as a
// SYSTEM ERROR; a production run ends with exit code 1.
void lf_reportStartUpException() noexcept;

// WM_APP_START on the window thread: starts a new start-up thread. The
// previous one posted this message as its very last act, so waiting for its
// end takes no time and never waits for anything the window must do.
void lf_onAppStart();
// At program end, after WM_APP_QUIT (the thread's last act): waits for the
// last start-up thread to end, so nothing of it runs while the process exits.
void lf_joinStartUpThread();
