// Timing shared by the benchmarks: best and median of repeated runs measured with the
// performance counter, and the rows that compare a piece of work with one memcpy.
#pragma once
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <utility>
#include <vector>
#include "classlib/system/Win.h"

struct Timing {
  double Best;  // milliseconds
  double Median;
};

// The milliseconds one run of work takes.
inline double TimeOnce(const std::function<void()>& work) {
  LARGE_INTEGER frequency, start, stop;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  work();
  ::QueryPerformanceCounter(&stop);
  return 1000.0 * static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline Timing BestAndMedian(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return Timing{times.front(), times[times.size() / 2]};
}

// Runs prepare (untimed) and then work (timed) `runs` times.
inline Timing Measure(int runs, const std::function<void()>& prepare,
                      const std::function<void()>& work) {
  std::vector<double> times;
  times.reserve(runs);
  for (int i = 0; i < runs; ++i) {
    prepare();
    times.push_back(TimeOnce(work));
  }
  return BestAndMedian(std::move(times));
}

inline Timing Measure(int runs, const std::function<void()>& work) {
  return Measure(runs, [] {}, work);
}

// One side of a comparison timed in turns: its untimed preparation and its timed work.
struct Turn {
  std::function<void()> Prepare = [] {};
  std::function<void()> Work;
};

// One side's times, and the median over the rounds of its time over the first side's.
struct TurnTiming {
  Timing Time;
  double RatioToFirst;
};

// Times the sides in turns, the first, the second … the last, then the first again, `rounds`
// times, each run after its untimed prepare, so that a change of the machine's load falls on
// every side of a round alike.
inline std::vector<TurnTiming> MeasureRounds(int rounds, const std::vector<Turn>& sides) {
  std::vector<std::vector<double>> times(sides.size()), ratios(sides.size());
  for (int round = 0; round < rounds; ++round)
    for (size_t s = 0; s < sides.size(); ++s) {
      sides[s].Prepare();
      times[s].push_back(TimeOnce(sides[s].Work));
      const double first = times[0].back();
      ratios[s].push_back(first > 0 ? times[s].back() / first : 0.0);
    }
  std::vector<TurnTiming> result;
  for (size_t s = 0; s < sides.size(); ++s)
    result.push_back(TurnTiming{BestAndMedian(times[s]), BestAndMedian(ratios[s]).Median});
  return result;
}

// Two sides of a comparison: each side's best and median, and the median of the pairs' ratios.
struct Paired {
  Timing A, B;
  double Ratio;  // median over the pairs of B / A
};

// Times the two sides in turns, A, B, A, B …, `pairs` times, each run after its untimed
// prepare, so that a change of the machine's load falls on both sides of a pair alike.
inline Paired MeasurePairs(int pairs, const std::function<void()>& prepareA, const std::function<void()>& workA,
                           const std::function<void()>& prepareB, const std::function<void()>& workB) {
  const std::vector<TurnTiming> t = MeasureRounds(pairs, {Turn{prepareA, workA}, Turn{prepareB, workB}});
  return Paired{t[0].Time, t[1].Time, t[1].RatioToFirst};
}

inline Paired MeasurePairs(int pairs, const std::function<void()>& workA, const std::function<void()>& workB) {
  return MeasurePairs(pairs, [] {}, workA, [] {}, workB);
}

// Two rows named nameA and nameB (padded to nameWidth) and the median ratio of the pairs.
inline void PrintPaired(const char* nameA, const char* nameB, const Paired& p, int nameWidth = 12) {
  std::printf("%-*s best %9.3f ms  median %9.3f ms\n", nameWidth, nameA, p.A.Best, p.A.Median);
  std::printf("%-*s best %9.3f ms  median %9.3f ms  %s/%s, median of the pairs %5.2f\n", nameWidth, nameB,
              p.B.Best, p.B.Median, nameB, nameA, p.Ratio);
}

// One row: the work's times, the median of the copies timed in turns with it, and the median
// of the pairs' ratios work / copy (the copy is side A); names padded to nameWidth.
inline void PrintAgainstCopy(const char* name, const Paired& p, int nameWidth) {
  std::printf("%-*s best %9.3f ms  median %9.3f ms  copy median %7.3f ms  /copy, median of the pairs %7.1f\n",
              nameWidth, name, p.B.Best, p.B.Median, p.A.Median, p.Ratio);
}

// Two rows: the system's times (side A), then the owner-drawn ones (B) with the median of the
// pairs' ratios.
inline void PrintAgainstSystem(const Paired& p) { PrintPaired("system", "owner-drawn", p); }

// What kind of build the numbers come from, for the heading of a benchmark's output.
inline const char* BuildKind() {
#ifdef NDEBUG
  return "optimised build";
#else
  return "debug build: our own code is not optimised";
#endif
}

// The main of a benchmark: takes the number of runs from the first argument (1..maxRuns),
// calls run with it and reports a failure. Returns the process's exit code.
inline int RunBenchmark(int argc, char** argv, const char* name, int defaultRuns, int maxRuns,
                        const std::function<int(int)>& run) {
  int runs = defaultRuns;
  if (argc > 1) {
    runs = std::atoi(argv[1]);
    if (runs < 1 || runs > maxRuns) {
      std::fprintf(stderr, "usage: %s [runs]  (1..%d, default %d)\n", name, maxRuns, defaultRuns);
      return 2;
    }
  }
  try {
    return run(runs);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "failed: %s\n", e.what());
    return 1;
  }
}
