#pragma once

#include <string>

// A progress line on standard error for runs that take a while: shown only
// when standard error is a terminal, first after about 2 s, then redrawn
// about once a second in place by a thread of its own, and cleared before
// the summary line. The solve only notes what the line shows.

// The text of one progress line (no line end): elapsed seconds, the phase,
// the best solution (coverage for a covering problem, else cost) and the
// bound proven so far; then, when some are, the phases that the run's cap
// cut short or left out, "(sem tempo: limite relaxacao)". A run for a list
// of p names the one being solved first, `point` as "p 50 (3 de 10): ".
std::string progressText(double seconds, const char* phase, bool covering,
                         double best, double bound,
                         const std::string& shortened = "",
                         const std::string& point = "");

// Starts the clock of the line, and its drawing thread when `wanted` and
// standard error is a terminal.
void startProgress(bool wanted);

// Notes whether the problem is solved as covering (the line speaks of
// coverage) or as p-median (of cost).
void noteCovering(bool covering);

// Notes the phase now running on the solve's one thread.
void notePhase(const char* phase);

// Notes the phase now running in lane `slot` (0 or 1) of the covering
// solve; nullptr when the lane is idle. The line names the phases of both
// lanes when both run.
void notePhase(int slot, const char* phase);

// Notes that the run's cap cut phase `phase` short or left it out: a large
// problem may not finish its start or its bound within the cap.
void notePhaseShortened(const char* phase);

// Notes that the p of a list now solved is `p`, the `index`-th (from 1) of
// `count` (not shown for a list of one); the phases cut short, the best
// solution and the bound start afresh.
void noteCurvePoint(int p, int index, int count);

// Notes the best solution (coverage or cost) and the bound known.
void noteBest(double best);
void noteBound(double bound);

// Stops the drawing thread and erases the line if one was drawn.
void clearProgress();
