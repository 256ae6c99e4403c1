#pragma once
// Texts the order tests expect in several places.
#include <string>
#include <vector>

namespace tarvik::test {

using Texts = std::vector<std::string>;
inline const char kSent[] = "발주 내용을 전송하였습니다.\r\r[발주열기]를 클릭하여 내용을 학인하십시요.";
inline const char kSendFailed[] = "발주 전송 실패입니다.\r\r인터넷 연결을 확인하십시요.";

}  // namespace tarvik::test
