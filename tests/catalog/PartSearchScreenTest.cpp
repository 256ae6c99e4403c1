// The imported-car part-number search and its pickers, opened from the main window.
#include "catalog/CodePickerScreen.h"
#include "catalog/PartNumberSearchScreen.h"
#include "tests/mainwindow/MainFixture.h"

namespace tarvik::test { namespace {

class PartSearch : public MainWindowTest {
 protected:
  // Clicks "수입차 부품 검색" (or presses its key) and runs body in the screen it opens.
  void InSearch(const std::function<void(TFrmCarPartNumFind&)>& body, bool byKey = false) {
    bool ran = false;
    script.Then([&](QDialog& d) {
      ran = true;
      auto* search = dynamic_cast<TFrmCarPartNumFind*>(&d);
      ASSERT_NE(search, nullptr) << S(d.objectName());
      body(*search);
    });
    if (byKey)
      Key(Qt::Key_I, Qt::ControlModifier);
    else
      Click("SpeedButton2");
    EXPECT_TRUE(ran);
  }
  // The next picker gets these keys; PickRow moves down `rows` rows and confirms with Enter.
  void PickBy(std::vector<int> keys) { script.Then([keys](QDialog& p) { for (int k : keys) Press(p, k); }); }
  void PickRow(int rows) {
    std::vector<int> keys(rows, Qt::Key_Down);
    keys.push_back(Qt::Key_Return);
    PickBy(keys);
  }
  // Picks make and group from the keyboard: Enter in the empty name fields.
  void PickMakeAndGroup(QDialog& s, int makeRow, int groupRow) {
    Field(s, "EdtCMN")->setFocus();
    PickRow(makeRow);
    Press(s, Qt::Key_Return);
    PickRow(groupRow);
    Press(s, Qt::Key_Return);
  }

  static void Press(QWidget& w, int key) {
    QTest::keyClick(w.focusWidget() ? w.focusWidget() : &w, static_cast<Qt::Key>(key));
  }
  static void TypeHere(QWidget& w, const char* text) { QTest::keyClicks(w.focusWidget(), QString::fromUtf8(text)); }
  static std::string Text(QDialog& d, const char* name) { return S(Field(d, name)->text()); }
  static std::string CountOf(QWidget& w) { return S(w.findChild<QPushButton*>("SBCount")->text()); }
  static QWidget* List(QWidget& w) { return w.findChild<RowGrid*>("SGList"); }
  // Moves the selection down to the first row whose entry names a product.
  static void ToRowWithProduct(TFrmCarPartNumFind& s) {
    while (s.Search().List().Cell(s.Search().List().Selected(), kPartGoodsCode).empty()) Press(s, Qt::Key_Down);
  }
};

TEST_F(PartSearch, KeysAloneOpenBothPickersAndAddAProduct) {
  std::string shownName;
  InSearch([&](TFrmCarPartNumFind& s) {
    EXPECT_EQ(s.focusWidget(), Field(s, "EdtCMN"));

    PickRow(10);
    Press(s, Qt::Key_Return);  // in the empty EdtCMN
    EXPECT_EQ(Text(s, "EdtCMN"), "포르쉐");  // the padded name without its blanks
    EXPECT_EQ(Text(s, "EdtCMC"), "11");
    EXPECT_EQ(s.focusWidget(), Field(s, "EdtCGN"));

    PickRow(1);
    Press(s, Qt::Key_Return);  // in the empty EdtCGN
    EXPECT_EQ(Text(s, "EdtCGN"), "브레이크디스크");
    EXPECT_EQ(Text(s, "EdtCGC"), "02");
    EXPECT_EQ(s.focusWidget(), Field(s, "EdtModel"));

    TypeHere(s, "cay");  // found as CAY: the field's capitals are the screen kit's
    Press(s, Qt::Key_Return);
    EXPECT_EQ(s.Search().ListCount(), 1);
    EXPECT_EQ(s.focusWidget(), List(s));

    script.Then([&](QDialog& q) {
      shownName = Text(q, "EdtGN");
      TypeHere(q, "3");
      Press(q, Qt::Key_Return);
    });
    Press(s, Qt::Key_Return);
    EXPECT_TRUE(s.isVisible());  // open for the next product
    EXPECT_TRUE(prompter.prompts.empty()) << prompter.Last();
    Press(s, Qt::Key_Escape);
    EXPECT_FALSE(s.isVisible());
  }, /*byKey=*/true);
  EXPECT_EQ(script.opened, (std::vector<std::string>{"FrmMessage", "FrmCarPartNumFind", "FrmMakeS",
                                                     "FrmGroupS", "FrmCnt"}));
  EXPECT_EQ(shownName, "브레이크디스크 956 ");  // the part number's last two groups cut
  ASSERT_EQ(main->Draft().LineCount(), 1);
  EXPECT_EQ(main->Draft().Line(0).GoodsCode + main->Draft().Line(0).Quantity, "P025113");
  EXPECT_EQ(S(Find<RowGrid>("SGS")->model()->index(0, 1).data().toString()), "브레이크디스크 956");
}

TEST_F(PartSearch, PickersPageFortyMakesAndAnEmptyRowKeepsTheCode) {
  InSearch([&](TFrmCarPartNumFind& s) {
    PickBy({Qt::Key_End, Qt::Key_Return});  // the window and the count there are the paging table's and the rules'
    s.findChild<QPushButton*>("BtnMFind")->click();
    EXPECT_EQ(Text(s, "EdtCMN") + Text(s, "EdtCMC"), "맥라렌40");

    PickRow(0);
    Press(s, Qt::Key_Return);  // EdtCGN
    ASSERT_EQ(Text(s, "EdtCGC"), "01");
    // 15 groups: End selects the empty row 24; Enter there cancels.
    PickBy({Qt::Key_End, Qt::Key_Return});
    s.findChild<QPushButton*>("BtnGCFind")->click();
    EXPECT_EQ(Text(s, "EdtCGC"), "01");
    EXPECT_EQ(Text(s, "EdtCGN"), "브레이크패드");
    EXPECT_EQ(s.focusWidget(), Field(s, "EdtCGN"));
    // Esc cancels too; the focus goes back to the make name.
    PickBy({Qt::Key_Escape});
    s.findChild<QPushButton*>("BtnMFind")->click();
    EXPECT_EQ(Text(s, "EdtCMC"), "40");
    EXPECT_EQ(s.focusWidget(), Field(s, "EdtCMN"));
  });
  EXPECT_TRUE(prompter.prompts.empty()) << prompter.Last();
}

TEST_F(PartSearch, ATypedNameKeepsThePickedCodeAndAnEmptiedNameDropsIt) {
  InSearch([&](TFrmCarPartNumFind& s) {
    PickMakeAndGroup(s, 1, 0);  // BMW, brake pads; the focus in EdtModel
    // A name typed over the pick leaves the picked code in force.
    Field(s, "EdtCMN")->setFocus();
    Field(s, "EdtCMN")->selectAll();
    TypeHere(s, "AUDI");
    Press(s, Qt::Key_Down);
    Press(s, Qt::Key_Down);
    TypeHere(s, "320");
    Press(s, Qt::Key_Return);
    ASSERT_EQ(s.Search().ListCount(), 2);  // "320I 1.6" and "320I 2.0"
    EXPECT_EQ(Text(s, "EdtCMC"), "02");
    EXPECT_EQ(s.focusWidget(), List(s));

    // Emptying the name (F10) empties the code at the next search.
    Press(s, Qt::Key_Space);
    Press(s, Qt::Key_Up);
    Press(s, Qt::Key_Up);
    ASSERT_EQ(s.focusWidget(), Field(s, "EdtCMN"));
    Press(s, Qt::Key_F10);
    EXPECT_EQ(Text(s, "EdtCMN"), "");
    for (int i = 0; i < 3; ++i) Press(s, Qt::Key_Down);
    ASSERT_EQ(s.focusWidget(), Field(s, "EdtBody"));
    TypeHere(s, "WBA");
    Press(s, Qt::Key_Return);
    EXPECT_EQ(prompter.Last(), "차종을 먼저 선택해주십시요");
    EXPECT_EQ(Text(s, "EdtCMC"), "");
    EXPECT_EQ(s.Search().List().Cell(0, kPartName), "320I 1.6");  // the rows stay
  });
  EXPECT_EQ(main->Draft().LineCount(), 0);
}

TEST_F(PartSearch, AddingLeavesTheResultToPageAndAnEmptySearchKeepsTheRows) {
  InSearch([&](TFrmCarPartNumFind& s) {
    PickMakeAndGroup(s, 10, 0);  // 포르쉐, brake pads: 30 entries
    Press(s, Qt::Key_Down);      // EdtBody
    TypeHere(s, "wp0");
    Press(s, Qt::Key_Return);
    ASSERT_EQ(s.Search().ListCount(), 30);
    ToRowWithProduct(s);
    const int row = s.Search().List().Selected();
    auto addOne = [&] {
      script.Then([&](QDialog& q) {
        TypeHere(q, "1");
        Press(q, Qt::Key_Return);
      });
      Press(s, Qt::Key_Return);
    };
    addOne();
    ASSERT_EQ(main->Draft().LineCount(), 1);
    // The lookup did not touch the list: it pages on through the same result.
    Press(s, Qt::Key_Down);
    EXPECT_EQ(CountOf(s), std::to_string(row + 2));

    // A search that finds nothing: no message, the rows stay, row 0 selected.
    Press(s, Qt::Key_Space);
    ASSERT_EQ(s.focusWidget(), Field(s, "EdtModel"));
    TypeHere(s, "ZZZ");
    Press(s, Qt::Key_Return);
    EXPECT_TRUE(prompter.prompts.empty()) << prompter.Last();
    EXPECT_EQ(s.Search().ListCount(), 0);
    EXPECT_EQ(s.Search().List().Selected(), 0);
    EXPECT_EQ(s.Search().List().Cell(0, kPartBody).substr(0, 3), "WP0");
    main->Draft().ClearDraft();
    Press(s, Qt::Key_Down);
    Press(s, Qt::Key_Down);  // after EdtBody: the list
    ASSERT_EQ(s.focusWidget(), List(s));
    ToRowWithProduct(s);
    addOne();
    EXPECT_EQ(main->Draft().LineCount(), 1);
  });
}

}}  // namespace tarvik::test
