// The file dialogs' own window: filters and masks, the folder list, moving between folders,
// the checks on OK, the picture preview, and folders that are odd or large.
#include "classlib/visual/FileDialogForm.h"
#include "classlib/visual/PictureGraphics.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

class FileDialogTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    cwd_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() / ("tl_filedlg_" + std::to_string(getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ + "/sub");
    for (const char* name : {"b.txt", "A.txt", "c.log"}) Write(name, "x");
  }
  void TearDown() override {
    std::filesystem::current_path(cwd_);
    std::filesystem::remove_all(dir_);
    AppTest::TearDown();
  }
  void Write(const String& name, const String& data) { std::ofstream(dir_ + "/" + name, std::ios::binary) << data; }
  static TFileDialogForm* Dialog() { return dynamic_cast<TFileDialogForm*>(Screen->ActiveForm()); }
  static std::vector<String> Names() {
    std::vector<String> out;
    for (const auto& e : Dialog()->Entries()) out.push_back(e.Name);
    return out;
  }
  // Types Text into the name edit (replacing it) and presses Enter.
  void Enter(const String& text) {
    Dialog()->NameEdit->SetFocus();
    Dialog()->NameEdit->SetText("");
    host().Text(text);
    host().Key(VK_RETURN);
  }
  // Inside the dialog's loop: the click is handled before the script goes on.
  void ClickItem(TListBox* list, Integer index, bool twice = false) {
    const TRect r = list->ItemRect(index);
    if (twice) host().DoubleClick(list->Handle(), r.Left + 3, r.Top + 2);
    else host().Click(list->Handle(), r.Left + 3, r.Top + 2);
    Application->ProcessMessages();
  }
  std::string dir_;
  std::filesystem::path cwd_;
};

TEST_F(FileDialogTest, FiltersSplitIntoMasksAndMasksMatchNames) {
  auto f = ParseFileFilter("Text (*.txt)|*.txt; *.log|All|");
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(f[0].Description, "Text (*.txt)");
  EXPECT_EQ(f[0].Masks, (std::vector<String>{"*.txt", "*.log"}));
  EXPECT_EQ(f[1].Masks, std::vector<String>{"*"});
  EXPECT_TRUE(MatchesFileMask("Photo.PNG", "*.png"));
  EXPECT_FALSE(MatchesFileMask("a.png.bak", "*.png"));
  EXPECT_TRUE(MatchesFileMask("ab", "?b"));
  EXPECT_FALSE(MatchesFileMask("b", "?b"));
  EXPECT_TRUE(MatchesFileMask("README", "*.*"));
  EXPECT_FALSE(MatchesFileMask(String(5000, 'a') + "b", "*a*a*a*a*c"));
}

TEST_F(FileDialogTest, OpenListsFoldersFirstMovesBetweenFoldersAndWantsAnExistingFile) {
  Owned<TOpenDialog> open(New<TOpenDialog>(nullptr));
  open->Filter = "Text|*.txt|Logs|*.log";
  open->FilterIndex = 2;
  open->InitialDir = dir_;
  String caption, boxCaption, inSub, backUp;
  std::vector<String> logs, texts;  // under each filter
  bool nameFocused = false;
  host().WhenIdle([&] {
    caption = Dialog()->GetCaption();
    nameFocused = Dialog()->GetActiveControl() == Dialog()->NameEdit;
    logs = Names();
    ClickItem(Dialog()->FilterList, 0);
    texts = Names();
    Enter("missing.txt");
  });
  host().WhenIdle([&] {  // the message box
    boxCaption = Screen->ActiveForm()->GetCaption();
    EXPECT_EQ(Dialog(), nullptr);
    host().Key(VK_RETURN);
  });
  host().WhenIdle([&] { ClickItem(Dialog()->FileList, 1, true); });  // "sub"
  host().WhenIdle([&] {
    inSub = Dialog()->Folder();
    ClickItem(Dialog()->FileList, 0);  // ".." and Enter
    host().Key(VK_RETURN);
  });
  host().WhenIdle([&] {
    backUp = Dialog()->Folder();
    Enter("b.txt");
  });
  ASSERT_TRUE(open->Execute());
  EXPECT_EQ(caption, "Open");
  EXPECT_TRUE(nameFocused);
  EXPECT_EQ(logs, (std::vector<String>{"..", "sub", "c.log"}));
  EXPECT_EQ(texts, (std::vector<String>{"..", "sub", "A.txt", "b.txt"}));
  EXPECT_EQ(boxCaption, "Open");
  EXPECT_EQ(inSub, dir_ + "/sub");
  EXPECT_EQ(backUp, dir_);
  EXPECT_EQ(open->FileName, dir_ + "/b.txt");
  EXPECT_EQ(open->FilterIndex, 1);
}

TEST_F(FileDialogTest, SaveAddsTheDefaultExtensionAndAsksBeforeReplacing) {
  Owned<TSaveDialog> save(New<TSaveDialog>(nullptr));
  save->Filter = "Text|*.txt";
  save->DefaultExt = "txt";
  save->Title = "Keep";
  save->FilterIndex = 5;  // out of range: the first filter
  save->InitialDir = dir_ + "/sub";
  String caption, folder;
  Integer questions = 0;
  host().WhenIdle([&] {
    caption = Dialog()->GetCaption();
    folder = Dialog()->Folder();
    Enter(dir_ + "/b");
  });
  host().WhenIdle([&] {  // replace it? No.
    ++questions;
    host().Key(VK_ESCAPE);
  });
  host().WhenIdle([&] { host().Key(VK_RETURN); });  // the name is still there: asks again
  host().WhenIdle([&] {                             // Yes.
    ++questions;
    host().Key(VK_RETURN);
  });
  ASSERT_TRUE(save->Execute());
  EXPECT_EQ(caption, "Keep");
  EXPECT_EQ(save->FilterIndex, 1);
  EXPECT_EQ(folder, dir_ + "/sub");
  EXPECT_EQ(questions, 2);
  EXPECT_EQ(save->FileName, dir_ + "/b.txt");

  // A new name is taken at once; a name in a missing folder is refused.
  save->InitialDir = dir_ + "/missing";  // the working folder instead
  ASSERT_EQ(chdir(dir_.c_str()), 0);
  host().WhenIdle([&] { Enter("nowhere/x"); });
  host().WhenIdle([&] { host().Key(VK_RETURN); });  // the folder does not exist
  host().WhenIdle([&] { Enter("fresh"); });
  ASSERT_TRUE(save->Execute());
  EXPECT_EQ(save->FileName, dir_ + "/fresh.txt");
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/fresh.txt"));
}

TEST_F(FileDialogTest, OddEntriesAndTypedFoldersNeverBreakTheList) {
  std::filesystem::create_symlink(dir_ + "/gone", dir_ + "/dangling.txt");
  Write("x\ny.txt", "1");
  Owned<TOpenDialog> open(New<TOpenDialog>(nullptr));
  open->Filter = "Text|*.txt";
  open->InitialDir = dir_;
  std::vector<String> names;
  String shown, folderAfterBadPath;
  host().WhenIdle([&] {
    names = Names();
    // A path typed into the folder edit that is not a folder is reported and undone.
    Dialog()->FolderEdit->SetFocus();
    Dialog()->FolderEdit->SetText(dir_ + "/b.txt");
    host().Key(VK_RETURN);
  });
  host().WhenIdle([&] { host().Key(VK_RETURN); });
  host().WhenIdle([&] {
    folderAfterBadPath = Dialog()->FolderEdit->GetText();
    ClickItem(Dialog()->FileList, 4);  // the broken link
    Dialog()->OkButton->Click();
  });
  host().WhenIdle([&] { host().Key(VK_RETURN); });  // it does not exist
  host().WhenIdle([&] {
    ClickItem(Dialog()->FileList, 5);  // "x\ny.txt"
    shown = Dialog()->NameEdit->GetText();
    Dialog()->OkButton->Click();
  });
  ASSERT_TRUE(open->Execute());
  EXPECT_EQ(names, (std::vector<String>{"..", "sub", "A.txt", "b.txt", "dangling.txt", "x\ny.txt"}));
  EXPECT_EQ(folderAfterBadPath, dir_);
  EXPECT_EQ(shown, "x?y.txt");
  EXPECT_EQ(open->FileName, dir_ + "/x\ny.txt");
}

TEST_F(FileDialogTest, AFolderThatCannotBeReadIsReportedAndLeftAlone) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  std::filesystem::permissions(dir_ + "/sub", std::filesystem::perms::none);
  Owned<TOpenDialog> open(New<TOpenDialog>(nullptr));
  open->InitialDir = dir_;
  String boxCaption, folder;
  host().WhenIdle([&] { ClickItem(Dialog()->FileList, 1, true); });  // "sub"
  host().WhenIdle([&] {
    boxCaption = Screen->ActiveForm()->GetCaption();
    host().Key(VK_RETURN);
  });
  host().WhenIdle([&] {
    folder = Dialog()->Folder();
    host().Key(VK_ESCAPE);
  });
  EXPECT_FALSE(open->Execute());
  std::filesystem::permissions(dir_ + "/sub", std::filesystem::perms::owner_all);
  EXPECT_EQ(boxCaption, "Open");
  EXPECT_EQ(folder, dir_);
}

TEST_F(FileDialogTest, ALargeFolderIsListedWhole) {
  std::filesystem::create_directories(dir_ + "/many");
  for (int i = 0; i < 10000; ++i) std::ofstream(dir_ + "/many/f" + std::to_string(i));
  Owned<TOpenDialog> open(New<TOpenDialog>(nullptr));
  open->InitialDir = dir_ + "/many";
  String last;
  host().WhenIdle([&] {
    last = Dialog()->FileList->GetItems()->Strings(Dialog()->FileList->GetCount() - 1);
    host().Key(VK_ESCAPE);
  });
  EXPECT_FALSE(open->Execute());
  EXPECT_EQ(last, "f9999");  // the 10,001st line, after ".."

}

TEST_F(FileDialogTest, ThePictureDialogPreviewsTheSelectedPicture) {
  Owned<TBitmap> b(New<TBitmap>());
  b->SetSize(40, 30);
  b->SaveToFile(dir_ + "/good.bmp");
  Write("bad.bmp", "not a picture");
  Owned<TOpenPictureDialog> open(New<TOpenPictureDialog>(nullptr));
  open->InitialDir = dir_;
  String good, bad, folder;
  Integer goodWidth = 0, badWidth = -1;
  host().WhenIdle([&] {
    ClickItem(Dialog()->FileList, 3);  // after "..", "sub" and "bad.bmp"
    good = Dialog()->PreviewText();
    goodWidth = Dialog()->Preview->GetPicture()->GetWidth();
    ClickItem(Dialog()->FileList, 2);
    bad = Dialog()->PreviewText();
    badWidth = Dialog()->Preview->GetPicture()->GetWidth();
    ClickItem(Dialog()->FileList, 1);
    folder = Dialog()->PreviewText();
    host().Key(VK_ESCAPE);
  });
  EXPECT_FALSE(open->Execute());
  EXPECT_EQ(good, "40 x 30");
  EXPECT_EQ(goodWidth, 40);
  EXPECT_NE(bad, good);
  EXPECT_EQ(badWidth, 0);
  EXPECT_EQ(folder, "(None)");
}

}  // namespace
