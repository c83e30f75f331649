#pragma once
// Bringing the program up and down.

namespace lumikko {

// The program: shows the main window, runs the event loop until the main
// window is gone, stops and joins every worker, then frees the globals.
// Expects a QApplication to exist. Returns the exit status.
int start_up();

// Releases the navigation state's texts. Runs once at exit; a second call does
// nothing.
void free_globals();
int free_globals_calls();

// The part of start_up after the event loop: every worker stopped and joined,
// then free_globals.
void shut_down();

} // namespace lumikko
