#include "service/admin/DemoData.h"

#include <cstdio>
#include <iterator>

#include "text/Text.h"

namespace tarvik::service {

namespace {

struct Major {
  const char* name;
  const char* minors[7];
};

// 32 major categories of 7 minor ones: 224 pairs.
const Major kMajors[] = {
    {"엔진부품", {"피스톤", "피스톤 링", "실린더 헤드", "밸브 리프터", "캠 샤프트", "크랭크 샤프트", "엔진 마운트"}},
    {"제동장치", {"브레이크 패드", "브레이크 디스크", "브레이크 슈", "캘리퍼", "마스터 실린더", "브레이크 호스", "휠 실린더"}},
    {"현가장치", {"쇼크 업소버", "코일 스프링", "로어 암", "어퍼 암", "스태빌라이저 링크", "볼 조인트", "부싱"}},
    {"조향장치", {"타이로드 엔드", "랙 앤 피니언", "파워 스티어링 펌프", "스티어링 기어박스", "조향 링크", "스티어링 호스", "핸들 커버"}},
    {"동력전달", {"클러치 디스크", "클러치 커버", "릴리스 베어링", "등속 조인트", "드라이브 샤프트", "미션 마운트", "변속기 오일씰"}},
    {"냉각장치", {"라디에이터", "워터 펌프", "서모스탯", "냉각 팬", "라디에이터 캡", "냉각수 호스", "보조 탱크"}},
    {"연료장치", {"연료 펌프", "인젝터", "연료 필터", "스로틀 바디", "연료 탱크 캡", "연료 호스", "압력 조절기"}},
    {"흡배기", {"에어 클리너", "흡기 매니폴드", "배기 매니폴드", "머플러", "촉매 변환기", "배기 가스켓", "배기 파이프"}},
    {"전기장치", {"릴레이", "퓨즈", "배선 하네스", "커넥터", "와이퍼 모터", "파워 윈도우 모터", "경음기"}},
    {"점화장치", {"점화 플러그", "점화 코일", "플러그 케이블", "배전기 캡", "점화 스위치", "글로우 플러그", "예열 릴레이"}},
    {"충전시동", {"발전기", "시동 모터", "레귤레이터", "시동 릴레이", "발전기 브러시", "솔레노이드 스위치", "피니언 기어"}},
    {"등화장치", {"전조등", "안개등", "후미등", "방향지시등", "실내등", "번호판등", "전구"}},
    {"공조장치", {"에어컨 컴프레서", "콘덴서", "증발기", "블로워 모터", "히터 코어", "에어컨 필터", "팽창 밸브"}},
    {"차체부품", {"본넷", "트렁크 리드", "앞 펜더", "도어 패널", "범퍼 빔", "사이드 실", "루프 패널"}},
    {"외장부품", {"앞 범퍼", "뒤 범퍼", "라디에이터 그릴", "사이드 미러", "도어 핸들", "몰딩", "엠블럼"}},
    {"내장부품", {"시트 커버", "대시보드", "도어 트림", "콘솔 박스", "선바이저", "매트", "룸미러"}},
    {"유리와이퍼", {"와이퍼 블레이드", "와이퍼 암", "앞 유리", "뒤 유리", "도어 유리", "워셔 노즐", "워셔액 탱크"}},
    {"오일류", {"엔진 오일", "미션 오일", "브레이크 오일", "파워 오일", "기어 오일", "부동액", "그리스"}},
    {"필터류", {"오일 필터", "에어 필터", "캐빈 필터", "디젤 연료 필터", "미션 필터", "블로바이 필터", "유압 필터"}},
    {"벨트호스", {"팬 벨트", "타이밍 벨트", "텐셔너", "아이들러", "히터 호스", "진공 호스", "호스 클램프"}},
    {"베어링", {"허브 베어링", "휠 베어링", "니들 베어링", "테이퍼 베어링", "볼 베어링", "베어링 씰", "센터 베어링"}},
    {"타이어휠", {"타이어", "알루미늄 휠", "스틸 휠", "휠 너트", "휠 캡", "공기압 센서", "밸브 캡"}},
    {"배터리", {"일반 배터리", "AGM 배터리", "배터리 단자", "배터리 케이블", "배터리 트레이", "점프 케이블", "배터리 충전기"}},
    {"센서류", {"산소 센서", "크랭크 센서", "캠 센서", "노크 센서", "수온 센서", "차속 센서", "ABS 센서"}},
    {"스위치류", {"브레이크 스위치", "유압 스위치", "후진등 스위치", "도어 스위치", "윈도우 스위치", "콤비네이션 스위치", "비상등 스위치"}},
    {"가스켓씰", {"헤드 가스켓", "오일팬 가스켓", "로커커버 가스켓", "크랭크 오일씰", "밸브 스템씰", "오링", "액상 가스켓"}},
    {"볼트너트", {"휠 볼트", "육각 볼트", "플랜지 너트", "와셔", "클립", "리벳", "스크류"}},
    {"공구", {"토크 렌치", "소켓 세트", "스패너", "드라이버", "잭", "필터 렌치", "진단기"}},
    {"세차용품", {"카 샴푸", "왁스", "타월", "유리 세정제", "타이어 광택제", "실내 클리너", "세차 브러시"}},
    {"안전용품", {"소화기", "삼각대", "구급함", "안전 조끼", "비상 망치", "견인 로프", "경광등"}},
    {"튜닝용품", {"스포일러", "머플러 팁", "스트럿바", "인터쿨러", "LED 램프", "튜닝 휠", "흡기 필터"}},
    {"소모품", {"와이퍼 고무", "퓨즈 세트", "케이블 타이", "절연 테이프", "냉각수 보충액", "전구 세트", "윤활 스프레이"}},
};
constexpr int kMajorCount = sizeof(kMajors) / sizeof(kMajors[0]);
constexpr int kPairCount = kMajorCount * 7;
constexpr int kDemoProducts = 2500;
constexpr int kBigProducts = 3100;
constexpr int kBigMajors = 105;

const char* const kVariants[] = {"앞", "뒤", "좌", "우", "표준형", "고급형", "순정형", "강화형"};
const char* const kModels[] = {"쏘나타", "아반떼", "그랜저", "싼타페", "투싼",    "스포티지",
                               "쏘렌토", "K5",     "모닝",   "스타렉스", "포터", "봉고"};

std::string Pad(int value, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*d", width, value);
  return buf;
}

// EAN-13: twelve digits and their check digit.
std::string Ean13(const std::string& twelve) {
  int sum = 0;
  for (int i = 0; i < 12; ++i) sum += (twelve[i] - '0') * (i % 2 ? 3 : 1);
  return twelve + static_cast<char>('0' + (10 - sum % 10) % 10);
}

// Product i of DEMO sits in pair i*224/2500 and is the k-th of that pair.
int PairOf(int i) { return i * kPairCount / kDemoProducts; }
int FirstOfPair(int p) { return (p * kDemoProducts + kPairCount - 1) / kPairCount; }

std::string NameFor(int pair, int k) {
  const Major& m = kMajors[(pair / 7) % kMajorCount];
  return std::string(m.minors[pair % 7]) + " " + kVariants[k % 8] + " (" +
         kModels[(k / 8 + pair) % 12] + ")";
}

std::string BoxFor(int major, int minor, int k) {
  if (major == 17) return k % 2 ? "4L" : "1L";  // 오일류
  if (major == 26 || major == 31) return "BOX";
  if (minor % 3 == 0) return "SET";
  return "EA";
}

std::string CountFor(const std::string& box, int k) {
  if (box == "BOX") return k % 2 ? "50" : "100";
  if (box == "1L") return "20";
  if (box == "4L") return "4";
  return (k % 4 == 0) ? "10" : "1";
}

using Columns = std::vector<std::vector<std::string>>;

void AddRow(Columns& cols, const std::vector<std::string>& row) {
  if (cols.empty()) cols.resize(row.size());
  for (std::size_t i = 0; i < row.size(); ++i) cols[i].push_back(row[i]);
}

const char* const kInsertGood =
    "INSERT INTO G_ (M_CODE, G_CODE, G_NAME, G_BOX, G_BCODE, G_BCNT, G_GPN1, G_GPN2, G_GPSORT1,"
    " G_GPSORT2, G_SORT) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
const char* const kInsertCost =
    "INSERT INTO U_ (M_CODE, U_CC, U_GC, U_DATE, U_COST, U_CNT) VALUES (?, ?, ?, ?, ?, ?)";

std::string DemoCode(int i) { return "P" + Pad(i + 1, 5); }

void DemoGoods(Columns& goods) {
  for (int i = 0; i < kDemoProducts; ++i) {
    const int p = PairOf(i), k = i - FirstOfPair(p);
    const int major = p / 7, minor = p % 7;
    const std::string box = BoxFor(major, minor, k);
    AddRow(goods, {"S00001", DemoCode(i), NameFor(p, k), box, Ean13("880123" + Pad(i + 1, 6)),
                   CountFor(box, k), kMajors[major].name, kMajors[major].minors[minor],
                   Pad(major + 1, 3), Pad(minor + 1, 3), Pad(k + 1, 4)});
  }
}

// Products after DEMO's 2500 that give the category browser its harder cases:
// a second run of 엔진부품 after the last major (its pairs are not adjacent,
// and 피스톤 stands under it twice), a minor name of 31 CP949 bytes, a major
// name of 27 bytes with only two minors, and a product without a count per box.
struct ExtraGood {
  const char* name;
  const char* box;
  const char* count;
  const char* major;
  const char* minor;
  const char* sort1;
  const char* sort2;
};
const char* const kLongMinor = "EGR 밸브 (배기가스 재순환 장치)";
const char* const kLongMajor = "하이브리드 전기차 전용 부품";
const ExtraGood kExtraGoods[] = {
    {"EGR 밸브 어셈블리 (디젤 2.0)", "EA", "1", "엔진부품", kLongMinor, "033", "001"},
    {"EGR 밸브 어셈블리 (디젤 2.2)", "EA", "1", "엔진부품", kLongMinor, "033", "001"},
    {"EGR 쿨러 (디젤 2.2)", "EA", "1", "엔진부품", kLongMinor, "033", "001"},
    {"피스톤 오버사이즈 0.25 세트", "SET", "4", "엔진부품", "피스톤", "033", "002"},
    {"피스톤 오버사이즈 0.50 세트", "SET", "", "엔진부품", "피스톤", "033", "002"},
    {"인버터 어셈블리", "EA", "1", kLongMajor, "인버터", "034", "001"},
    {"인버터 냉각 펌프", "EA", "1", kLongMajor, "인버터", "034", "001"},
    {"고전압 배터리 팩", "EA", "1", kLongMajor, "고전압 배터리", "034", "002"},
    {"고전압 배터리 릴레이", "EA", "10", kLongMajor, "고전압 배터리", "034", "002"},
};

void ExtraGoods(Columns& goods) {
  int k = 0;
  for (const ExtraGood& g : kExtraGoods) {
    const int i = kDemoProducts + k++;
    AddRow(goods, {"S00001", DemoCode(i), g.name, g.box, Ean13("880123" + Pad(i + 1, 6)), g.count, g.major,
                   g.minor, g.sort1, g.sort2, Pad(k, 4)});
  }
}

void BigGoods(Columns& goods) {
  // 105 majors: the 32 names in four series ("엔진부품 1" ... ), three minors each.
  for (int i = 0; i < kBigProducts; ++i) {
    const int major = i * kBigMajors / kBigProducts;
    const int first = (major * kBigProducts + kBigMajors - 1) / kBigMajors;
    const int k = i - first;
    const int minor = k % 3;
    const Major& m = kMajors[major % kMajorCount];
    const std::string majorName = std::string(m.name) + " " + std::to_string(major / kMajorCount + 1);
    const std::string box = BoxFor(major % kMajorCount, minor, k);
    AddRow(goods, {"S00002", "B" + Pad(i + 1, 5),
                   std::string(m.minors[minor]) + " " + kVariants[k % 8] + " (" +
                       kModels[(k / 8 + major) % 12] + ")",
                   box, Ean13("880765" + Pad(i + 1, 6)), CountFor(box, k), majorName,
                   m.minors[minor], Pad(major + 1, 3), Pad(minor + 1, 3), Pad(k + 1, 4)});
  }
}

std::string CostDate(int i) { return "24" + Pad(i % 12 + 1, 2) + Pad(i % 28 + 1, 2); }

void Costs(Columns& costs) {
  for (int k = 0; k < 300; ++k) {  // SHOP1: products 1, 9, 17, ...
    const int i = 1 + 8 * k;
    AddRow(costs, {"S00001", "C00001", DemoCode(i), CostDate(i),
                   std::to_string(((i * 37) % 400 + 10) * 100), std::to_string(i % 20 + 1)});
  }
  for (int k = 0; k < 120; ++k) {  // SHOP2: products 5, 25, 45, ...
    const int i = 5 + 20 * k;
    AddRow(costs, {"S00001", "C00002", DemoCode(i), CostDate(i + 3),
                   std::to_string(((i * 53) % 300 + 20) * 100), std::to_string(i % 10 + 1)});
  }
  for (int k = 0; k < 50; ++k) {  // SHOP1 at BIG
    const int i = 7 + 61 * k;
    AddRow(costs, {"S00002", "C00001", "B" + Pad(i + 1, 5), CostDate(i),
                   std::to_string(((i * 29) % 500 + 10) * 100), std::to_string(i % 5 + 1)});
  }
}

void Notes(Columns& notes) {
  const char* const notices[] = {
      "타르빅 자동차부품 발주 시스템에 오신 것을 환영합니다.",
      "주문 마감은 평일 오후 5시이며, 마감 후 주문은 다음 날 출고됩니다.",
      "문의: 영업팀 02-123-4567 (평일 09:00~18:00)",
  };
  for (int n = 0; n < 3; ++n) AddRow(notes, {"S00001", "999999", std::to_string(n + 1), notices[n]});
  for (int k = 0; k < 60; ++k) {  // products 1, 42, 83, ...: 3 to 5 lines each
    const int i = 41 * k;
    const int p = PairOf(i), j = i - FirstOfPair(p);
    const std::string box = BoxFor(p / 7, p % 7, j);
    const std::string lines[] = {
        "제품명: " + NameFor(p, j),
        "포장 단위: " + box + ", 박스당 " + CountFor(box, j) + "개",
        std::string("적용 차종: ") + kModels[(j / 8 + p) % 12],
        "보증 기간: 출고일로부터 6개월",
        "장착 전에 규격과 차대번호를 확인하십시오.",
    };
    for (int n = 0; n < 3 + k % 3; ++n)
      AddRow(notes, {"S00001", DemoCode(i), std::to_string(n + 1), lines[n]});
  }
}

struct CarMake {
  const char* name;
  const char* wmi;
  const char* engine;
  const char* models[5];
};
const CarMake kMakes[10] = {
    {"벤츠", "WDD", "M", {"C200", "E300", "S350", "GLC300", "A180"}},
    {"BMW", "WBA", "B", {"320I", "520D", "X3", "X5", "118D"}},
    {"아우디", "WAU", "EA", {"A4", "A6", "Q5", "Q7", "A3"}},
    {"폭스바겐", "WVW", "CJ", {"GOLF", "PASSAT", "TIGUAN", "JETTA", "ARTEON"}},
    {"볼보", "YV1", "B4", {"XC60", "XC90", "S60", "V60", "XC40"}},
    {"도요타", "JTD", "2AR", {"CAMRY", "PRIUS", "RAV4", "COROLLA", "SIENNA"}},
    {"렉서스", "JTH", "2GR", {"ES300H", "RX350", "NX300", "IS250", "LS500"}},
    {"혼다", "JHM", "K24", {"ACCORD", "CIVIC", "CR-V", "PILOT", "ODYSSEY"}},
    {"포드", "1FA", "EC", {"FOCUS", "MUSTANG", "EXPLORER", "MONDEO", "KUGA"}},
    {"미니", "WMW", "N1", {"COOPER", "COOPER S", "COUNTRYMAN", "CLUBMAN", "PACEMAN"}},
};
// Car groups and the DEMO (major, minor) whose products they point at.
struct CarGroup {
  const char* name;
  int pair;
};
const CarGroup kGroups[15] = {
    {"브레이크패드", 7},   {"브레이크디스크", 8}, {"오일필터", 126},  {"에어필터", 127},
    {"캐빈필터", 128},     {"점화플러그", 63},    {"와이퍼", 112},    {"배터리", 154},
    {"타이밍벨트", 134},   {"워터펌프", 36},      {"쇼크업소버", 14}, {"로어암", 16},
    {"산소센서", 161},     {"점화코일", 64},      {"연료펌프", 42},
};

// Makes added from a supplier's older system, whose fixed-width name column
// pads every name with blanks to 20 bytes.
const char* const kMoreMakes[30] = {
    "포르쉐", "재규어", "랜드로버", "푸조", "시트로엥", "닛산", "인피니티", "캐딜락", "링컨", "크라이슬러",
    "지프", "마세라티", "페라리", "람보르기니", "벤틀리", "롤스로이스", "테슬라", "스바루", "마쯔다", "미쓰비시",
    "스즈키", "피아트", "알파로메오", "쉐보레", "GMC", "닷지", "스마트", "폴스타", "애스턴마틴", "맥라렌"};

std::string Padded(const std::string& name, std::size_t bytes) {
  return name + std::string(bytes > Cp949Length(name) ? bytes - Cp949Length(name) : 0, ' ');
}

// Genuine parts for the first added make (포르쉐, "11"), one per car group,
// after DEMO's 2509 products in a major category of their own. Their names end
// in the maker's number as three groups of three digits, of which the part
// search drops the last two; the sixteenth has a 13-byte name, never cut.
constexpr int kGenuineParts = 16;
constexpr int kGenuineFirst = kDemoProducts + static_cast<int>(std::size(kExtraGoods));
const char* const kPorscheModels[5] = {"CAYENNE 3.0", "MACAN 2.0", "PANAMERA 2.9", "911 3.0", "BOXSTER 2.5"};

std::string GenuineName(int j) {
  if (j == kGenuineParts - 1) return "O 958 107 331";
  char number[16];
  std::snprintf(number, sizeof number, "%03d %03d %03d", 955 + j % 5, 341 + 13 * j, 101 + 37 * j);
  return std::string(kGroups[j].name) + " " + number;
}

void GenuineGoods(Columns& goods) {
  for (int j = 0; j < kGenuineParts; ++j) {
    const int i = kGenuineFirst + j;
    AddRow(goods, {"S00001", DemoCode(i), GenuineName(j), "EA", Ean13("880123" + Pad(i + 1, 6)), "1",
                   "수입차부품", "순정부품", "035", "001", Pad(j + 1, 4)});
  }
}

// A 17-character chassis number after the maker's three letters.
std::string Vin(const char* wmi, int serial) {
  static const char kVin[] = "ABCDEFGHJKLMNPRSTUVWXYZ0123456789";
  std::string vin = wmi;
  unsigned x = 2166136261u ^ static_cast<unsigned>(serial * 7919);
  while (vin.size() < 17) {
    x = x * 16777619u + 12345u;
    vin += kVin[(x >> 8) % 33];
  }
  return vin;
}

void Cars(Columns& makes, Columns& groups, Columns& parts) {
  for (int m = 0; m < 10; ++m) AddRow(makes, {"S00001", Pad(m + 1, 2), kMakes[m].name});
  for (int m = 0; m < 30; ++m) AddRow(makes, {"S00001", Pad(m + 11, 2), Padded(kMoreMakes[m], 20)});
  for (int g = 0; g < 15; ++g) AddRow(groups, {"S00001", Pad(g + 1, 2), kGroups[g].name});
  const char* const disp[] = {"1.6", "2.0", "2.5", "3.0"};
  int serial = 0;
  for (int m = 0; m < 10; ++m) {
    for (int g = 0; g < 15; ++g) {
      const int first = FirstOfPair(kGroups[g].pair);
      const int inPair = FirstOfPair(kGroups[g].pair + 1) - first;
      for (int k = 0; k < 10; ++k, ++serial) {
        const int year = 2010 + (k + g) % 10;
        AddRow(parts, {"S00001", Pad(g + 1, 2), Pad(m + 1, 2),
                       std::string(kMakes[m].models[k % 5]) + " " + disp[(k / 5 + g) % 4],
                       std::string(kMakes[m].engine) + std::to_string(10 + (k * 7 + g) % 90),
                       std::to_string(100 + (k * 13 + g * 7) % 250) + "PS",
                       std::to_string(year) + "~" + std::to_string(year + 4), Vin(kMakes[m].wmi, serial),
                       serial % 7 == 3 ? std::string() : DemoCode(first + k % inPair)});
      }
    }
  }
  // 포르쉐: 30 brake-pad entries (every tenth without a product), two of every
  // other group; the even ones name the genuine part, the odd ones a DEMO one.
  for (int g = 0; g < 15; ++g) {
    const int first = FirstOfPair(kGroups[g].pair);
    const int inPair = FirstOfPair(kGroups[g].pair + 1) - first;
    for (int k = 0; k < (g == 0 ? 30 : 2); ++k, ++serial) {
      std::string code = k % 2 == 0 ? DemoCode(kGenuineFirst + g) : DemoCode(first + k % inPair);
      if (g == 2 && k == 1) code = DemoCode(kGenuineFirst + kGenuineParts - 1);
      if (k % 10 == 9) code.clear();
      const int year = 2012 + k / 5;
      AddRow(parts, {"S00001", Pad(g + 1, 2), "11", kPorscheModels[k % 5], "MA" + std::to_string(10 + (k * 7 + g) % 90),
                     std::to_string(250 + (k * 11 + g * 3) % 300) + "PS",
                     std::to_string(year) + "~" + std::to_string(year + 5), Vin("WP0", serial), code});
    }
  }
}

}  // namespace

std::string DemoProductName(int i) {
  const int p = PairOf(i);
  return NameFor(p, i - FirstOfPair(p));
}

bool WriteDemoData(Connection& db, std::string* error) {
  Rows rows;
  if (!db.EnsureSchema(error) || !db.Query("SELECT COUNT(*) FROM M_", {}, 1, rows, error))
    return false;
  if (!rows.empty() && rows[0][0] != "0") {
    if (error) *error = "the database already holds suppliers";
    return false;
  }
  Columns suppliers, customers, goods, costs, notes, makes, groups, parts;
  AddRow(suppliers, {"S00001", "DEMO", "1", "1", "타르빅 자동차부품 (데모)"});
  AddRow(suppliers, {"S00002", "BIG", "1", "1", "타르빅 대형 카탈로그 (데모)"});
  AddRow(suppliers, {"S00003", "CLOSED", "0", "1", "거래 중지 거래처 (데모)"});
  AddRow(suppliers, {"S00004", "OLDDB", "1", "0", "구형 자료 거래처 (데모)"});
  AddRow(customers, {"S00001", "C00001", "SHOP1", "한빛카센터", "1234", "1", "항상 감사합니다."});
  AddRow(customers, {"S00001", "C00002", "SHOP2", "대성모터스", "5678", "2", ""});
  AddRow(customers, {"S00001", "C00003", "NEWSHOP", "새봄자동차정비", "", "1", ""});
  for (const char* m : {"S00002", "S00003", "S00004"})
    AddRow(customers, {m, "C00001", "SHOP1", "한빛카센터", "1234", "1", ""});
  DemoGoods(goods);
  ExtraGoods(goods);
  GenuineGoods(goods);
  BigGoods(goods);
  Costs(costs);
  Notes(notes);
  Cars(makes, groups, parts);
  return InTransaction(
      db,
      [&] {
        return db.ExecMany("INSERT INTO M_ (M_CODE, M_ID, M_MGU, M_DBTYPE, M_BIGO)"
                           " VALUES (?, ?, ?, ?, ?)",
                           suppliers, error) &&
               db.ExecMany("INSERT INTO C_ (M_CODE, C_CODE, C_ID, C_NAME, C_SS, C_GU, C_MSG)"
                           " VALUES (?, ?, ?, ?, ?, ?, ?)",
                           customers, error) &&
               db.ExecMany(kInsertGood, goods, error) && db.ExecMany(kInsertCost, costs, error) &&
               db.ExecMany("INSERT INTO GM_ (M_CODE, GM_GC, GM_NO, GM_NOTE) VALUES (?, ?, ?, ?)",
                           notes, error) &&
               db.ExecMany("INSERT INTO CM_ (M_CODE, CM_CODE, CM_NAME) VALUES (?, ?, ?)", makes,
                           error) &&
               db.ExecMany("INSERT INTO CG_ (M_CODE, CG_CODE, CG_NAME) VALUES (?, ?, ?)", groups,
                           error) &&
               db.ExecMany("INSERT INTO CPN_ (M_CODE, CPN_GROUP, CPN_MAKE, CPN_NAME, CPN_TYPE,"
                           " CPN_POWER, CPN_YEAR, CPN_BODY, CPN_GCODE)"
                           " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                           parts, error) &&
               db.ExecMany("INSERT INTO CV_ (M_CODE, CV_VERSION) VALUES (?, 1)"
                           " ON CONFLICT (M_CODE) DO UPDATE SET CV_VERSION = CV_.CV_VERSION + 1",
                           {suppliers[0]}, error);
      },
      error);
}

}  // namespace tarvik::service
