#pragma once
// The fixed demo data set that tests and the demo log in with. Deterministic:
// the same rows every time.
//
// Suppliers (M_ID -> M_CODE): DEMO S00001 (open), BIG S00002 (3100 products in
// 105 major categories), CLOSED S00003 (M_MGU "0"), OLDDB S00004 (M_DBTYPE "0").
// Orderers of DEMO: SHOP1 C00001 "1234" 한빛카센터 C_GU "1" (300 traded
// products), SHOP2 C00002 "5678" C_GU "2" (120 traded), NEWSHOP C00003 with no
// password; SHOP1 C00001 "1234" also at BIG, CLOSED and OLDDB.
// DEMO's catalogue: 2525 products P00001..P02525 (code order = sort order):
// 2500 in 32 major and 224 (major, minor) categories, then 9 in a second run of
// 엔진부품 (minors "EGR 밸브 (배기가스 재순환 장치)", 31 bytes, and 피스톤
// again; P02505 has no G_BCNT) and in "하이브리드 전기차 전용 부품" (27 bytes,
// minors 인버터 and 고전압 배터리), then 16 genuine imported-car parts
// P02510..P02525 in ("수입차부품", "순정부품"); 3 notices, notes for 60
// products. Car makes 01..40 (11..40 with names padded to 20 bytes), 15 car
// groups, 1558 part numbers: 10 per make 01..10 and group, and for make 11
// (포르쉐) 30 brake-pad entries and 2 per other group, naming the genuine
// parts, whose names the part search cuts (but P02525's 13-byte one); some
// name no product.
#include <string>
#include <vector>

#include "service/store/Database.h"

namespace tarvik::service {

// Writes the data set into an empty database in one transaction. False with an
// error text when the database already holds suppliers or a write fails.
bool WriteDemoData(Connection& db, std::string* error);

// Adds SHOP1's earlier orders at DEMO to a database holding the data set, in
// one transaction: three received ("O"), two being received ("I"), two sent
// ("A") and two being written ("X"), dated from 20 days to 1 day before today,
// and two samples (of the first received order and of one being received).
// False with an error text when the data set is missing, SHOP1 has orders at
// DEMO already, or a write fails.
bool WriteDemoOrders(Connection& db, std::string* error);

// Name of DEMO's product number i (0-based, below 2500) as the data set writes it; for
// tests and the report of facts.
std::string DemoProductName(int i);

}  // namespace tarvik::service
