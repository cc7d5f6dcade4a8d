// What the program's start leaves undone until it is needed: the dialogs it makes with the
// main window get no windows until shown, and are laid out as they would be with them.
#include "tests/game/GameFolderTest.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

class StartupTest : public GameFolderTest {
 protected:
  StartupTest() : GameFolderTest("tl-startup-") {}
};

TEST_F(StartupTest, DialogsMadeAtStartHaveNoWindowsUntilShownAndKeepTheirLayout) {
  ShowGameForms();
  for (TForm* dialog : {static_cast<TForm*>(FormSettings), static_cast<TForm*>(ResultForm),
                        static_cast<TForm*>(FormAbout), static_cast<TForm*>(NumberForm),
                        static_cast<TForm*>(HighScoresForm), static_cast<TForm*>(HowToForm)}) {
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->HandleAllocated()) << dialog->GetName();
  }
  // Sized without a window, an auto-sized label and editor measure as they do with one.
  const auto sizeOf = [](TControl* c) { return std::pair(c->GetWidth(), c->GetHeight()); };
  TcxLabel* name = FormAbout->lName;
  TcxSpinEdit* spin = FormSettings->seSize;
  const auto nameSize = sizeOf(name), spinSize = sizeOf(spin);
  EXPECT_EQ(nameSize.second, 21);
  FormAbout->HandleNeeded();
  FormSettings->HandleNeeded();
  name->SetAutoSize(false);
  name->SetBounds(name->GetLeft(), name->GetTop(), 5, 5);
  name->SetAutoSize(true);
  spin->SetAutoSize(false);
  spin->SetBounds(spin->GetLeft(), spin->GetTop(), spin->GetWidth(), 40);
  spin->SetAutoSize(true);
  EXPECT_EQ(sizeOf(name), nameSize);
  EXPECT_EQ(sizeOf(spin), spinSize);
}

}  // namespace
