// The kit-wide state and the message loop. One control, the application
// control (the main form), owns the loop: Run shows it and dispatches messages
// until it is closed, then frees it. An exception raised by an event handler
// never unwinds through the platform's frames: the kit window procedure keeps
// it and the loop raises it again once the platform has returned, so it leaves
// Run (or ProcessMessages) for the program's last-chance handler.
#pragma once

#include "winkit/control.h"

namespace gleamkit::winkit {

// The main form, or none. Set by the program right after making it, and by Run.
Control* ApplicationControl();
void SetApplicationControl(Control* control);

// True from Run until termination.
bool LoopRunning();
// Set by WM_QUIT, by Terminate and by the end of the session; one-way.
bool Terminated();

// Takes one message from the queue and dispatches it (WM_QUIT sets
// Terminated instead). Answers false when the queue was empty.
bool ProcessMessage();
// Dispatches messages until the queue is empty (paint messages included).
void ProcessMessages();

// Makes *main the application control, shows it and runs the loop until
// Terminated; then, when *main still holds a control, Terminate(main).
void Run(Control*& main);

// Ends the program's loop: sets Terminated, clears LoopRunning and the
// application control. The application control (if any) then gets its pending
// messages and WM_CLOSE (only when the loop had not been terminated before),
// `main` is cleared and the control freed.
void Terminate(Control*& main);

// Starts over after a finished (or abandoned) loop: clears Terminated and
// LoopRunning and forgets the application control, so another loop can run in
// the same process (a program that recovers from an error, or a test). The
// caller frees its controls itself.
void ResetApplication();

// Raises the exception a handler left in the kit window procedure, if any
// (the first one kept; later ones are dropped).
void RethrowPendingException();
// Keeps the exception being handled for RethrowPendingException.
void KeepPendingException() noexcept;

// Installed with the first accelerator table: offers key messages to the
// accelerator tables of the control, of its current control and of its form.
// Answers true when one of them translated the key.
using KeyTranslationHook = bool (*)(Control& control, KitMessage& message);
void InstallKeyTranslationHook(KeyTranslationHook hook);
KeyTranslationHook InstalledKeyTranslationHook();

// Installed by the first SetAlign: lays out a control's aligned children.
using RealignHook = void (*)(Control& control);
void InstallRealignHook(RealignHook hook);
RealignHook InstalledRealignHook();

} // namespace gleamkit::winkit
