// The about and how-to-play boxes: their texts, the logo, the link handed to the desktop's
// opener, and the pause they leave on; and a gallery picture of the game's windows.
#include "platform/shell/Shell.h"
#include "tests/foundation/GalleryFile.h"
#include "tests/game/GameFolderTest.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

class InfoBoxesTest : public GameFolderTest {
 protected:
  InfoBoxesTest() : GameFolderTest("tl-info-") {}
  void SetUp() override {
    GameFolderTest::SetUp();
    SetShellRecording(true);
    ClearShellLaunches();
    ShowGameForms();
  }
  void TearDown() override {
    ClearShellLaunches();
    SetShellRecording(false);
    GameFolderTest::TearDown();
  }
  void Menu(const char* Name) { dynamic_cast<TMenuItem*>(form_->FindComponent(Name))->Click(); }
  // A window as shown, added to the gallery picture below the others.
  void Snap(TForm* Form) {
    const Surface s = host().Capture(Form->GetHandle());
    const Integer top = gallery_.Height;
    gallery_.Width = std::max(gallery_.Width, s.Width());
    gallery_.Height += s.Height() + 4;
    std::vector<Pixel> grown(size_t(gallery_.Width * gallery_.Height), 0x808080);
    for (Integer y = 0; y < top; ++y)
      for (Integer x = 0; x < width_; ++x) grown[size_t(y * gallery_.Width + x)] = gallery_.Pixels[size_t(y * width_ + x)];
    for (Integer y = 0; y < s.Height(); ++y)
      for (Integer x = 0; x < s.Width(); ++x) grown[size_t((top + y) * gallery_.Width + x)] = s.At(x, y);
    gallery_.Pixels = std::move(grown);
    width_ = gallery_.Width;
  }
  DecodedImage gallery_;
  Integer width_ = 0;
};

TEST_F(InfoBoxesTest, TheAboutBoxShowsItsTextsAndOpensItsLinkAndThePauseStays) {
  ASSERT_NE(FormAbout, nullptr);
  EXPECT_EQ(std::tuple(FormAbout->GetCaption(), FormAbout->GetColor(), FormAbout->GetPosition()),
            std::tuple(String("About..."), clWhite, TPosition::poDesktopCenter));
  EXPECT_EQ(FormAbout->lName->GetCaption(), "Tessaloom v.1.0");
  EXPECT_EQ(FormAbout->lText->GetCaption(),
            "This game is completely free, and it will remain so in the future. You do not have to pay me anything "
            "for downloading and using it. However if you still want donate buck or two to its developement, "
            "you're most welcome.");
  EXPECT_FALSE(FormAbout->lCopyright->GetCaption().empty());
  // The logo sizes the image to itself.
  EXPECT_EQ(std::pair(FormAbout->iLogo->GetWidth(), FormAbout->iLogo->GetHeight()), std::pair(64, 64));
  const String link = FormAbout->lDonate->GetText();
  EXPECT_EQ(link.substr(0, 7), "http://");

  // F1 opens it over a paused game; a single click on the link opens the address alone.
  host().WhenIdle([&] {
    Snap(FormAbout);
    TcxCustomInnerTextEdit* inner = FormAbout->lDonate->InnerTextEdit();
    host().MouseDown(inner->GetHandle(), 4, 4);
    host().MouseUp(inner->GetHandle(), 4, 4);
    host().WhenIdle([&] { host().Key(VK_RETURN); });
  });
  host().Key(VK_F1);
  Pump();
  EXPECT_EQ(host().PendingScripts(), 0u);
  EXPECT_FALSE(FormAbout->Showing());
  ASSERT_EQ(ShellLaunches().size(), 1u);
  EXPECT_EQ(ShellLaunches()[0].back(), link);
  EXPECT_TRUE(form_->GameBoard().Paused);

  // How to play: its rules, the logo, OK by Enter, the pause kept.
  Menu("miPause");
  EXPECT_FALSE(form_->GameBoard().Paused);
  EXPECT_EQ(HowToForm->cxLabel1->GetCaption(),
            "The goal of the game is very simple: clear the board. To remove cells click on at least two connected "
            "ones of the same color.");
  EXPECT_EQ(std::tuple(HowToForm->GetCaption(), HowToForm->GetColor(), HowToForm->GetPosition(),
                       HowToForm->iLogo->GetWidth()),
            std::tuple(String("How To Play"), clWhite, TPosition::poScreenCenter, 64));
  host().WhenIdle([&] {
    Snap(HowToForm);
    host().Key(VK_RETURN);
  });
  Menu("miHowToPlay");
  Pump();
  EXPECT_FALSE(HowToForm->Showing());
  EXPECT_TRUE(form_->GameBoard().Paused);

  // The result and high-scores windows, for the gallery.
  WriteFile("highscores.ini", "[10,4]\n2611=1,Ann,(0,0)\n15=7,Bob,(1,1)\n");
  host().WhenIdle([&] {
    Snap(ResultForm);
    host().Key(VK_RETURN);
  });
  form_->GameFinished(2611, 5, 83);
  Pump();
  host().WhenIdle([&] {
    Snap(HighScoresForm);
    host().Key(VK_RETURN);
  });
  Menu("miHighScores");
  Pump();
  host().WhenIdle([&] {
    Snap(FormSettings);
    host().Key(VK_ESCAPE);
  });
  Menu("miSettings");
  Pump();
  host().WhenIdle([&] {
    Snap(NumberForm);
    host().Key(VK_ESCAPE);
  });
  Menu("miNewNumber");
  Pump();
  WriteGalleryPng(gallery_, "game-dialogs.png");
}

}  // namespace
