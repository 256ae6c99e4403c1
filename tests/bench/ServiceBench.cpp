// The reference service on loopback, as a shop's client reaches it (one new
// connection per request): all-products replies (2525 records) per second
// with and without the reply cache, and order saves (10 lines) per second on
// SQLite and on PostgreSQL, by 1 and 4 clients, to 1 and 2 instances behind
// HAProxy. Starts its own services, PostgreSQL server and proxies.
//   build/tests/bench/ServiceBench
#include <Poco/Net/HTTPClientSession.h>
#include <Poco/Net/HTTPRequest.h>
#include <Poco/Net/HTTPResponse.h>
#include <Poco/StreamCopier.h>
#include <benchmark/benchmark.h>

#include <sstream>

#include "tests/service/Requests.h"
#include "tests/service/WireClient.h"
#include "tests/support/ServiceCluster.h"
#include "wire/Gzip.h"

namespace {

using tarvik::MakeTag;
using namespace tarvik::test;

struct Services {
  std::unique_ptr<ServiceProcess> cached, uncached;
  std::unique_ptr<ServiceCluster> clusters[2][2];  // [SQLite, PostgreSQL][1, 2 instances]
};

Services fixtures;  // started in main, on the main thread: a child dies with the thread that made it

// The body bytes of one POST as the client sends it, not decompressed: the
// client's own reading of a 1 MB reply would be what is measured otherwise.
std::string RawBody(std::uint16_t port, const Req& request) {
  const std::string boundary = "--------DHC013124153045123";
  const std::string body = MultipartBody(tarvik::GzipCompress(tarvik::WrapPostData(request.text)), boundary);
  Poco::Net::HTTPClientSession session("127.0.0.1", port);
  Poco::Net::HTTPRequest req(Poco::Net::HTTPRequest::HTTP_POST, request.path, Poco::Net::HTTPMessage::HTTP_1_1);
  req.setContentType("multipart/form-data; boundary=" + boundary);
  req.setContentLength(body.size());
  session.sendRequest(req) << body;
  Poco::Net::HTTPResponse resp;
  std::ostringstream out;
  Poco::StreamCopier::copyStream(session.receiveResponse(resp), out);
  return out.str();
}

// Arg: 1 with the cache, 0 without.
void BM_AllProducts(benchmark::State& state) {
  const auto& service = state.range(0) ? fixtures.cached : fixtures.uncached;
  if (!service || !service->Running()) {
    state.SkipWithError("the service did not start");
    return;
  }
  const Req request = AllGoods();
  // The first reply is read whole; the others must be as long.
  std::string text;
  const std::string first = RawBody(service->Port(), request);
  if (!tarvik::GzipDecompress(first, text) || tarvik::TagInt("RESULT_RECORD_COUNT", text) != 2525) {
    state.SkipWithError("short reply");
    return;
  }
  for (auto _ : state) {
    if (RawBody(service->Port(), request).size() != first.size()) {
      state.SkipWithError("short reply");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(state.range(0) ? "cached" : "uncached");
}
BENCHMARK(BM_AllProducts)->ArgName("cache")->Arg(1)->Arg(0)->Threads(1)->Threads(4)->UseRealTime();

// Args: database (0 SQLite, 1 PostgreSQL), instances behind HAProxy (1 or 2).
void BM_OrderSave(benchmark::State& state) {
  const auto& cluster = fixtures.clusters[state.range(0)][state.range(1) - 1];
  if (!cluster || !cluster->Running()) {
    state.SkipWithError(cluster && !cluster->Skipped().empty() ? cluster->Skipped().c_str()
                                                               : "the services did not start");
    return;
  }
  std::vector<LineSpec> lines;  // an order of 10 catalogue lines
  for (int i = 0; i < 10; ++i) lines.push_back({"P0" + std::to_string(1100 + i), "", "", "3", ""});
  const Req save = For(tarvik::protocol::kOrderSave, "S00001", OrderBody("", "A", lines, "벤치마크 주문"));
  for (auto _ : state) {
    const std::string reply = Call(cluster->Port(), save);
    if (tarvik::TagValue("RESULT_CODE", reply) != "1") {
      state.SkipWithError("order refused");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(std::string(state.range(0) ? "PostgreSQL, " : "SQLite, ") +
                 std::to_string(state.range(1)) + " instance(s)");
}
BENCHMARK(BM_OrderSave)->ArgNames({"postgres", "instances"})->ArgsProduct({{0, 1}, {1, 2}})->Threads(1)->Threads(4)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Services& s = fixtures;
  s.cached = std::make_unique<ServiceProcess>(ServiceSetup{true, "", {}, "", TestDb::kSQLite});
  s.uncached = std::make_unique<ServiceProcess>(ServiceSetup{true, "", {"--cache-mb", "0"}, "", TestDb::kSQLite});
  for (int db = 0; db < 2; ++db)
    for (int n = 1; n <= 2; ++n)
      s.clusters[db][n - 1] =
          std::make_unique<ServiceCluster>(n, ServiceSetup{true, "", {}, "", db ? TestDb::kPostgres : TestDb::kSQLite});
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  s = Services();  // stop everything before the PostgreSQL server goes
  return 0;
}
