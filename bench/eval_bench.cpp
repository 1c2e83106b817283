// Evaluations per second of the expression shapes the runtime runs most:
// a line amount, a report condition, a settings list and a report line.
#include <benchmark/benchmark.h>

#include "core/core.h"
#include "lang/eval.h"
#include "lang/lang.h"
#include "lang/subst.h"

namespace {

using tol::StrRef;

void SetUpShop() {
  (void)tol::EvaluateCheck(
      "CANT#=3;PRECIO#=19.95;DTO#=12.5;NOMBRE$='Garcia Lopez';TOTAL#=250.4;"
      "FECHA$='11-12-2026'");
}

void BM_LineAmount(benchmark::State& state) {
  tol::LangScope lang;
  SetUpShop();
  for (auto _ : state) {
    tol::ScratchFrame f;
    benchmark::DoNotOptimize(tol::Evaluate("IMP#=CANT#*PRECIO#-CANT#*PRECIO#%DTO#"));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LineAmount);

void BM_PatternCondition(benchmark::State& state) {
  tol::LangScope lang;
  SetUpShop();
  for (auto _ : state)
    benchmark::DoNotOptimize(tol::EvaluateCondition("NOMBRE$=='GAR*'&&TOTAL#>100"));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PatternCondition);

void BM_AssignmentList(benchmark::State& state) {
  tol::LangScope lang;
  SetUpShop();
  for (auto _ : state)
    benchmark::DoNotOptimize(
        tol::EvaluateCheck("A=1;B=2;C#=3.5;D$='x';E=A+B;F#=C#*2;G$=D$+'y';H=E*F#;I#=H/3;J=I#>1"));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AssignmentList);

void BM_ReportLine(benchmark::State& state) {
  tol::LangScope lang;
  SetUpShop();
  for (auto _ : state) {
    tol::ScratchFrame f;
    benchmark::DoNotOptimize(
        tol::BracketSubstitute("Cliente:  [NOMBRE$]   Total: [TOTAL#*1.21]   Fecha: [FECHA$]", 0));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReportLine);

}  // namespace
