#pragma once
// The element texts the ordering commands put after their fixed header: the
// order with its lines, the message to the supplier, the order list's
// condition and the sample registration (and the send count read back). Built with MakeTag, byte for byte as
// the service expects them; nothing here sends anything.
#include <string>

namespace tarvik {

class OrderDraft;

// ORDERH_DATA then ORDERL_DATA of the draft's used lines (rows 0 .. k-1).
// The header carries the draft's SendCount as it stands (the caller raises it
// first), "X" for a draft being written and "A" otherwise; a line typed in by
// hand ("YZ") carries its name and packing unit, a catalogue line only its
// code. Quantities lose their ",", line notes their trailing blanks, the note
// its blanks at both ends.
std::string OrderSaveBody(const OrderDraft& draft, const std::string& ordererCode);

// An order header's OH_MCOUNT as the draft's SendCount: 0 unless it is a
// decimal number of at most 32767.
short SendCountOf(const std::string& mcount);

// "O" for the first send of an order (sendCount 1), "R" for a later one.
std::string SendKindOf(int sendCount);

// The notice to the supplier: "거래처", CR LF CR LF, the orderer's name,
// " 에서", CR LF CR LF, then "발주가 왔습니다." (kind "O") or
// "발주가 수정되었습니다." (any other kind).
std::string OrderNotice(const std::string& ordererName, const std::string& sendKind);

// The nine OA_ elements of a message to the supplier, in their order.
std::string SupplierMessageBody(const std::string& supplierCode, const std::string& ordererCode,
                                const std::string& sendKind, const std::string& notice);

// " OH_CC = '<code>' AND OH_SG='<0 or 1>' " (a blank at each end).
std::string OrderListCondition(const std::string& ordererCode, bool samples);
// The condition untagged, then WHERE_OPTION with the same text, then ORDERBY
// "OH_SD DESC,OH_CODE DESC".
std::string OrderListBody(const std::string& ordererCode, bool samples);

// ORDERH_DATA holding OH_CODE and OH_SG "1".
std::string SampleBody(const std::string& orderCode);

// The message of a request that failed: lead, then the service's own reason
// when it refused with one (RESULT_CODE "0" and a RESULT_MSG), else advice
// (the connection's, for a reply that never came or cannot be read).
std::string FailureText(const std::string& lead, const std::string& reply, const std::string& advice);

}  // namespace tarvik
