#pragma once
// The service's seventeen commands, written down once for both programs and
// the tests: per command its code, its endpoint, which of CALL_INDEX, COMMAND
// and DB_KEY lead its request, its fixed extra elements and the elements its
// caller puts after them; and the two records of an order. The client's
// request functions build their requests from it, the service dispatches by
// it, and the tests build their requests through it.
//
// The table is constant data (no constructor runs), so it is whole before any
// other static object of either program reads it.
#include <cstddef>
#include <string>
#include <vector>

namespace tarvik::protocol {

// A fixed list of element names (a static array of the table).
class Names {
 public:
  constexpr Names() = default;
  template <std::size_t N>
  constexpr Names(const char* const (&names)[N]) : names_(names), size_(N) {}
  constexpr std::size_t size() const { return size_; }
  constexpr const char* operator[](std::size_t i) const { return names_[i]; }
  constexpr const char* const* begin() const { return names_; }
  constexpr const char* const* end() const { return names_ + size_; }

 private:
  const char* const* names_ = nullptr;
  std::size_t size_ = 0;
};

// What leads a request: Full is CALL_INDEX, COMMAND, DB_KEY; Short is COMMAND,
// DB_KEY; Bare is COMMAND alone. Only Full requests carry the CALL_INDEX,
// though every request raises the client's counter.
enum class Header { Full, Short, Bare };

struct Command {
  const char* function;  // the client's request function; tarvik-call's name for the command
  const char* code;      // COMMAND; one code may serve several endpoints
  const char* endpoint;  // posted to /NET/<endpoint>.php
  Header header;
  Names extras;   // the fixed extra elements, right after DB_KEY
  Names carries;  // the caller's elements, in order; "" stands for text without a tag
};

extern const Command kMember, kCustomer, kCustomerPassword, kGoods, kUnitCosts, kUnitCostDelete,
    kGoodByCode, kGoodsMemo, kCarGroups, kCarMakes, kCarPartNums, kOrderList, kOrderSave,
    kOrderDelete, kOrderOpen, kOrderSample, kOrderAuth;

// The fields of an order's header (ORDERH_DATA) and of one of its lines (an
// OLD_n record in ORDERL_DATA), in the order the order save sends them.
extern const Names kOrderHeader, kOrderLine;

// Every command, in the table's order.
const std::vector<const Command*>& Commands();
// The command of a request function's name, or of an endpoint and a code;
// null when there is none.
const Command* FindCommand(const std::string& function);
const Command* FindCommand(const std::string& endpoint, const std::string& code);
// True for an endpoint of some command ("Good", "Order", ...).
bool IsEndpoint(const std::string& endpoint);

// "/NET/<endpoint>.php", and back: the endpoint a path names, empty for a
// path of any other shape.
std::string EndpointPath(const Command& command);
std::string EndpointOfPath(const std::string& path);

// The request text before its envelope: the leading elements of the
// command's header (callIndex only for Full, dbKey not for Bare), the fixed
// extras with extraValues in order (missing ones empty), then elements as
// they stand.
std::string RequestText(const Command& command, const std::string& callIndex,
                        const std::string& dbKey, const std::vector<std::string>& extraValues,
                        const std::string& elements);

// The elements of names with values in order (missing ones empty); a name ""
// puts its value in without a tag. For a command's carried elements and for
// the records of an order.
std::string Elements(Names names, const std::vector<std::string>& values);

}  // namespace tarvik::protocol
