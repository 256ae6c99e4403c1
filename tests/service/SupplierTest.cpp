// In-process: the supplier's admin commands, the update files served, and what each path answers.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>

#include "service/admin/Admin.h"
#include "tests/service/LocalService.h"
#include "tests/support/Files.h"
#include "wire/Gzip.h"

namespace tarvik::test {
namespace {

namespace fs = std::filesystem;
using namespace service;

TEST(Supplier, NoticesAndCatalogueImportReachTheClient) {
  LocalService svc;
  REQUIRE_RUNNING(svc);
  auto big = [&](const std::string& where) {  // all of BIG's products, or those of a condition
    return svc.Call(where.empty() ? AllGoods("S00002") : For(protocol::kGoodByCode, "S00002", where));
  };
  auto notices = [&] {
    return svc.Call(For(protocol::kGoodsMemo, "S00001", MakeTag("GM_GC", "999999") + OrderBy("GM_NO ASC")));
  };
  // Read once before every change, so a reply kept from before would show.
  EXPECT_EQ(Count(notices()), 3);
  EXPECT_EQ(Count(big("")), 3100);
  const std::string file = svc.Folder() + "notices.txt";
  WriteFile(file, "설 연휴 배송 안내\r\n1월 27일부터 휴무입니다.\r\n");
  ASSERT_EQ(svc.Admin(AdminNoticeSet, "S00001", file).code, 0);
  ASSERT_EQ(Count(notices()), 2);
  EXPECT_EQ(TagValue("GM_NOTE", Record(notices(), 1)), "1월 27일부터 휴무입니다.");
  EXPECT_NE(svc.Admin(AdminNoticeSet, "S09999", file).code, 0);
  WriteFile(file, "\xBC\xB3 \xBF\xAC\xC8\xDE\r\n");  // "설 연휴" in the Korean code page
  EXPECT_NE(svc.Admin(AdminNoticeSet, "S00001", file).code, 0);
  EXPECT_EQ(Count(notices()), 2);

  // New products, one with its own sort keys; one renames an existing product, one joins an existing category.
  const std::string csv = svc.Folder() + "catalogue.csv";
  WriteFile(csv,
            "\xEF\xBB\xBFG_CODE,G_NAME,G_BOX,G_BCODE,G_BCNT,G_GPN1,G_GPN2\r\n"
            "N00002,\"와이퍼, 운전석\",EA,8809999000022,1,신상품,와이퍼\r\n"
            "N00001,\"엔진 오일 \"\"5W30\"\"\",4L,8809999000015,4,신상품,오일\r\n"
            "N00003,블랙박스,EA,8809999000039,1,전장품,영상,999,001,0001\r\n"
            "N00004,피스톤 신형,EA,8809999000046,1,엔진부품 1,피스톤\r\n"
            "B00002,피스톤 링 개선형,EA,8807650000020,1,엔진부품 1,피스톤 링\r\n");
  const AdminRun imported = svc.Admin(AdminImportCatalogue, "S00002", csv, "");
  ASSERT_EQ(imported.code, 0) << imported.out;
  const std::string all = big("");
  EXPECT_EQ(Count(all), 3104);
  // Regression: keys from the file alone mixed new categories into old ones; the client listed majors twice.
  EXPECT_EQ(BrokenCategoryRun(all), std::make_pair(std::string(), std::size_t{105 + 2}));
  EXPECT_EQ(TagValue("G_CODE", ReplyReader(all).Record(3103)), "N00003");  // its own key 999 sorts last
  EXPECT_EQ(TagValue("G_GPN2", big(Same("G_CODE", "N00001"))), "오일");
  for (const char* bad : {"X1,이름,EA,1,1,대,소\r\nX2,\"닫히지 않음,EA,1,1,대,소\r\n",  // a quote not closed
                          "X1,이름,EA,1,1,대,소\r\nX1,두번,EA,1,1,대,소\r\n",        // a code twice
                          "X1,이름,EA,1,1,대\r\n"}) {                                  // a field missing
    WriteFile(csv, bad);
    EXPECT_NE(svc.Admin(AdminImportCatalogue, "S00002", csv, "").code, 0) << bad;
  }
  EXPECT_EQ(Count(big(Same("G_CODE", "X1"))), 0);  // a refused file stores nothing
  EXPECT_NE(svc.Admin(AdminDemo).code, 0);          // the demo set is written once, never over data
}

// Seen at the next request on every instance (each with its own cache).
TEST(Supplier, RemovedProductsLeaveTheCatalogueAndItsPricesButOrdersKeepTheirLines) {
  LocalService svc;
  REQUIRE_RUNNING(svc);
  LocalService other(LocalSetup{svc.Db(), "", {}});
  auto counts = [&] {
    const auto here = std::make_pair(Count(svc.Call(AllGoods())), Count(svc.Call(Traded())));
    EXPECT_EQ(std::make_pair(Count(other.Call(AllGoods())), Count(other.Call(Traded()))), here);
    return here;
  };
  EXPECT_EQ(counts(), std::make_pair(2525LL, 300LL));  // read once first, so a reply kept from before would show
  ASSERT_EQ(svc.Admin(AdminDemoOrders).code, 0);
  std::string first;  // SHOP1's oldest demo order: P00002, P00010, P00018
  for (const auto& row : OrderRows(svc.Admin(AdminOrders).out))
    if (row.size() > 9 && row[9] == "정기 주문입니다") first = row[0];
  const std::string gone = svc.Folder() + "gone.csv";
  WriteFile(gone, "G_CODE,G_NAME\r\nP00010,캠 샤프트\r\nN09999\r\n");  // the second is no product
  const AdminRun removed = svc.Admin(AdminImportCatalogue, "S00001", "", gone);
  ASSERT_EQ(removed.code, 0) << removed.out;
  EXPECT_NE(removed.out.find("1 products removed for S00001"), std::string::npos) << removed.out;
  EXPECT_EQ(counts(), std::make_pair(2524LL, 299LL));
  // The order keeps the line without a name: so a reopened basket learns the product went.
  const std::string lines = TagValue("ORDERL_DATA", svc.Call(OrderOpen(first)));
  EXPECT_EQ(TagValue("OL_GC", Record(lines, 1)) + "|" + TagValue("G_NAME", Record(lines, 1)), "P00010|");
  EXPECT_NE(TagValue("G_NAME", Record(lines, 2)), "");
  WriteFile(gone, "P00018\r\n,빈 코드\r\n");
  EXPECT_NE(svc.Admin(AdminImportCatalogue, "S00001", "", gone).code, 0);
  EXPECT_EQ(counts(), std::make_pair(2524LL, 299LL));  // a refused file removes nothing
}

std::string Manifest(const std::string& program, const std::string& modules, const std::string& images,
                     const std::string& message) {
  return "<VERSION>" + std::to_string(Crc32(program)) + "</VERSION><MODULE>" + modules + "</MODULE><IMAGE>" + images +
         "</IMAGE><MESSAGE>" + message + "</MESSAGE>";
}

TEST(Supplier, PublishedUpdateIsServedWithItsManifest) {
  const QTemporaryDir tmp;
  const std::string src = tmp.path().toStdString(), update = src + "/update";
  WriteFile(src + "/TKClientI", "program bytes v2");
  WriteFile(src + "/libextra.so", "module bytes");
  WriteFile(src + "/ClientLeft.bmp", "BM image bytes");
  LocalService svc(LocalSetup{"", update, {}});
  REQUIRE_RUNNING(svc);
  auto publish = [&](const std::vector<std::string>& modules, const std::vector<std::string>& images,
                     const std::string& message) {
    std::ostringstream out;
    return AdminPublish(update, src + "/TKClientI", modules, images, message, out, out);
  };
  auto get = [&](const std::string& path) { return svc.Http(RawGet(path)); };
  EXPECT_EQ(get("/update/tkclienti.ini").status, 404);  // nothing published yet
  ASSERT_EQ(publish({src + "/libextra.so"}, {src + "/ClientLeft.bmp"}, "새 버전입니다."), 0);
  const std::string manifest =
      Manifest("program bytes v2", "libextra.so," + std::to_string(Crc32("module bytes")) + "\r\n",
               "ClientLeft.bmp," + std::to_string(Crc32("BM image bytes")) + "\r\n", "새 버전입니다.");
  EXPECT_EQ(ReadFile(update + "/current/tkclienti.ini"), manifest);
  // The program as the client fetches it is the end-to-end update cycle's.
  EXPECT_EQ(get("/update/tkclienti.ini").body, manifest);
  EXPECT_EQ(get("/update/DATA/libextra.so").body, "module bytes");
  EXPECT_EQ(get("/update/DATA/IMAGE/ClientLeft.bmp").body, "BM image bytes");
  // Regression: a missing file was an unopened stream read as good. Nothing outside the folder
  // however spelt (regression: nor by a link out of it); a folder is no file.
  fs::create_symlink(src + "/TKClientI", update + "/current/DATA/out.bmp");
  for (const char* path : {"/update/DATA/out.bmp", "/update/DATA/missing.bmp", "/update/DATA", "/update/../TKClientI",
                           "/update/%2e%2e/TKClientI", "/update/DATA/..%2f..%2fTKClientI",
                           "/update/DATA/%2E%2E/../TKClientI", "/update//etc/passwd", "/update/DATA\\..\\..\\TKClientI"})
    EXPECT_EQ(get(path).status, 404) << path;
  // Publishing again replaces the files; no temporary file stays behind.
  WriteFile(src + "/TKClientI", "program bytes v3");
  ASSERT_EQ(publish({}, {}, ""), 0);
  const std::string v3 = Manifest("program bytes v3", "", "", "");
  EXPECT_EQ(get("/update/tkclienti.ini").body, v3);
  EXPECT_EQ(get("/update/DATA/TKClientI").body, "program bytes v3");
  EXPECT_EQ(get("/update/DATA/libextra.so").status, 404);  // not in this release
  // Regression: a publish failing half-way (a module missing) had already replaced the program.
  WriteFile(src + "/TKClientI", "program bytes v4");
  EXPECT_NE(publish({src + "/missing.so"}, {}, ""), 0);
  // Regression: a module name with a control character or comma broke the manifest; refused before any write.
  for (const char* name : {"lib\nextra.so", "lib\rextra.so", "lib\textra.so", "lib,extra.so"}) {
    WriteFile(src + "/" + name, "module");
    EXPECT_EQ(publish({src + "/" + name}, {}, ""), 2) << name;
  }
  EXPECT_EQ(get("/update/tkclienti.ini").body, v3);
  EXPECT_EQ(get("/update/DATA/TKClientI").body, "program bytes v3");
  std::size_t releases = 0;
  for (const auto& e : fs::directory_iterator(update + "/releases")) releases += e.is_directory();
  EXPECT_EQ(releases, 2u);  // the current one and the one before
  for (const auto& e : fs::recursive_directory_iterator(update))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

// Each broken request gets its status and, on a /NET/ path, a failure reply (the body limit is the front's).
TEST(Endpoints, BrokenRequestsGetTheirStatusAndAFailureReply) {
  LocalService svc;
  REQUIRE_RUNNING(svc);
  const std::string path = "/NET/KorvanMember.php", text = Member("DEMO").text, member = WrapPostData(text);
  std::string otherPart = MultipartBody(GzipCompress(member));
  otherPart.replace(otherPart.find("name=POST"), 9, "name=DATA");
  std::string badCrc = GzipCompress(member);
  badCrc[badCrc.size() - 6] ^= 0x55;
  std::string many = text;
  for (int i = 0; i < 5000; ++i) many += MakeTag("X", "1");
  const std::string bad = "HTTP/1.1 400 Bad Request", ok = "HTTP/1.1 200 OK";
  const struct {
    const char* what;
    std::string request, line;
  } cases[] = {
      {"text/plain", Post(path, member, "text/plain"), bad},
      {"garbage", Post(path, "garbage"), bad},
      {"not gzip", Post(path, MultipartBody("x")), bad},
      {"another part", Post(path, otherPart), bad},
      {"a bad CRC", Post(path, MultipartBody(badCrc)), bad},
      {"a small member that inflates past the cap", RawCallOf(path, WrapPostData(text + MakeTag("PAD", std::string(3 << 20, 'A')))), bad},
      {"invalid UTF-8", RawCall(Member("DEMO\xC3\x28")), bad},
      {"no envelope", RawCallOf(path, text), bad},
      {"not a Good command", RawCallOf("/NET/Good.php", member), ok},
      {"unknown command", RawCallOf("/NET/Good.php", WrapPostData(MakeTag("COMMAND", "999999") + MakeTag("DB_KEY", "S00001"))), ok},
      {"no DB_KEY", RawCallOf("/NET/Good.php", WrapPostData(MakeTag("COMMAND", protocol::kGoods.code) + Like("G_NAME", "%"))), ok},
      {"not closed", RawCallOf(path, WrapPostData(text.substr(0, text.size() - std::string("</SAME_KEY>").size()))), ok},
      {"too many elements", RawCallOf(path, WrapPostData(many)), ok},
      {"GET of an endpoint", RawGet("/NET/Good.php"), "HTTP/1.1 405 Method Not Allowed"},
      {"unknown endpoint", Post("/NET/Nothing.php", "x"), "HTTP/1.1 404 Not Found"},
      // Regression: served as /metrics past a proxy that denies /metrics.
      {"percent-encoded path", RawGet("/%6detrics"), bad},
  };
  for (const auto& c : cases) {
    const Answer a = svc.Http(c.request);
    EXPECT_EQ(a.line, c.line) << c.what;
    if (c.request.find(" /NET/") != std::string::npos) {
      EXPECT_EQ(TagValue("RESULT_CODE", a.text), "0") << c.what;
    }
  }
  EXPECT_EQ(svc.Http(RawGet("/health")).line, ok);
  EXPECT_EQ(Count(svc.Http(RawCall(Member("DEMO"))).text), 1);  // and it still answers
}

}  // namespace
}  // namespace tarvik::test
