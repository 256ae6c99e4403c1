// The session unit's text, date and file utilities.
#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <random>

#include "app/UDM.h"
#include "platform/QtText.h"
#include "tests/support/ScriptedPrompter.h"

namespace tarvik {
namespace {

const std::string kNotCorrect = "날짜가 정확하지 않습니다.\r\r             ";
const std::string kNoDate = "검색할 날짜가 없습니다.";

TEST(CheckYymmdd, CalendarRulesWithTheTwoDigitLeapYear) {
  for (const char* ok : {"000229", "991231", "240229", "240430", "230101", "991231  "}) {
    EXPECT_TRUE(CheckYymmdd(ok, false, false)) << ok;
  }
  for (const char* bad : {"010229", "991331", "990100", "230229", "240431", "240001", "000000", "12345 ",
                          "12a456", "2401311", " 40131", "24-1-1"}) {
    EXPECT_FALSE(CheckYymmdd(bad, false, false)) << bad;
  }
  EXPECT_TRUE(CheckYymmdd("", false, true));
  EXPECT_TRUE(CheckYymmdd("   ", false, true));  // blanks are removed first
  EXPECT_FALSE(CheckYymmdd("", false, false));
}

TEST(CheckYymmdd, MessagesNameTheGivenText) {
  test::ScriptedPrompter prompter;
  EXPECT_FALSE(CheckYymmdd("010229", true, false));
  EXPECT_FALSE(CheckYymmdd("12345 ", true, true));
  EXPECT_FALSE(CheckYymmdd("", true, false));
  EXPECT_TRUE(CheckYymmdd("", true, true));
  EXPECT_TRUE(CheckYymmdd("240131", true, false));
  EXPECT_FALSE(CheckYymmdd("991331", false, false));  // no message asked for
  EXPECT_EQ(prompter.Texts(),
            (std::vector<std::string>{kNotCorrect + "010229", kNotCorrect + "12345 ", kNoDate}));
}

TEST(TextUtilities, FormatTrimAndFirstCharacter) {
  EXPECT_EQ(FormatYymmdd("240131"), "24/01/31");
  EXPECT_EQ(FormatYymmdd("2401"), "2401");
  EXPECT_EQ(FormatYymmdd("      "), "      ");
  EXPECT_EQ(FormatYymmdd("2401311"), "2401311");
  EXPECT_EQ(FormatYymmdd("한빛"), "한빛");  // six bytes, two characters: never split

  EXPECT_EQ(TrimRightBlanks("  ab \t  "), "  ab \t");
  EXPECT_EQ(TrimLeftBlanks("  \tab  "), "\tab  ");
  EXPECT_EQ(TrimLeftBlanks("    "), "");
  EXPECT_EQ(TrimRightBlanks(""), "");

  EXPECT_FALSE(StartsWithOtherChar("A12"));
  EXPECT_TRUE(StartsWithOtherChar("a12"));
  EXPECT_FALSE(StartsWithOtherChar(""));
  EXPECT_FALSE(StartsWithOtherChar("9x"));
  EXPECT_FALSE(StartsWithOtherChar(" x"));
  EXPECT_TRUE(StartsWithOtherChar("한빛"));
  EXPECT_TRUE(StartsWithOtherChar("-1"));

  EXPECT_EQ(TextBetween("ab[cd]ef]", "[", "]"), "cd");
  EXPECT_EQ(TextBetween("x<s>mid<e>y", "<s>", "<e>"), "mid");
  EXPECT_EQ(TextBetween("abc]d[e", "[", "]"), "");  // end marker first
  EXPECT_EQ(TextBetween("abc", "[", "]"), "");
  EXPECT_EQ(TextBetween("[abc", "[", "]"), "");
  EXPECT_EQ(TextBetween(std::string(70000, 'x') + "[far]", "[", "]"), "far");  // no 16-bit limit

  const std::string today = TodayStamp();
  EXPECT_EQ(today, S(QDate::currentDate().toString(QStringLiteral("yyMMdd"))));
}

TEST(FitField, CutsAtCp949BytesNeverInsideACharacter) {
  EXPECT_EQ(FitField("한빛A", 5), "한빛A");
  EXPECT_EQ(FitField("한빛A", 4), "한빛");
  EXPECT_EQ(FitField("한빛A", 3), "한");
  EXPECT_EQ(FitField("S000012", MasterInfoRec::kCode), "S00001");
  EXPECT_EQ(FitField("", 6), "");
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(CopyFolderFiles, CopiesPlainFilesAndReplacesExistingOnes) {
  QTemporaryDir tmp;
  const QString src = tmp.path() + "/src/", dst = tmp.path() + "/dst/";
  ASSERT_TRUE(QDir().mkpath(src + "sub"));
  WriteFile(src + "a.bin", QByteArray("\0\1\2", 3));
  WriteFile(src + "b.txt", "new");
  WriteFile(src + ".hidden", "h");
  WriteFile(src + "sub/inner", "x");
  EXPECT_TRUE(CopyFolderFiles(S(src), S(dst)));
  EXPECT_EQ(ReadFile(dst + "a.bin"), QByteArray("\0\1\2", 3));
  EXPECT_EQ(ReadFile(dst + ".hidden"), "h");
  EXPECT_FALSE(QFileInfo::exists(dst + "sub"));

  WriteFile(dst + "b.txt", "old and longer");
  EXPECT_TRUE(CopyFolderFiles(S(src), S(dst)));
  EXPECT_EQ(ReadFile(dst + "b.txt"), "new");

  EXPECT_TRUE(CopyFolderFiles(S(tmp.path() + "/missing/"), S(tmp.path() + "/other/")));
  // Only one level is created.
  EXPECT_FALSE(CopyFolderFiles(S(src), S(tmp.path() + "/no/such/")));
}

TEST(RegionFromBitmap, CoversExactlyThePixelsThatAreNotTransparent) {
  const QRgb white = qRgb(255, 255, 255), ink = qRgb(10, 20, 30);
  QImage img(4, 2, QImage::Format_RGB32);
  const QRgb rows[2][4] = {{white, ink, ink, white}, {ink, white, white, ink}};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x) img.setPixel(x, y, rows[y][x]);
  }
  const QRegion r = RegionFromBitmap(img, white);
  EXPECT_EQ(r, QRegion(1, 0, 2, 1) + QRegion(0, 1, 1, 1) + QRegion(3, 1, 1, 1));

  std::mt19937 rng(5);
  QImage noise(37, 23, QImage::Format_ARGB32);
  for (int y = 0; y < noise.height(); ++y) {
    for (int x = 0; x < noise.width(); ++x) noise.setPixel(x, y, rng() % 3 ? qRgba(255, 0, 255, rng() % 256) : ink);
  }
  const QRegion n = RegionFromBitmap(noise, qRgb(255, 0, 255));  // alpha does not count
  for (int y = 0; y < noise.height(); ++y) {
    for (int x = 0; x < noise.width(); ++x) {
      ASSERT_EQ(n.contains(QPoint(x, y)), (noise.pixel(x, y) & 0xFFFFFF) != 0xFF00FF) << x << "," << y;
    }
  }
  QImage blank(5, 5, QImage::Format_RGB32);
  blank.fill(white);
  EXPECT_TRUE(RegionFromBitmap(blank, white).isEmpty());
}

TEST(SpecialFolderPath, PerUserWritableFolderWithoutTrailingSlash) {
  const std::string p = SpecialFolderPath();
  ASSERT_FALSE(p.empty());
  EXPECT_NE(p.back(), '/');
  EXPECT_LE(p.size(), 260u);
  EXPECT_TRUE(QFileInfo(Q(p)).isDir());
  EXPECT_TRUE(QFileInfo(Q(p)).isWritable());
}

}  // namespace
}  // namespace tarvik
