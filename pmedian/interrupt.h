#pragma once

// Interrupts of the solver program. SIGTERM, SIGHUP and a second SIGINT end
// the program at once, at any stage: the signals are blocked in every thread
// from here on (threads started later inherit the mask) and a watcher thread
// waits for them, removes "solucao.txt", "curva.txt" and their temporary
// twins and exits with status 128 + signal.
// A first SIGINT (Ctrl-C), or kSolverStopSignal (which the tool sends when
// its user presses Ctrl-C), only asks the solve to stop: every phase ends at
// its next check, the best answer so far is written as always, with the
// bound known then, and the program exits with kSolverStoppedStatus.
// This holds inside the branch and cut too, whose library installs its own
// SIGINT handler that would turn an interrupt into a normal finish. Called
// first in main, before any other thread starts. A signal ignored when the
// program started (as under nohup) stays ignored.
void watchInterrupts();

// True once a stop was asked for; the solve's phases read it at their
// checks of the clock.
bool stopWanted();
