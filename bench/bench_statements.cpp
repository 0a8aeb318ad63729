// Parsing a step of many option-laden statements with the runtime's parser.
#include <benchmark/benchmark.h>
#include <string>
#include "proc/framework/grammar_tables.h"
#include "runtime/session.h"
#include "runtime/statements/statements.h"

namespace {
class NullLog : public rt::Log {
public:
    void line(char, const std::string&) override {}
};

void BM_ParseStep(benchmark::State& state) {
    std::string text = "proc vitalyx; distribution binomial;\n";
    for (int i = 0; i < state.range(0); ++i)
        text.append("a").append(std::to_string(i % 1000)).append(
                ": analyze / count=3 7 conf=0.9 maxit=100 converge=1e-6 pctlist=1 to 99 by 2 survtime=10 20 30 "
                "fittype=weibayes(conf=0.8) ppos=km itprint lrcl printprobs tolerance(0.5) predict(2);\n");
    rt::Session s;
    NullLog log;
    s.log = &log;
    rt::StepSource src;
    src.text = text;
    s.step = &src;
    rt::setcurrent(&s);
    prsctl ctl{};
    ctl.version = 1;
    ctl.tables = vyxgrammar();
    for (auto _ : state) {
        modparse mpb{};
        int rc = rt::stmt::services()->xsproc(&ctl, &mpb, 0, nullptr, 0, 0);
        benchmark::DoNotOptimize(rc);
        rt::stmt::endstep();
    }
    rt::setcurrent(nullptr);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseStep)->Arg(10)->Arg(1000);
}  // namespace
