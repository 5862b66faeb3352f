// The console summary and the progress line, as text.

#include "pmedian/summary_line.h"

#include <gtest/gtest.h>

#include "pmedian/progress.h"

namespace {

SolveOutcome coveringOutcome(double total, double uncovered, double lowest) {
  SolveOutcome outcome;
  outcome.covering = true;
  outcome.totalDemand = total;
  outcome.objective = uncovered;
  outcome.bound = lowest;
  return outcome;
}

// The gap is the share of the upper bound on coverage not reached, not the
// share of the uncovered demand.
TEST(SummaryLineTest, CoveringSpeaksOfCoverageAndItsUpperBound) {
  SolveOutcome outcome = coveringOutcome(5136, 2578, 727);
  EXPECT_EQ(summaryLine(outcome, 56.2),
            "\nCorvadel: cobertura 2558.00 limite 4409.00 gap 41.98% tempo "
            "56.20 s");
  outcome = coveringOutcome(10000, 2558, 2481);
  EXPECT_EQ(summaryLine(outcome, 3),
            "\nCorvadel: cobertura 7442.00 limite 7519.00 gap 1.02% tempo "
            "3.00 s");
}

TEST(SummaryLineTest, CoveringSaysOptimalWhenProven) {
  SolveOutcome outcome = coveringOutcome(45, 3, 3);
  outcome.proven = true;
  EXPECT_EQ(summaryLine(outcome, 0.125),
            "\nCorvadel: cobertura 42.00 limite 42.00 gap 0.00% otimo tempo "
            "0.12 s");
}

// Nothing to cover (every demand 0) is no division by zero; a bound that
// would lie below the coverage reached is shown as that coverage.
TEST(SummaryLineTest, CoveringEdgesStayFinite) {
  SolveOutcome outcome = coveringOutcome(0, 0, 0);
  outcome.proven = true;
  EXPECT_EQ(summaryLine(outcome, 0),
            "\nCorvadel: cobertura 0.00 limite 0.00 gap 0.00% otimo tempo "
            "0.00 s");
  outcome = coveringOutcome(100, 10, 12);
  EXPECT_EQ(summaryLine(outcome, 1),
            "\nCorvadel: cobertura 90.00 limite 90.00 gap 0.00% tempo 1.00 s");
}

TEST(SummaryLineTest, MedianKeepsObjectiveAndLowerBound) {
  SolveOutcome outcome;
  outcome.objective = 4133;
  outcome.bound = 3942;
  EXPECT_EQ(summaryLine(outcome, 36.1),
            "\nCorvadel: objetivo 4133.00 limite 3942.00 gap 4.62% tempo "
            "36.10 s");
  outcome.objective = 0;
  outcome.bound = 0;
  EXPECT_EQ(summaryLine(outcome, 0),
            "\nCorvadel: objetivo 0.00 limite 0.00 gap 0.00% tempo 0.00 s");
}

// The suffix benchmarks parse; times count from the program's start.
TEST(SummaryLineTest, DetailsKeepTheirFormat) {
  SolveOutcome outcome;
  outcome.covering = true;
  outcome.secondsFound = 1.5;
  outcome.secondsProven = 2.25;
  outcome.rounds = 12345678901;
  EXPECT_EQ(summaryDetails(outcome, 0.5),
            " [leitura 0.50 achado 2.00 prova 2.75 rodadas 12345678901 "
            "cobertura]");
  outcome.covering = false;
  outcome.secondsProven = -1;
  EXPECT_EQ(summaryDetails(outcome, 0.5),
            " [leitura 0.50 achado 2.00 prova -1.00 rodadas 12345678901 "
            "mediana]");
}

TEST(ProgressLineTest, ShowsElapsedPhaseBestAndBound) {
  EXPECT_EQ(progressText(12.6, "busca", true, 2558, 2578),
            "Corvadel: 13 s busca cobertura 2558.00 limite 2578.00");
  EXPECT_EQ(progressText(2, "limite", false, 4133.5, 3942),
            "Corvadel: 2 s limite custo 4133.50 limite 3942.00");
  EXPECT_EQ(progressText(30, "busca", true, 2558, 2578, "inicio limite"),
            "Corvadel: 30 s busca cobertura 2558.00 limite 2578.00 (sem "
            "tempo: inicio limite)");
}

// With standard error not a terminal (as under the tests) nothing is drawn,
// whatever the calls.
TEST(ProgressLineTest, SilentWithoutTerminal) {
  testing::internal::CaptureStderr();
  startProgress(true);
  notePhase("busca");
  noteBest(1);
  clearProgress();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
