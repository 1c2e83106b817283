// Cost of finding and reading variables: the indexed look-up against a walk
// of the comma list, with the system variables and n application names.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "core/core.h"
#include "lang/lang.h"
#include "lang/variables.h"

namespace tol {
namespace {

// The list walk the look-up would otherwise do.
uint16_t WalkList(StrRef names, StrRef name) {
  uint16_t pos = 0;
  uint32_t start = 0;
  for (uint32_t i = 0; i <= names.size(); ++i) {
    if (i == names.size() || names[i] == ',') {
      if (i - start == name.size() &&
          std::memcmp(names.data() + start, name.data(), name.size()) == 0)
        return pos;
      ++pos;
      start = i + 1;
    }
  }
  return 0xFFFF;
}

void Populate(int n) {
  for (int i = 0; i < n; ++i) {
    std::string name = "Importe" + std::to_string(i);
    (void)VarAssignNumber(StrRef::Of(name), 100);
  }
}

// The last-created name: the far end of the list.
void BM_VarFindIndexed(benchmark::State& state) {
  LangScope lang;
  Populate(static_cast<int>(state.range(0)));
  std::string name = "Importe" + std::to_string(state.range(0) - 1);
  for (auto _ : state) benchmark::DoNotOptimize(VarFind(StrRef::Of(name)));
}
BENCHMARK(BM_VarFindIndexed)->Arg(1)->Arg(100)->Arg(1000)->Arg(5000);

void BM_VarFindListWalk(benchmark::State& state) {
  LangScope lang;
  Populate(static_cast<int>(state.range(0)));
  std::string name = "Importe" + std::to_string(state.range(0) - 1);
  for (auto _ : state)
    benchmark::DoNotOptimize(
        WalkList(Slots().Get(kGroupVarNames, kListIntegers), StrRef::Of(name)));
}
BENCHMARK(BM_VarFindListWalk)->Arg(1)->Arg(100)->Arg(1000)->Arg(5000);

void BM_VarReadSystem(benchmark::State& state) {
  LangScope lang;
  Populate(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    ScratchFrame f;
    benchmark::DoNotOptimize(VarRead("_USER03"));
  }
}
BENCHMARK(BM_VarReadSystem)->Arg(0)->Arg(1000);

void BM_VarAssignExisting(benchmark::State& state) {
  LangScope lang;
  Populate(static_cast<int>(state.range(0)));
  std::string name = "Importe" + std::to_string(state.range(0) - 1);
  for (auto _ : state) benchmark::DoNotOptimize(VarAssignNumber(StrRef::Of(name), 200));
}
BENCHMARK(BM_VarAssignExisting)->Arg(100)->Arg(1000);

}  // namespace
}  // namespace tol
