// Reading the web services' replies: a provisioning reply, a 20-call records
// reply, and a balance reply.  build/bin/services_bench
#include "core/Text.h"
#include "services/AccountServices.h"
#include "services/Provisioning.h"

#include <benchmark/benchmark.h>

namespace {

std::u16string provisioningReply() {
    return u"<ip>10.1.1.1</ip><registrarip>sip.ringlark.example</registrarip><header>Ringlark "
           u"Telecom</header>"
           u"<footer>www.ringlark.example</footer><myaccounts>http://127.0.0.1:8080/cdr?user=u1s1er</"
           u"myaccounts>"
           u"<oldkey>secretkey</oldkey><newkey>101-202-303</newkey><vpn>on</vpn><prefix>12-345-678</prefix>"
           u"<size>4</size><rereg>300</rereg><sprt>5070</sprt><keep>30</keep><rtrp>7078</rtrp>"
           u"<email>care@ringlark.example</email>";
}

std::u16string callRecordsReply(int calls) {
    std::u16string text =
        u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Status><code>0</code></Status>\n<cdr>\n";
    for (int i = 0; i < calls; ++i)
        text += u"<call><number>44207946" + fromUtf8(std::to_string(1000 + i)) +
                u"</number><callStartDate>2026-12-10</callStartDate><callStartTime>09:15:02</callStartTime>"
                u"<durationCost>00:02:10/0.35</durationCost></call>\n";
    return text + u"</cdr>\n";
}

void ReadProvisioningReply(benchmark::State& state) {
    const auto text = provisioningReply();
    for (auto _ : state) {
        auto reply = ProvisioningReply::read(text, true);
        benchmark::DoNotOptimize(reply.key3() + reply.prefix1());
    }
}
BENCHMARK(ReadProvisioningReply);

void ReadCallRecordsReply(benchmark::State& state) {
    const auto text = callRecordsReply(static_cast<int>(state.range(0)));
    ServerCallRecords table;
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadCallRecords(text, table));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size() * 2));
}
BENCHMARK(ReadCallRecordsReply)->Arg(20)->Arg(25);

void BalanceReplyText(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(BalanceText(u"\r\nprepaid#12.40\r\n"));
}
BENCHMARK(BalanceReplyText);

} // namespace

BENCHMARK_MAIN();
