#pragma once

// What guards a run of the tool as a whole: interruption by a signal, and
// one run at a time per working directory.

// catchInterrupts, then lockWorkingDirectory; called once the command line
// has been checked, before anything is read or written.
void guardRun();

// Makes SIGINT, SIGTERM and SIGHUP end the process at once with status
// 128 + signal and without a report (a first SIGINT excepted while a stop
// routine is set, below), after removing the file being written
// (fileBeingWritten) and running the interrupt cleanup (if any). A signal that
// was ignored when the process started, as under nohup, stays ignored.
void catchInterrupts();

// Holds an exclusive lock on the run's folder itself (the working directory,
// or the --workdir folder, made when missing) for the rest of the process; the
// kernel releases it when the process ends, however it ends. Another run
// holding it ends this one with a message, before it has touched any file.
void lockWorkingDirectory();

// Sets the routine the interrupt handler runs, with the signal, before it
// ends the process; nullptr for none. It runs inside the signal handler, so
// it may only make async-signal-safe calls.
void setInterruptCleanup(void (*cleanup)(int signal));

// Sets the routine that a first SIGINT runs instead of ending the process;
// nullptr (the default) for none. From that SIGINT on, stopRequested() is
// true; a later SIGINT, or SIGTERM or SIGHUP at any time, ends the process
// as ever. It runs inside the signal handler: async-signal-safe calls only.
void setStopRoutine(void (*stop)());

// True once a first SIGINT was taken by the stop routine.
bool stopRequested();

// Blocks (true) or unblocks (false) the caught signals, so that a child can
// be started and recorded for the cleanup without a signal in between.
void holdInterrupts(bool hold);

// In a forked child, before exec: the caught signals back to their default
// action but `ignored`, which is ignored, and no signal blocked but
// `blocked`, which then waits until the program takes it.
void resetSignalsInChild(int ignored, int blocked);
