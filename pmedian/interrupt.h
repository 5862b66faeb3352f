#pragma once

// Ends the program at once on SIGINT, SIGTERM or SIGHUP, at any stage: the
// signals are blocked in every thread from here on (threads started later
// inherit the mask) and a watcher thread waits for them, removes
// "solucao.txt", "curva.txt" and their temporary twins and exits with
// status 128 + signal.
// This holds inside the branch and cut too, whose library installs its own
// SIGINT handler that would turn an interrupt into a normal finish. Called
// first in main, before any other thread starts. A signal ignored when the
// program started (as under nohup) stays ignored.
void watchInterrupts();
