#pragma once

// The files the tool and the solver program exchange, by their fixed names,
// and the folder a run keeps them in: the working directory, or the folder
// --workdir names, where the solver program then runs. Every other path
// (the instance, the demands, the result files) keeps its meaning relative
// to where the tool was started. Their layouts, with the one reader and
// writer of each, are in common/: "pmeddata.dat" in pmed_file.h,
// "solucao.txt" in solution_file.h, the sets in vertex_sets.h, the end
// marker in end_mark.h; a file written for the other program goes under a
// temporary name and is renamed into place when complete (files.h, OutFile).

#include <csignal>
#include <string>

inline constexpr const char* kCostFile = "pmeddata.dat";
inline constexpr const char* kDistanceFile = "pmedmtrx.dat";
// With --sparse, the solver's only input: each candidate's cover list
// (cover_file.h), named to the solver by "-K pmedcob.dat".
inline constexpr const char* kCoverFile = "pmedcob.dat";
inline constexpr const char* kCoverFileOption = "-K";
inline constexpr const char* kSolutionFile = "solucao.txt";
inline constexpr const char* kSolutionTemporary = "solucao.txt.tmp";
inline constexpr const char* kReassignmentFile = "solucaoR.txt";
// The centres that stay open and the only sites for new ones, written for
// the solver when the user names them (0-based: a count, then the vertices).
inline constexpr const char* kFixedCentresFile = "abertos.txt";
inline constexpr const char* kCandidateSitesFile = "candidatos.txt";
// Read from where the tool was started, not from the run's folder: it is an
// input, like the instance.
inline constexpr const char* kDemandFile = "demanda.txt";

// The solver's answers for a list of p (curve_file.h), with --facilities
// LIST only.
inline constexpr const char* kCurveFile = "curva.txt";
inline constexpr const char* kCurveTemporary = "curva.txt.tmp";

// How the tool asks a running solver to stop at its best answer so far
// (its user pressed Ctrl-C), and the status the solver then exits with,
// having written its answer as always. The solver is started with SIGINT
// ignored, so that the terminal's Ctrl-C reaches the tool alone.
inline constexpr int kSolverStopSignal = SIGUSR1;
inline constexpr int kSolverStoppedStatus = 130;

// The files a run may write into its folder, the solver's temporary twins of
// "solucao.txt" and "curva.txt" included; the sets only with --open and
// --candidates, the cover lists only with --sparse.
inline constexpr const char* kRunOutputs[] = {
    kCostFile,           kDistanceFile,     kSolutionFile,
    kSolutionTemporary,  kReassignmentFile, kFixedCentresFile,
    kCandidateSitesFile, kCoverFile,        kCurveFile,
    kCurveTemporary};

// Sets the run's folder; empty (the default) is the working directory.
// Called once, before any run file is used.
void setRunFolder(const std::string& folder);

// The run's folder as given; empty for the working directory.
const std::string& runFolder();

// The path of one of kRunOutputs inside the run's folder. The texts are made
// by setRunFolder, so the interrupt handler may use them.
const char* runPath(const char* name);
