// A test of the main window run as a program in a folder of its own, named for the test, so
// that its config.ini is read and written there alone; the folder goes after the test.
#pragma once

#include "game/ChoiceForms.h"
#include "game/GameForms.h"
#include "game/HighScoresForm.h"
#include "game/InfoForms.h"
#include "game/MainForm.h"
#include "game/ResultForm.h"
#include "platform/kernel/Modules.h"
#include "tests/game/GameTestUnits.h"
#include "tests/support/AppTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

class GameFolderTest : public AppTest {
 protected:
  // APrefix starts the folder's name; the test's name ends it.
  explicit GameFolderTest(const char* APrefix) : prefix_(APrefix) {}
  void SetUp() override {
    AppTest::SetUp();
    StartGameUnits();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::path(::testing::TempDir()) / (prefix_ + info->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    SetProgramPath((dir_ / "tessaloom").string());
  }
  void TearDown() override {
    if (form_) form_->Free();
    form_ = nullptr;
    for (TForm* dialog : {static_cast<TForm*>(FormSettings), static_cast<TForm*>(ResultForm),
                          static_cast<TForm*>(FormAbout), static_cast<TForm*>(NumberForm),
                          static_cast<TForm*>(HighScoresForm), static_cast<TForm*>(HowToForm)})
      if (dialog) dialog->Free();
    StopGameUnits();
    SetProgramPath("");
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
    AppTest::TearDown();
  }
  // The main window made and shown, its first paint done.
  void ShowMainForm() {
    Application->CreateForm(form_);
    form_->Show();
    Pump();
  }
  // The main window and every dialog, made as the program makes them; the main window shown.
  void ShowGameForms() {
    Application->CreateForm(form_);
    CreateGameDialogs();
    form_->Show();
    Pump();
  }
  std::string FileText(const char* Name) const {
    std::ifstream in(dir_ / Name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  void WriteFile(const char* Name, const std::string& Text) const {
    std::ofstream(dir_ / Name, std::ios::binary) << Text;
  }

  std::filesystem::path dir_;
  TMainForm* form_ = nullptr;

 private:
  std::string prefix_;
};
