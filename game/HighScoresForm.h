// The high-scores window of unit `main`: lists the stored best results of one board shape
// at a time, chosen from the shapes stored in highscores.ini, and lets the player re-play
// a listed game or watch its stored moves, from the grid's popup menu. The main window
// acts on what it answers.
#pragma once

#include "classlib/core/IniFiles.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/Grids.h"
#include "classlib/visual/Menus.h"
#include "widgets/editors/cxButtons.h"
#include "widgets/editors/cxComboBox.h"
#include "widgets/editors/cxGroupBox.h"
#include "widgets/editors/cxLabel.h"

#include <vector>

// Modal results of the popup menu's items.
inline constexpr TModalResult mrReplayGame = 4;
inline constexpr TModalResult mrShowGame = 6;

class THighScoresForm : public TForm {
  TL_CLASS(THighScoresForm, TForm)
 public:
  explicit THighScoresForm(TComponent* AOwner);
  void BeforeDestruction() override;

  // The shape of the listed section, and the game chosen from the popup menu.
  Integer SelectedSize = 0;
  Integer SelectedColors = 0;
  Integer SelectedGameNumber = 0;

  // From the description.
  TcxGroupBox* cxGroupBox1 = nullptr;
  TcxLabel* lSize = nullptr;
  TcxComboBox* cbSize = nullptr;
  TStringGrid* sgRes = nullptr;
  TPopupMenu* pmHigh = nullptr;
  TMenuItem* miReplay = nullptr;
  TMenuItem* miShow = nullptr;
  TcxButton* bOK = nullptr;

  // Lists the shapes stored in highscores.ini, in file order, and selects the one of Size
  // and Colors, else the first, filling the grid with its games. Section names that do not
  // read as "%d,%d", or whose shape the board cannot take, are left out. False when none
  // is left.
  bool FillSizeCombo(Integer Size, Integer Colors);
  // The size list's items ("Size: %d, Colors: %d") and the selected one (-1 for none).
  std::vector<String> SizeItems() const;
  Integer SizeIndex() const;
  // Selects an item of the size list, which fills the grid with that shape's games; the
  // grid is filled even when the item was selected already, since the file may have
  // changed meanwhile.
  void SelectSize(Integer Index);
  // The grid: a header row, then one row per stored game of the shape (game number, name,
  // cells left) in file order; a shape without games leaves the header alone.
  void FillGrid(Integer Size, Integer Colors);

  // Handlers bound by the description. The size list's change fills the grid for the
  // shape its text names.
  void cbSizePropertiesChange(TObject* Sender);
  void pmHighPopup(TObject* Sender);
  void miReplayClick(TObject* Sender);
  void miShowClick(TObject* Sender);

 protected:
  void Loaded() override;

 private:
  // The row the popup menu acts on: the right-clicked one; -1 when it is no game's row.
  Integer PopupRow() const;
  void Choose(TModalResult Result);
  TIniFile& Scores();

  // Counts the grid fills, so that a selection that fired no change is filled all the same.
  unsigned FFills = 0;
  // One object for a showing: the file is parsed once, and again only when it changed.
  Owned<TIniFile> FScores;
};

// The high-scores window the program made at start-up; nullptr while there is none.
extern THighScoresForm* HighScoresForm;
