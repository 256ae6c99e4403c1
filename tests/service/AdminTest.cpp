// The supplier side's admin commands and the update server, as processes
// against a running service.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/service/Requests.h"
#include "tests/service/WireClient.h"
#include "tests/support/Files.h"
#include "tests/support/ServiceFixture.h"
#include "wire/Gzip.h"

namespace tarvik::test {
namespace {

namespace fs = std::filesystem;

TEST(Admin, NoticesAndCatalogueImportReachTheClient) {
  ServiceProcess service;
  REQUIRE_RUNNING(service);
  const auto port = service.Port();
  // All of S00002's products, or those of a condition.
  auto goods = [&](const std::string& where) {
    return Call(port, where.empty() ? AllGoods("S00002") : For(protocol::kGoodByCode, "S00002", where));
  };
  auto notices = [&] { return Call(port, For(protocol::kGoodsMemo, "S00001", MakeTag("GM_GC", "999999") + OrderBy("GM_NO ASC"))); };
  // Read once before every change, so a reply kept from before would show.
  EXPECT_EQ(Count(notices()), 3);
  EXPECT_EQ(Count(goods("")), 3100);
  const std::string file = service.Folder() + "notices.txt";
  WriteFile(file, "설 연휴 배송 안내\r\n1월 27일부터 휴무입니다.\r\n");
  ASSERT_EQ(service.Admin({"notice", "set", file}), 0);
  ASSERT_EQ(Count(notices()), 2);
  EXPECT_EQ(TagValue("GM_NOTE", TagValue("RDC_1", notices())), "1월 27일부터 휴무입니다.");
  EXPECT_NE(service.Admin({"notice", "set", file, "--supplier", "S09999"}), 0);
  WriteFile(file, "\xBC\xB3 \xBF\xAC\xC8\xDE\r\n");  // "설 연휴" in the Korean code page
  EXPECT_NE(service.Admin({"notice", "set", file}), 0);
  EXPECT_EQ(Count(notices()), 2);

  // New products, one with sort keys of its own; one replaces an existing
  // product's name, one joins an existing category.
  const std::string csv = service.Folder() + "catalogue.csv";
  WriteFile(csv,
            "\xEF\xBB\xBFG_CODE,G_NAME,G_BOX,G_BCODE,G_BCNT,G_GPN1,G_GPN2\r\n"
            "N00002,\"와이퍼, 운전석\",EA,8809999000022,1,신상품,와이퍼\r\n"
            "N00001,\"엔진 오일 \"\"5W30\"\"\",4L,8809999000015,4,신상품,오일\r\n"
            "N00003,블랙박스,EA,8809999000039,1,전장품,영상,999,001,0001\r\n"
            "N00004,피스톤 신형,EA,8809999000046,1,엔진부품 1,피스톤\r\n"
            "B00002,피스톤 링 개선형,EA,8807650000020,1,엔진부품 1,피스톤 링\r\n");
  std::string out;
  ASSERT_EQ(service.Admin({"import-catalogue", "--supplier", "S00002", csv}, &out), 0) << out;
  const std::string big = goods("");
  EXPECT_EQ(Count(big), 3104);
  // Regression: keys taken from the file alone mixed the new categories into
  // the old ones, and the client listed majors twice.
  const CategoryRuns runs = CountCategoryRuns(big);
  EXPECT_TRUE(runs.whole) << runs.broken;
  EXPECT_EQ(runs.majors, 105u + 2u);
  EXPECT_EQ(TagValue("G_CODE", ReplyReader(big).Record(3103)), "N00003");  // its own key 999 sorts last
  // Quoted fields are the splitter's table (tests/net/HttpClientTest.cpp, Csv).
  EXPECT_EQ(TagValue("G_GPN2", goods(Same("G_CODE", "N00001"))), "오일");
  for (const char* bad : {"X1,이름,EA,1,1,대,소\r\nX2,\"닫히지 않음,EA,1,1,대,소\r\n",  // a quote not closed
                          "X1,이름,EA,1,1,대,소\r\nX1,두번,EA,1,1,대,소\r\n",        // a code twice
                          "X1,이름,EA,1,1,대\r\n"}) {                                  // a field missing
    WriteFile(csv, bad);
    EXPECT_NE(service.Admin({"import-catalogue", "--supplier", "S00002", csv}), 0) << bad;
  }
  EXPECT_EQ(Count(goods(Same("G_CODE", "X1"))), 0);  // a refused file stores nothing
  EXPECT_NE(service.Admin({"demo"}), 0);           // the demo set is written once, never over data
}

TEST(Admin, RemovedProductsLeaveTheCatalogueAndItsPricesButOrdersKeepTheirLines) {
  ServiceProcess service;
  REQUIRE_RUNNING(service);
  const auto port = service.Port();
  auto all = [&] { return Count(Call(port, AllGoods())); };
  auto traded = [&] { return Count(Call(port, Traded())); };
  // Read once first, so a reply kept from before the removal would show.
  EXPECT_EQ(all(), 2525);
  EXPECT_EQ(traded(), 300);
  std::string out, first;  // SHOP1's oldest demo order: P00002, P00010, P00018
  ASSERT_EQ(service.Admin({"demo-orders"}), 0);
  ASSERT_EQ(service.Admin({"orders"}, &out), 0);
  for (const auto& row : OrderRows(out))
    if (row.size() > 9 && row[9] == "정기 주문입니다") first = row[0];
  const std::string gone = service.Folder() + "gone.csv";
  WriteFile(gone, "G_CODE,G_NAME\r\nP00010,캠 샤프트\r\nN09999\r\n");  // the second is no product
  ASSERT_EQ(service.Admin({"import-catalogue", "--supplier", "S00001", "--remove", gone}, &out), 0);
  EXPECT_NE(out.find("1 products removed for S00001"), std::string::npos) << out;
  EXPECT_EQ(all(), 2524);
  EXPECT_EQ(traded(), 299);
  // The order keeps the line, without a name: that is how a reopened basket
  // learns the product was taken out while the clerk was logged in.
  const std::string opened = TagValue("ORDERL_DATA", Call(port, OrderOpen(first)));
  ReplyReader lines(opened);
  EXPECT_EQ(TagValue("OL_GC", lines.Record(1)) + "|" + TagValue("G_NAME", lines.Record(1)), "P00010|");
  EXPECT_NE(TagValue("G_NAME", lines.Record(2)), "");
  WriteFile(gone, "P00018\r\n,빈 코드\r\n");
  EXPECT_NE(service.Admin({"import-catalogue", "--supplier", "S00001", "--remove", gone}), 0);
  EXPECT_EQ(all(), 2524);  // a refused file removes nothing
  EXPECT_NE(service.Admin({"import-catalogue", "--supplier", "S00001"}), 0);  // nothing to do
}

std::string Manifest(const std::string& program, const std::string& modules, const std::string& images,
                     const std::string& message) {
  return "<VERSION>" + std::to_string(Crc32(program)) + "</VERSION><MODULE>" + modules + "</MODULE><IMAGE>" + images +
         "</IMAGE><MESSAGE>" + message + "</MESSAGE>";
}

TEST(Admin, PublishedUpdateIsServedWithItsManifest) {
  const std::string src = fs::temp_directory_path() / ("tarvik-publish-" + std::to_string(::getpid()));
  const std::string update = src + "/update";
  fs::create_directories(src);
  WriteFile(src + "/TKClientI", "program bytes v2");
  WriteFile(src + "/libextra.so", "module bytes");
  WriteFile(src + "/ClientLeft.bmp", "BM image bytes");
  {
    ServiceProcess service(true, update);
    REQUIRE_RUNNING(service);
    const auto port = service.Port();
    auto publish = [&](std::vector<std::string> more, const std::string& message) {
      std::vector<std::string> args = {"publish", "--update-dir", update, "--program", src + "/TKClientI", "--message", message};
      args.insert(args.end(), more.begin(), more.end());
      return service.Admin(args, nullptr, false);
    };
    EXPECT_EQ(Get(port, "/update/tkclienti.ini").status, 404);  // nothing published yet
    ASSERT_EQ(publish({"--module", src + "/libextra.so", "--image", src + "/ClientLeft.bmp"}, "새 버전입니다."), 0);
    const std::string manifest =
        Manifest("program bytes v2", "libextra.so," + std::to_string(Crc32("module bytes")) + "\r\n",
                 "ClientLeft.bmp," + std::to_string(Crc32("BM image bytes")) + "\r\n", "새 버전입니다.");
    EXPECT_EQ(ReadFile(update + "/current/tkclienti.ini"), manifest);
    // The program as the client fetches it is the end-to-end update cycle's.
    EXPECT_EQ(Get(port, "/update/tkclienti.ini").body, manifest);
    EXPECT_EQ(Get(port, "/update/DATA/libextra.so").body, "module bytes");
    EXPECT_EQ(Get(port, "/update/DATA/IMAGE/ClientLeft.bmp").body, "BM image bytes");
    // Regression: a missing file was an unopened stream read as good. Nothing
    // outside the folder, however the path is spelled (regression: nor by a
    // link that leads out of it); a folder is no file.
    fs::create_symlink(src + "/TKClientI", update + "/current/DATA/out.bmp");
    for (const char* path : {"/update/DATA/out.bmp", "/update/DATA/missing.bmp", "/update/DATA", "/update/../TKClientI", "/update/%2e%2e/TKClientI",
                             "/update/DATA/..%2f..%2fTKClientI", "/update/DATA/%2E%2E/../TKClientI",
                             "/update//etc/passwd", "/update/DATA\\..\\..\\TKClientI"})
      EXPECT_EQ(Get(port, path).status, 404) << path;
    // Publishing again replaces the files; no temporary file stays behind.
    WriteFile(src + "/TKClientI", "program bytes v3");
    ASSERT_EQ(publish({}, ""), 0);
    const std::string v3 = Manifest("program bytes v3", "", "", "");
    EXPECT_EQ(Get(port, "/update/tkclienti.ini").body, v3);
    EXPECT_EQ(Get(port, "/update/DATA/TKClientI").body, "program bytes v3");
    EXPECT_EQ(Get(port, "/update/DATA/libextra.so").status, 404);  // not in this release
    // Regression: a publish that failed half-way (a module missing) had
    // already replaced the program file beside the old manifest.
    WriteFile(src + "/TKClientI", "program bytes v4");
    EXPECT_NE(publish({"--module", src + "/missing.so"}, ""), 0);
    EXPECT_EQ(Get(port, "/update/tkclienti.ini").body, v3);
    EXPECT_EQ(Get(port, "/update/DATA/TKClientI").body, "program bytes v3");
    // Regression: a module name with a control character or a comma broke
    // the manifest for every client; it is refused before anything is written.
    for (const char* name : {"lib\nextra.so", "lib\rextra.so", "lib\textra.so", "lib,extra.so"}) {
      WriteFile(src + "/" + name, "module");
      EXPECT_EQ(publish({"--module", src + "/" + name}, ""), 2) << name;
    }
    EXPECT_EQ(Get(port, "/update/tkclienti.ini").body, v3);
    std::size_t releases = 0;
    for (const auto& e : fs::directory_iterator(update + "/releases")) releases += e.is_directory();
    EXPECT_EQ(releases, 2u);  // the current one and the one before
    for (const auto& e : fs::recursive_directory_iterator(update))
      EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
  }
  fs::remove_all(src);
}

}  // namespace
}  // namespace tarvik::test
