// The category browser over the demo data, driven with keys, clicks and the wheel.
#include <QRadioButton>

#include "catalog/CategoryBrowserScreen.h"
#include "catalog/ProductNoteScreen.h"
#include "tests/mainwindow/MainFixture.h"

namespace tarvik::test { namespace {

using Rows = std::vector<std::string>;
constexpr BrowserList kMajors = BrowserList::Majors, kMinors = BrowserList::Minors, kProducts = BrowserList::Products;

class BrowserScreen : public MainWindowTest {
 protected:
  // Clicks "분류로 검색" (or presses its key) and runs body while the browser is up.
  void Browse(const std::function<void(TFrmGPartS&)>& body, bool byKey = false) {
    script.Then([&](QDialog& d) {
      b = qobject_cast<TFrmGPartS*>(&d);
      ASSERT_NE(b, nullptr);
      body(*b);
    });
    if (byKey)
      Key(Qt::Key_G, Qt::ControlModifier);
    else
      Click("SBGPart");
    ASSERT_NE(b, nullptr) << "the browser did not open";
  }
  RowGrid* Grid(const char* name) { return b->findChild<RowGrid*>(name); }
  void Press(int key, int times = 1) {
    for (int i = 0; i < times; ++i) QTest::keyClick(b->focusWidget(), static_cast<Qt::Key>(key));
  }
  void AllView() { b->findChild<QRadioButton*>("RdBtnAll")->click(); }
  int Sel(BrowserList l) { return b->Browser().Selected(l); }
  std::string Count() { return S(b->CountDisplay()->text()); }
  Rows Listed(BrowserList l) {
    Rows rows;
    for (int r = 0; r < b->Browser().RowCount(l); ++r)
      rows.push_back(l == kProducts ? b->Browser().Product(r).G_CODE : b->Browser().Shown(l, r));
    return rows;
  }
  Rows CodesOf(bool all, const std::string& major, const std::string& minor) {
    Rows codes;
    for (long long i = 0; i < (all ? dm->Catalogue.AllCount : dm->Catalogue.TradedCount); ++i) {
      const GoodsRecord& g = (all ? dm->Catalogue.AllGoods : dm->Catalogue.TradedGoods)[i];
      if (g.G_GPN1 == major && g.G_GPN2 == minor) codes.push_back(g.G_CODE);
    }
    return codes;
  }

  TFrmGPartS* b = nullptr;
};

// The traded view comes first; the Enter button closes without adding the selected product.
TEST_F(BrowserScreen, SwitchingViewsPutsEverySelectionBackOnTheFirstPairAndEnterAddsNothing) {
  Browse([&](TFrmGPartS& d) {
    EXPECT_TRUE(d.findChild<QRadioButton*>("RdBtnOnly")->isChecked());
    EXPECT_EQ(Listed(kMajors).size(), static_cast<std::size_t>(dm->Catalogue.TradedMajorCount));
    for (bool all : {true, false}) {
      Press(Qt::Key_Down, 2);
      Press(Qt::Key_Right);
      Press(Qt::Key_Down, 3);
      Press(Qt::Key_Right);
      Press(Qt::Key_End);
      Press(Qt::Key_Left, 2);
      ASSERT_EQ(Sel(kMinors), 3);
      d.findChild<QRadioButton*>(all ? "RdBtnAll" : "RdBtnOnly")->click();
      EXPECT_EQ(Sel(kMajors) + Sel(kMinors) + Sel(kProducts), 0);
      const CategoryPair& first = (all ? dm->Catalogue.AllGroups : dm->Catalogue.TradedGroups)[0];
      EXPECT_EQ(Listed(kProducts), CodesOf(all, first.G_GPN1, first.G_GPN2));
      EXPECT_EQ(Grid("SGN")->currentIndex().row(), 0);
      EXPECT_EQ(Count(), "1");
      EXPECT_EQ(d.focusWidget(), Grid("SGP1"));  // the radio buttons leave the focus in the lists
    }
    Press(Qt::Key_Right, 2);
    Press(Qt::Key_Down);
    d.SideButton(ListButton::Enter)->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
  });
  EXPECT_EQ(main->Draft().LineCount(), 0);
}

TEST_F(BrowserScreen, AScatteredMajorListsAllItsMinorsAndANewMajorKeepsTheSixthOrTheLast) {
  Browse([&](TFrmGPartS&) {
    AllView();
    const Rows majors = Listed(kMajors);
    ASSERT_EQ(majors.size(), 35u);
    EXPECT_EQ(majors[32], "엔진부품");  // again, after 소모품
    EXPECT_EQ(majors[34], "수입차부품");
    EXPECT_EQ(Listed(kMinors), (Rows{"피스톤", "피스톤 링", "실린더 헤드", "밸브 리프터", "캠 샤프트", "크랭크 샤프트",
                                     "엔진 마운트", "EGR 밸브 (배기가스 ", "피스톤"}));
    Press(Qt::Key_Right);
    Press(Qt::Key_End);  // the second 피스톤: the products of both runs
    EXPECT_EQ(Listed(kProducts), CodesOf(true, "엔진부품", "피스톤"));

    Press(Qt::Key_Home);
    Press(Qt::Key_Down, 5);
    Press(Qt::Key_Left);
    Press(Qt::Key_Down);  // 제동장치: its sixth minor
    EXPECT_EQ(Sel(kMinors), 5);
    EXPECT_EQ(Listed(kProducts), CodesOf(true, "제동장치", "브레이크 호스"));
    Press(Qt::Key_End);  // the imported-car parts' single minor: the last
    EXPECT_EQ(Grid("SGP2")->currentIndex().row(), 0);
    EXPECT_EQ(Listed(kProducts), CodesOf(true, "수입차부품", "순정부품"));
  });
}

TEST_F(BrowserScreen, TwoProductsAddedInARowAreInTheBasketAfterTheBrowserCloses) {
  Rows unitShown;
  const auto answer = [&](const char* qty) {
    script.Then([&, qty](QDialog& q) {
      unitShown.push_back(S(q.findChild<QLineEdit*>("EdtGU")->text()));
      EnterQuantity(q, qty);
    });
  };
  Browse([&](TFrmGPartS& d) {
    AllView();
    Press(Qt::Key_Return);  // SGP1 -> SGP2
    Press(Qt::Key_End);     // the second 피스톤
    Press(Qt::Key_Return);  // SGP2 -> SGN
    Press(Qt::Key_End);
    ASSERT_EQ(d.Browser().SelectedProduct().G_CODE, "P02505");  // no count per box
    answer("3");
    Press(Qt::Key_Return);
    EXPECT_EQ(main->Draft().LineCount(), 1);  // drawn behind the browser at once
    EXPECT_EQ(S(Find<RowGrid>("SGS")->model()->index(0, 1).data().toString()), "피스톤 오버사이즈 0.50 세트");

    RowGrid* sgn = Grid("SGN");
    const QPoint above = sgn->visualRect(sgn->model()->index(Sel(kProducts) - 1, 0)).center();
    QTest::mouseClick(sgn->viewport(), Qt::LeftButton, {}, above);
    answer("2");
    QTest::mouseDClick(sgn->viewport(), Qt::LeftButton, {}, above);
    EXPECT_TRUE(d.isVisible());
    Press(Qt::Key_Escape);
    EXPECT_FALSE(d.isVisible());
  }, /*byKey=*/true);
  EXPECT_EQ(unitShown, (Rows{"", "4"}));  // "0" shows empty
  ASSERT_EQ(main->Draft().LineCount(), 2);
  EXPECT_EQ(main->Draft().Line(0).GoodsCode + main->Draft().Line(0).Quantity, "P025053");
  EXPECT_EQ(main->Draft().Line(1).GoodsCode + main->Draft().Line(1).Quantity, "P025042");
  EXPECT_TRUE(prompter.prompts.empty()) << prompter.Last();
}

TEST_F(BrowserScreen, F1ShowsTheNoteOfTheSelectedProduct) {
  Browse([&](TFrmGPartS& d) {
    Press(Qt::Key_Right);
    Press(Qt::Key_Down, 3);  // 밸브 리프터: the traded P00042, four note lines
    Press(Qt::Key_Right);
    ASSERT_EQ(d.Browser().SelectedProduct().G_CODE, "P00042");
    // The note's lines and the no-note message are the main screen test's.
    std::string mode;
    script.Then([&](QDialog& q) { mode = static_cast<TFrmInfo&>(q).Mode(); });
    Press(Qt::Key_F1);
    EXPECT_EQ(mode, "GPARTS");
    Press(Qt::Key_Left);
    Press(Qt::Key_Down);  // 캠 샤프트: P00050 has no note
    d.findChild<QPushButton*>("SBInfo")->click();
    EXPECT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(script.opened, (Rows{"FrmMessage", "FrmGPartS", "FrmInfo"}));
  });
}

}}  // namespace tarvik::test
