// How product list cells are drawn, and the main screen's key map.
#include <gtest/gtest.h>

#include "mainwindow/MainKeys.h"
#include "catalog/ProductList.h"

namespace tarvik {
namespace {

TEST(ProductCell, PricesAndDates) {
  // Regression: a price longer than a fixed text buffer was cut off.
  const std::string longPrice = ProductCell(4, "1" + std::string(70, '0'), false).text;
  EXPECT_EQ(longPrice.size(), 71u + 23u);  // 71 digits in 24 groups
  EXPECT_EQ(longPrice.rfind("10,000,000,", 0), 0u);

  auto c = ProductCell(4, "12000.00  ", false);
  EXPECT_EQ(c.text, "12,000");
  EXPECT_TRUE(c.rightAligned);
  c = ProductCell(4, "0", false);  // zero is drawn as it stands
  EXPECT_EQ(c.text, "0");
  EXPECT_FALSE(c.rightAligned);
  c = ProductCell(4, "240131", true);
  EXPECT_EQ(c.text, "24/01/31");
  EXPECT_EQ(ProductCell(4, "2401", true).text, "");  // not a date: blank
  c = ProductCell(2, "브레이크   ", false);
  EXPECT_EQ(c.text, "브레이크");
  EXPECT_EQ(c.indent, 6);
  EXPECT_EQ(ProductCell(3, "EA", false).indent, 4);
}

TEST(MainKeys, ModifiersChooseTheMap) {
  using F = MainFocus;
  EXPECT_EQ(MainKeyAction(Qt::Key_F7, Qt::NoModifier, F::Other), MainAction::SendOrder);
  EXPECT_EQ(MainKeyAction(Qt::Key_F7, Qt::ControlModifier, F::Other), MainAction::RegisterSample);
  EXPECT_EQ(MainKeyAction(Qt::Key_F3, Qt::ControlModifier, F::Other), MainAction::OpenSample);
  EXPECT_EQ(MainKeyAction(Qt::Key_F9, Qt::ControlModifier, F::Other), MainAction::None);
  // The search screens open from the search box too, where a letter would be typed.
  EXPECT_EQ(MainKeyAction(Qt::Key_G, Qt::ControlModifier, F::SearchBox), MainAction::CategoryBrowser);
  EXPECT_EQ(MainKeyAction(Qt::Key_I, Qt::ControlModifier, F::Basket), MainAction::PartNumberSearch);
  EXPECT_EQ(MainKeyAction(Qt::Key_G, Qt::NoModifier, F::SearchBox), MainAction::None);
  EXPECT_EQ(MainKeyAction(Qt::Key_F7, Qt::AltModifier, F::Other), MainAction::None);
  EXPECT_EQ(MainKeyAction(Qt::Key_Escape, Qt::AltModifier, F::Other), MainAction::None);
  EXPECT_EQ(MainKeyAction(Qt::Key_F7, Qt::ControlModifier | Qt::AltModifier, F::Other),
            MainAction::SendOrder);
  EXPECT_EQ(MainKeyAction(Qt::Key_F11, Qt::NoModifier, F::SearchBox), MainAction::PrefixSearch);
  EXPECT_EQ(MainKeyAction(Qt::Key_F11, Qt::NoModifier, F::ProductList), MainAction::Print);
  EXPECT_EQ(MainKeyAction(Qt::Key_F4, Qt::NoModifier, F::ProductList), MainAction::None);
  EXPECT_EQ(MainKeyAction(Qt::Key_Space, Qt::NoModifier, F::SearchBox), MainAction::None);
  EXPECT_EQ(MainKeyAction(Qt::Key_Enter, Qt::KeypadModifier, F::ProductList), MainAction::AddFromList);
  EXPECT_EQ(MainKeyAction(Qt::Key_Return, Qt::NoModifier, F::Other), MainAction::Swallow);
  // A printable key in a list or the basket starts a search (a scanner
  // types where the focus is); in the search box and elsewhere it is typed.
  EXPECT_EQ(MainKeyAction(Qt::Key_8, Qt::NoModifier, F::ProductList), MainAction::TypeIntoSearch);
  EXPECT_EQ(MainKeyAction(Qt::Key_P, Qt::ShiftModifier, F::Basket), MainAction::TypeIntoSearch);
  EXPECT_EQ(MainKeyAction(Qt::Key_8, Qt::NoModifier, F::SearchBox), MainAction::None);
  EXPECT_EQ(MainKeyAction(Qt::Key_8, Qt::NoModifier, F::Other), MainAction::None);
  EXPECT_EQ(MainKeyAction(Qt::Key_Space, Qt::NoModifier, F::ProductList), MainAction::FocusSearch);
}

}  // namespace
}  // namespace tarvik
