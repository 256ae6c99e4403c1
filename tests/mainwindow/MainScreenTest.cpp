// The main window driven with keys against the reference service.
#include <QCheckBox>
#include <QLabel>
#include <QTableWidget>

#include <set>

#include "mainwindow/HelpScreen.h"
#include "catalog/ProductNote.h"
#include "screens/CellFormat.h"
#include "tests/mainwindow/MainFixture.h"
#include "tests/support/Files.h"
#include "text/Text.h"

namespace tarvik::test { namespace {

using MainScreen = MainWindowTest;

// Positions are the paging table's; here keys, buttons and the wheel reach the list shown, and F12 switches lists.
TEST_F(MainScreen, PagingThroughTheTradedAndTheAllProductsList) {
  ASSERT_EQ(dm->Catalogue.TradedCount, 300);
  Key(Qt::Key_Down);  // search box -> list
  ASSERT_EQ(Focus(), Find<RowGrid>("SGU"));
  const struct { int key; const char* button; const char* count; } steps[] = {
      {Qt::Key_End, nullptr, "300"}, {Qt::Key_Home, nullptr, "1"},  {Qt::Key_PageDown, nullptr, "26"},
      {Qt::Key_PageUp, nullptr, "1"}, {0, "SBEnd", "300"},           {0, "SBHome", "1"}};
  for (const auto& s : steps) {
    s.button ? Click(s.button) : Key(s.key);
    EXPECT_EQ(Count(), s.count) << (s.button ? s.button : QKeySequence(s.key).toString().toStdString());
  }
  // F12 to all products; the traded-product removal is off there.
  Key(Qt::Key_F12);
  EXPECT_EQ(Focus(), Find<QLineEdit>("EdtGN"));
  EXPECT_TRUE(Find<RowGrid>("SGA")->isVisible());
  EXPECT_FALSE(Find<RowGrid>("SGU")->isVisible());
  EXPECT_FALSE(Find<QPushButton>("SBF8U")->isEnabled());
  Key(Qt::Key_Down);
  ASSERT_EQ(Focus(), Find<RowGrid>("SGA"));
  Key(Qt::Key_End);
  EXPECT_EQ(Count(), "2525");
  Wheel(Find<RowGrid>("SGA"), 120);
  EXPECT_EQ(Count(), "2524");
  Key(Qt::Key_F12);  // back (Space to the box is the name search test's)
  EXPECT_TRUE(Find<RowGrid>("SGU")->isVisible());
  EXPECT_TRUE(Find<QPushButton>("SBF8U")->isEnabled());
}

TEST_F(MainScreen, KoreanNameSearchWithEnterAndWithF11) {
  const std::string word = "앞";  // begins some traded names and stands inside others
  int contains = 0, prefix = 0;
  for (long long i = 0; i < dm->Catalogue.TradedCount; ++i) {
    const auto at = dm->Catalogue.TradedGoods[i].G_NAME.find(word);
    contains += at != std::string::npos;
    prefix += at == 0;
  }
  ASSERT_GT(contains, 0);
  auto* found = Find<QLabel>("LblSearchCount");
  EXPECT_TRUE(found->text().isEmpty());  // the full list: nothing to say
  Type(Q(word));
  Key(Qt::Key_Return);
  EXPECT_EQ(S(found->text()), "검색결과 " + std::to_string(contains) + "건");
  EXPECT_TRUE(found->isVisible());
  EXPECT_EQ(Focus(), Find<RowGrid>("SGU"));
  EXPECT_TRUE(Find<QLineEdit>("EdtGN")->text().isEmpty());

  Key(Qt::Key_Space);  // back to the box: the whole list again from record 0
  EXPECT_TRUE(found->text().isEmpty());
  EXPECT_EQ(Count(), "1");
  EXPECT_EQ(main->Panel().Visible().Count(), 300);

  Type(Q(word));
  Key(Qt::Key_F11);
  EXPECT_EQ(dm->Catalogue.ShownCount, prefix);
  ASSERT_GT(prefix, 0);
  EXPECT_LT(prefix, contains);

  // Nothing found: an empty page, and Enter there asks for a product.
  Key(Qt::Key_F2);
  Type(QStringLiteral("없는제품이름"));
  Key(Qt::Key_Return);
  EXPECT_EQ(dm->Catalogue.ShownCount, 0);
  EXPECT_EQ(S(found->text()), "검색결과가 없습니다");
  Key(Qt::Key_Return);
  EXPECT_EQ(prompter.Last(), "제품을 선택하십시요.");
  EXPECT_EQ(Count(), "0");
}

// A scan in a list or the basket right after an add from the list used to lose its digits and add the selection.
TEST_F(MainScreen, ScanInTheBoxAListOrTheBasketAddsTheBarcodesProduct) {
  const GoodsRecord scanned = dm->Catalogue.TradedGoods[40];
  Type(Q(scanned.G_BCODE));
  Key(Qt::Key_Return);
  EXPECT_TRUE(Find<QLineEdit>("EdtGN")->text().isEmpty());
  EXPECT_EQ(main->Panel().Visible().Top(), 40);
  EXPECT_EQ(Focus(), Find<QLineEdit>("EdtGN"));
  Find<QLineEdit>("EdtGN")->setText("old search");
  AddTraded(2, "1");
  for (QWidget* from : {Focus(), static_cast<QWidget*>(Find<RowGrid>("SGS"))}) {
    SCOPED_TRACE(S(from->objectName()));
    from->setFocus();
    ASSERT_NE(Focus(), Find<QLineEdit>("EdtGN"));
    for (char c : scanned.G_BCODE) QTest::keyClick(Focus(), c, Qt::NoModifier, 3);  // where the focus is now
    Key(Qt::Key_Return);
  }
  ASSERT_EQ(main->Draft().LineCount(), 2);  // the product added from the list, untouched
  EXPECT_EQ(Lines()[0] + Lines()[1].substr(Lines()[1].size() - 2), scanned.G_CODE + " 3 1");
  // With the unit-price box a scan only shows the product.
  Find<QCheckBox>("ChkBxOCost")->setChecked(true);
  Type(Q(dm->Catalogue.TradedGoods[77].G_BCODE));
  Key(Qt::Key_Return);
  EXPECT_EQ(main->Panel().Visible().Top(), 77);
  EXPECT_EQ(main->Draft().LineCount(), 2);
  EXPECT_TRUE(prompter.prompts.empty());
}

// The controls that had only the mouse, each by its Ctrl key.
TEST_F(MainScreen, EveryControlHasAKey) {
  auto* being = Find<QCheckBox>("ChkBxIOG");
  auto* price = Find<QCheckBox>("ChkBxOCost");
  ASSERT_FALSE(price->isHidden());
  const struct { int key; std::function<bool()> done; } cases[] = {
      {Qt::Key_W, [&] { return being->isChecked(); }},
      {Qt::Key_W, [&] { return !being->isChecked(); }},
      {Qt::Key_U, [&] { return price->isChecked(); }},
      {Qt::Key_U, [&] { return !price->isChecked(); }},
      {Qt::Key_B, [&] { return Focus() == Find<RowGrid>("SGS"); }},
      {Qt::Key_N, [&] { return script.opened.back() == "FrmMessage"; }},
      {Qt::Key_H, [&] { return script.opened.back() == "FrmHelp"; }},
      {Qt::Key_M, [&] { return Focus() == Find<QLineEdit>("EdtNote"); }},
      {Qt::Key_R, [&] { return prompter.Last().find("거래된 제품 목록에서 삭제합니다.") != std::string::npos; }},
  };
  prompter.answers = {false};
  script.opened = {""};
  for (const auto& c : cases) {
    SCOPED_TRACE(QKeySequence(c.key).toString().toStdString());
    if (c.key == Qt::Key_R) Key(Qt::Key_F2);  // the traded list under the search box
    Key(c.key, Qt::ControlModifier);
    EXPECT_TRUE(c.done());
  }
  EXPECT_TRUE(prompter.prompts.back().noByDefault);
}

// Every key that does something is named on the help screen and in README's key table.
TEST(Keys, TheHelpScreenAndTheReadmeNameEveryKey) {
  const std::string help = HelpText();
  const std::string readme = ReadFile(TARVIK_SOURCE_DIR "/README.md");
  std::vector<std::pair<int, std::string>> keys = {{Qt::Key_Escape, "Esc"}};
  for (int f = 1; f <= 12; ++f) keys.push_back({Qt::Key_F1 + f - 1, "F" + std::to_string(f)});
  for (char c = 'A'; c <= 'Z'; ++c) keys.push_back({c, std::string(1, c)});
  int named = 0;
  for (const auto& [key, name] : keys)
    for (const Qt::KeyboardModifiers mods : {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::ControlModifier)}) {
      bool acts = false;
      for (const MainFocus f : {MainFocus::SearchBox, MainFocus::ProductList, MainFocus::Basket, MainFocus::Field})
        acts = acts || !std::set<MainAction>{MainAction::None, MainAction::Swallow, MainAction::TypeIntoSearch}.count(
                           MainKeyAction(key, mods, f));
      if (!acts) continue;
      const std::string shown = (mods == Qt::ControlModifier ? "Ctrl+" : "") + name;
      EXPECT_NE(help.find("[" + shown + "]"), std::string::npos) << shown;
      EXPECT_NE(readme.find("| " + shown + " |"), std::string::npos) << shown;
      ++named;
    }
  EXPECT_EQ(named, 13 + 15);  // Esc, F1-F12; Ctrl+F3, F7 and 13 letters
}

// Puts the traded product with this code on row 0 of the list.
void ShowTraded(TFrmMain& main, TDM& dm, const std::string& code) {
  for (long long i = 0; i < dm.Catalogue.TradedCount; ++i)
    if (dm.Catalogue.TradedGoods[i].G_CODE == code) {
      main.Panel().Visible().FillPage(static_cast<int>(i), 0);
      main.Panel().Visible().Select(0);
      main.RefreshList();
      return;
    }
  FAIL() << code;
}

TEST_F(MainScreen, ProductNoteThenNoticesShareOneTable) {
  ShowTraded(*main, *dm, "P00042");  // four note lines
  Key(Qt::Key_Down);
  std::vector<std::string> rows;
  std::string title;
  int current = -1;
  const auto read = [&](QDialog& d) {
    rows.clear();
    auto* list = d.findChild<QTableWidget*>();
    for (int r = 0; r < list->rowCount(); ++r) rows.push_back(S(list->item(r, 0)->text()));
    current = list->currentRow();
  };
  script.Then([&](QDialog& d) {
    title = S(d.findChild<QLabel*>("LblGN")->text());
    read(d);
    QTest::keyClick(d.findChild<QTableWidget*>(), Qt::Key_Escape);
  });
  Key(Qt::Key_F1);
  EXPECT_EQ(script.opened.back(), "FrmInfo");
  EXPECT_EQ(title, TrimRightBlanks(main->Panel().Visible().Cell(0, kColName)));
  ASSERT_EQ(rows.size(), 20u);
  EXPECT_EQ(rows[0].rfind("제품명: ", 0), 0u);
  EXPECT_FALSE(rows[3].empty());
  EXPECT_TRUE(rows[4].empty());
  EXPECT_EQ(current, 19);

  script.Then(read);
  Click("SBMessage");
  EXPECT_EQ(script.opened.back(), "FrmMessage");
  ASSERT_EQ(rows.size(), 20u);
  EXPECT_FALSE(rows[2].empty());
  EXPECT_TRUE(rows[3].empty());  // the product's fourth line is gone

  // A product without notes: a message and no screen.
  const std::size_t opened = script.opened.size();
  ShowTraded(*main, *dm, "P00002");
  Key(Qt::Key_F1);
  EXPECT_EQ(prompter.Last(), "정보가 없는 제품입니다.");
  EXPECT_EQ(script.opened.size(), opened);
}

TEST_F(MainScreen, DeletingATradedProductAsksThenRemovesIt) {
  Key(Qt::Key_Down);
  Key(Qt::Key_Down);  // row 1
  const GoodsRecord gone = dm->Catalogue.TradedGoods[1];
  prompter.answers = {false, true};
  Click("SBF8U");
  EXPECT_EQ(prompter.Last(), "제품: " + gone.G_NAME + " 를\r\r거래된 제품 목록에서 삭제합니다.");
  EXPECT_EQ(dm->Catalogue.TradedCount, 300);
  Click("SBF8U");  // Yes
  EXPECT_EQ(dm->Catalogue.TradedCount, 299);  // how the tables close up is the panel test's
  // The service no longer lists it: a fresh log-in loads 299.
  auto again = std::make_unique<TDM>(S(dir.path()) + "/");
  dm.swap(again);
  LogIn("SHOP1", "1234");
  EXPECT_EQ(dm->Catalogue.TradedCount, 299);
  dm.swap(again);
}

// Esc, F9 and its button ask before they drop a filled basket; Esc on an empty one leaves at once.
TEST_F(MainScreen, EscAndF9AskBeforeDroppingAFilledBasket) {
  main->Draft().AddLine("P00002", "x", "EA", "1", "");
  main->Draft().DeliveryDate = "240131";
  Find<QCheckBox>("ChkBxIOG")->setChecked(true);
  main->RefreshDraft();
  prompter.answers = {false, false, true};
  Key(Qt::Key_Escape);  // No (the question's text is the draft test's)
  Key(Qt::Key_F9);      // No
  EXPECT_EQ(prompter.Texts().at(1), kClearQuestion);
  EXPECT_TRUE(main->isVisible());
  EXPECT_TRUE(main->Draft().HasLines());
  EXPECT_EQ(S(Find<QLineEdit>("EdtDD")->text()), "240131");
  Click("SBF9");  // Yes
  EXPECT_FALSE(main->Draft().HasLines());
  EXPECT_TRUE(Find<QLineEdit>("EdtDD")->text().isEmpty());
  EXPECT_FALSE(Find<QCheckBox>("ChkBxIOG")->isChecked());
  EXPECT_EQ(Focus(), Find<QLineEdit>("EdtGN"));  // F9 on an empty basket: the desk test's
  Key(Qt::Key_Escape);
  EXPECT_FALSE(main->isVisible());
  EXPECT_EQ(prompter.prompts.size(), 3u);
}

class DateClassScreen : public MainWindowTest {
 protected:
  std::string ordererId() const override { return "SHOP2"; }
  std::string password() const override { return "5678"; }
};

TEST_F(DateClassScreen, OrdererClassTwoSeesUnitCostDatesAndNoPriceCheck) {
  EXPECT_TRUE(Find<QCheckBox>("ChkBxOCost")->isHidden());
  EXPECT_EQ(S(Find<QLabel>("LblTitle")->text()), dm->MasterInfo.M_BIGO);
  EXPECT_EQ(dm->Catalogue.TradedCount, 120);
  const std::string raw = main->Panel().Visible().Cell(0, kColPrice);
  EXPECT_EQ(raw, dm->Catalogue.TradedGoods[0].U_DATE);
  EXPECT_EQ(ProductCell(kColPrice, raw, main->Panel().ShowsDate()).text, FormatYymmdd(raw));
  // F10 empties the focused edit field.
  Type("ABC");
  Key(Qt::Key_F10);
  EXPECT_TRUE(Find<QLineEdit>("EdtGN")->text().isEmpty());
}

}}  // namespace tarvik::test
