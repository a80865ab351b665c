// Runs the micro-benchmarks on the offscreen platform, then checks the timings
// that have a target and prints one verdict line per checked run:
//   target <TAB> name <TAB> milliseconds <TAB> limit <TAB> pass|FAIL
// The exit status is non-zero when a checked run misses its target.

#include <benchmark/benchmark.h>

#include <QApplication>

#include <unistd.h>

#include <iomanip>
#include <iostream>
#include <regex>
#include <string>
#include <vector>

namespace {

struct Target {
  std::regex name;
  double limitMs;
};

// A lap stays cheap however long the list is; choosing a mode rewrites every line
// but still answers at once.
const std::vector<Target>& Targets() {
  static const std::vector<Target> targets{
      {std::regex("^BM_Lap/mode:[1-4]/records:100000(/|$)"), 1.0},
      {std::regex("^BM_ChooseMode/mode:[1-4]/records:100000(/|$)"), 100.0},
  };
  return targets;
}

// The console output, plus a verdict for every run that has a target.
class TargetReporter final : public benchmark::ConsoleReporter {
 public:
  TargetReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      const std::string name = run.benchmark_name();
      for (const Target& target : Targets()) {
        if (!std::regex_search(name, target.name)) continue;
        const double ms = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e3;
        verdicts_.push_back({name, ms, target.limitMs});
      }
    }
  }

  // Prints the verdicts; true when every checked run met its target.
  bool PrintVerdicts(std::ostream& out) const {
    bool allMet = true;
    for (const Verdict& v : verdicts_) {
      const bool met = v.ms <= v.limitMs;
      allMet = allMet && met;
      out << "target\t" << v.name << '\t' << std::fixed << std::setprecision(4) << v.ms << '\t' << v.limitMs << '\t'
          << (met ? "pass" : "FAIL") << '\n';
    }
    return allMet;
  }

 private:
  struct Verdict {
    std::string name;
    double ms;
    double limitMs;
  };
  std::vector<Verdict> verdicts_;
};

// The offscreen platform warns about every window that sets size hints; the
// benchmarks create many, and the warning says nothing about them.
QtMessageHandler previousHandler = nullptr;

void DropSizeHintWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QLatin1String("propagateSizeHints"))) return;
  if (previousHandler) {
    previousHandler(type, context, message);
  } else {
    std::cerr << qPrintable(qFormatLogMessage(type, context, message)) << '\n';
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  previousHandler = qInstallMessageHandler(DropSizeHintWarnings);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  TargetReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return reporter.PrintVerdicts(std::cout) ? 0 : 1;
}
