// The schedule of the covering solve with stub phases: when the second
// proof starts, which answer wins, and what a proof does to the search.

#include "pmedian/cover_schedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using std::chrono::milliseconds;

// Waits until `flag` is raised, for at most a few seconds, so that a stub
// that is never released fails the test instead of hanging it.
bool waitFor(const std::atomic<bool>& flag) {
  for (int k = 0; k < 500 && !flag.load(); ++k)
    std::this_thread::sleep_for(milliseconds(10));
  return flag.load();
}

// Stub phases on whole coverages up to 1000: the start covers 100 and the
// short search 110 below a bound of 200; the rest is set by each case.
struct StubSolve {
  StubSolve() : incumbent(1000, 0.5, true) {
    effort.budget = 1;
    phases.start = {"inicio", [](CoverLane& lane) {
                      laneFound(lane, {0}, 100, Claim::kAnswer);
                    }};
    phases.bound = {"limite", [](CoverLane& lane) { laneBound(lane, 200); }};
    phases.shortSearch = {"busca curta", [](CoverLane& lane) {
                            laneFound(lane, {1}, 110, Claim::kAnswer);
                          }};
    phases.fullSearch = {"busca", [](CoverLane&) {}};
    phases.recombination = {"recombinacao",
                            [this](CoverLane&) { searchDone.store(true); }};
    phases.searchAgain = {"segunda busca", [](CoverLane&) {}};
    phases.relaxation = {"relaxacao", [](CoverLane&) {}};
    phases.branchAndCut = {"prova", [](CoverLane&) {}};
    phases.secondProof = {"segunda prova", [this](CoverLane& lane) {
                            secondStart = lane.covered;
                            secondCentres = lane.centres;
                          }};
  }

  // Branch and cut that runs until stopped, then offers `centres` covering
  // `covered`, unproven.
  void proofUntilStopped(std::vector<int> centres, double covered) {
    phases.branchAndCut = {"prova", [this, centres, covered](CoverLane& lane) {
                             stopSeen = waitFor(*lane.stop);
                             laneFound(lane, centres, covered, Claim::kBetter);
                           }};
  }

  void run() { runCoverSchedule(phases, incumbent, effort); }

  CoverIncumbent incumbent;
  SearchEffort effort;
  CoverPhases phases;
  std::atomic<bool> searchDone{false};
  bool stopSeen = false;
  double secondStart = -1;  // -1 while the second proof has not run
  std::vector<int> secondCentres;
};

TEST(CoverScheduleTest, SecondProofStartsFromBetterSearchAnswer) {
  StubSolve solve;
  solve.phases.fullSearch = {"busca", [](CoverLane& lane) {
                               laneFound(lane, {2}, 120, Claim::kAnswer);
                             }};
  solve.proofUntilStopped({3}, 110);
  solve.run();
  EXPECT_TRUE(solve.stopSeen);
  EXPECT_EQ(solve.secondStart, 120);
  EXPECT_EQ(solve.secondCentres, std::vector<int>{2});
  EXPECT_EQ(solve.incumbent.view().foundBy, std::string("busca"));
}

// The proof found more than the search before it was stopped: the second
// proof starts from the proof's answer, the best known.
TEST(CoverScheduleTest, BetterAnswerWinsWhicheverLaneFoundIt) {
  StubSolve solve;
  solve.phases.fullSearch = {"busca", [](CoverLane& lane) {
                               laneFound(lane, {2}, 120, Claim::kAnswer);
                             }};
  solve.proofUntilStopped({3}, 130);
  solve.run();
  EXPECT_EQ(solve.secondStart, 130);
  EXPECT_EQ(solve.secondCentres, std::vector<int>{3});
  EXPECT_EQ(solve.incumbent.view().covered, 130);
}

// A search that ends no better than the proof's start leaves the proof to
// run to its end: no stop, no second proof.
TEST(CoverScheduleTest, NoSecondProofWithoutBetterSearchAnswer) {
  StubSolve solve;
  solve.phases.recombination = {"recombinacao", [&solve](CoverLane& lane) {
                                  laneFound(lane, {4}, 110, Claim::kAnswer);
                                  solve.searchDone.store(true);
                                }};
  solve.phases.branchAndCut = {"prova", [&solve](CoverLane& lane) {
                                 waitFor(solve.searchDone);
                                 std::this_thread::sleep_for(milliseconds(50));
                                 solve.stopSeen = lane.stop->load();
                                 laneBound(lane, 150);
                               }};
  solve.run();
  EXPECT_TRUE(solve.searchDone.load());
  EXPECT_FALSE(solve.stopSeen);
  EXPECT_EQ(solve.secondStart, -1);
  // The search's later equal answer stands over its earlier one.
  EXPECT_EQ(solve.incumbent.view().centres, std::vector<int>{4});
  EXPECT_EQ(solve.incumbent.view().upper, 150);
}

TEST(CoverScheduleTest, NoSecondProofPastTheDeadline) {
  StubSolve solve;
  solve.effort.deadline = 1e-9;
  solve.phases.fullSearch = {"busca", [](CoverLane& lane) {
                               laneFound(lane, {2}, 120, Claim::kAnswer);
                             }};
  // The proof is not stopped for a second proof: it ends on its own cap,
  // here once the search is done.
  solve.phases.branchAndCut = {"prova", [&solve](CoverLane& lane) {
                                 waitFor(solve.searchDone);
                                 solve.stopSeen = lane.stop->load();
                               }};
  solve.run();
  EXPECT_EQ(solve.secondStart, -1);
  EXPECT_EQ(solve.incumbent.view().covered, 120);
}

// A proof stops the search, and its answer stands on a tie with what the
// search offers after it, whichever came first.
TEST(CoverScheduleTest, ProofHaltsSearchAndStandsOnATie) {
  StubSolve solve;
  solve.phases.relaxation = {"relaxacao",
                             [](CoverLane& lane) { laneBound(lane, 110.4); }};
  solve.phases.branchAndCut = {"prova", [](CoverLane& lane) {
                                 laneFound(lane, {5}, 110, Claim::kOptimal);
                               }};
  bool halted = false;
  solve.phases.fullSearch = {"busca", [&halted](CoverLane& lane) {
                               for (int k = 0; k < 500 && !halted; ++k) {
                                 halted = lane.effort->halt->load();
                                 std::this_thread::sleep_for(milliseconds(10));
                               }
                               laneFound(lane, {6}, 110, Claim::kAnswer);
                             }};
  solve.run();
  EXPECT_TRUE(halted);
  EXPECT_EQ(solve.secondStart, -1);
  IncumbentView answer = solve.incumbent.view();
  EXPECT_EQ(answer.centres, std::vector<int>{5});
  EXPECT_TRUE(answer.optimal);
  EXPECT_FALSE(solve.incumbent.gapOpen());
  EXPECT_EQ(answer.boundBy, std::string("relaxacao"));
}

// Without the exact phases the search runs alone; a gap closed by the
// short search ends the schedule there.
TEST(CoverScheduleTest, ProofPhasesRunOnlyWhenAllowedAndNeeded) {
  StubSolve solve;
  solve.phases.prove = false;
  bool proofRan = false;
  solve.phases.relaxation = {"relaxacao",
                             [&proofRan](CoverLane&) { proofRan = true; }};
  solve.run();
  EXPECT_FALSE(proofRan);
  EXPECT_TRUE(solve.searchDone.load());

  StubSolve closed;
  closed.phases.bound = {"limite",
                         [](CoverLane& lane) { laneBound(lane, 110.9); }};
  closed.run();
  EXPECT_FALSE(closed.searchDone.load());
  EXPECT_EQ(closed.incumbent.view().upper, 110);
  EXPECT_FALSE(closed.incumbent.gapOpen());
}

// A goal ends the schedule once an answer reaches it or the bound falls
// below it, without claiming the answer optimal: after the short search,
// after the bound, or with the full search beside a proof that it stops.
TEST(CoverScheduleTest, GoalSettledEndsTheScheduleUnproven) {
  struct Case {
    double goal;
    double covered;     // the answer the schedule ends with
    bool fullSearch;    // the full search ran
    bool proofStopped;  // branch and cut ran and was stopped
  };
  for (const Case& c :
       {Case{105, 110, false, false}, Case{300, 100, false, false},
        Case{150, 150, true, true}}) {
    SCOPED_TRACE(c.goal);
    StubSolve solve;
    solve.incumbent.setGoal(c.goal);
    bool searched = false;
    solve.phases.fullSearch = {"busca", [&searched](CoverLane& lane) {
                                 searched = true;
                                 laneFound(lane, {2}, 150, Claim::kAnswer);
                               }};
    solve.proofUntilStopped({3}, 120);
    solve.run();
    EXPECT_EQ(solve.incumbent.view().covered, c.covered);
    EXPECT_TRUE(solve.incumbent.gapOpen());
    EXPECT_TRUE(solve.incumbent.goalSettled());
    EXPECT_EQ(searched, c.fullSearch);
    EXPECT_EQ(solve.stopSeen, c.proofStopped);
    EXPECT_EQ(solve.secondStart, -1);
  }
}

// With a second search to come, a better answer of the first two search
// phases restarts the proof from it at once, but only once the proof is past
// its relaxation, which cannot be stopped; the proof is stopped again only
// for a second proof from a still better answer.
TEST(CoverScheduleTest, ProofRestartsBeforeTheSecondSearch) {
  struct Case {
    double first;   // what the full search finds
    double second;  // what the second search finds
    bool relaxing;  // the relaxation runs until the second search begins
    std::vector<double> proofStarts;
    double secondProof;  // -1: none
  };
  for (const Case& c :
       {Case{120, 130, false, {110, 120}, 130},
        Case{120, 120, false, {110, 120}, -1},
        Case{110, 130, false, {110}, 130}, Case{120, 130, true, {110}, 130}}) {
    SCOPED_TRACE(c.first);
    SCOPED_TRACE(c.relaxing);
    StubSolve solve;
    solve.phases.searchAgainWanted = [](const CoverLane&) { return true; };
    // Otherwise the search ends once the proof is past its relaxation.
    std::atomic<bool> cutting{false}, again{false};
    solve.phases.fullSearch = {"busca", [&c, &cutting](CoverLane& lane) {
                                 if (!c.relaxing)
                                   waitFor(cutting);
                                 laneFound(lane, {2}, c.first, Claim::kAnswer);
                               }};
    solve.phases.searchAgain = {"segunda busca", [&c, &again](CoverLane& lane) {
                                  again.store(true);
                                  laneFound(lane, {3}, c.second,
                                            Claim::kAnswer);
                                }};
    solve.phases.relaxation = {"relaxacao", [&c, &again](CoverLane&) {
                                 if (c.relaxing)
                                   waitFor(again);
                               }};
    std::vector<double> starts;
    solve.phases.branchAndCut = {
        "prova", [&](CoverLane& lane) {
          starts.push_back(lane.covered);
          cutting.store(true);
          // Runs until stopped or the search ends.
          for (int k = 0; k < 20 && !lane.stop->load(); ++k)
            std::this_thread::sleep_for(milliseconds(10));
        }};
    solve.run();
    EXPECT_EQ(starts, c.proofStarts);
    EXPECT_EQ(solve.secondStart, c.secondProof);
    EXPECT_EQ(solve.incumbent.view().covered, std::max(c.first, c.second));
  }
}

}  // namespace
