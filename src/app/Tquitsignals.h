#pragma once

class TFormMain;

// A logout, kill or Ctrl+C (SIGTERM, SIGHUP, SIGINT) ends the program without asking
// anything: the form keeps unsaved work for the next start to restore. Without a form
// the event loop just ends. The signals are held (HoldTerminationSignals) and the
// event loop takes them from a descriptor. Calling it again sets the form.
void QuitOnTerminationSignals(TFormMain *form);

// Holds the signals in this thread and every thread it starts from now on; called first
// thing, before any thread starts.
void HoldTerminationSignals();

