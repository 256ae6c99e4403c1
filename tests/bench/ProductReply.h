#pragma once
// An all-products reply of 3000 records (about 1 MB) in ten majors of ten
// minors each, as the catalogue benchmarks read it.
#include <string>

#include "wire/MessageFormat.h"

inline const std::string& ProductReply() {
  using tarvik::MakeTag;
  static const std::string reply = [] {
    const char* const majors[] = {"엔진부품", "제동장치", "전기장치", "냉각장치", "조향장치",
                                  "현가장치", "배기장치", "필터류",   "오일류",   "차체부품"};
    std::string body;
    for (int i = 0; i < 3000; ++i) {
      const std::string n = std::to_string(i), major = majors[i / 300];
      body += MakeTag("RDC_" + n, MakeTag("G_CODE", "P" + std::string(5 - n.size(), '0') + n) +
                                      MakeTag("G_NAME", "브레이크 패드 앞 좌우 세트 (쏘나타 YF 2.0 가솔린) 순정형 " + n) +
                                      MakeTag("G_BOX", "SET") + MakeTag("G_BCODE", "8801234" + n) +
                                      MakeTag("G_BCNT", "10") + MakeTag("G_GPN1", major) +
                                      MakeTag("G_GPN2", major + " 소분류 " + std::to_string((i / 30) % 10)) +
                                      MakeTag("U_DATE", "240131") + MakeTag("U_COST", "125000") +
                                      MakeTag("U_CNT", "4"));
    }
    return MakeTag("RESULT_CODE", "1") + MakeTag("RESULT_RECORD_COUNT", "3000") + body +
           MakeTag("CALL_INDEX", "240131-3");
  }();
  return reply;
}
