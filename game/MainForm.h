// The main window of unit `main`: holds the board, draws it from cell images built out of
// the tile sheets of its image list `colors`, sizes itself to the board, reads the player's
// settings from config.ini beside the program, turns mouse clicks into moves, runs the
// clock and the pause, starts games from its menu and replays move lists.
#pragma once

#include "classlib/visual/ComCtrls.h"
#include "classlib/visual/ExtCtrls.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/ImgList.h"
#include "classlib/visual/Menus.h"
#include "game/Board.h"
#include "widgets/editors/cxLabel.h"

#include <memory>

class TMainForm : public TForm {
  TL_CLASS(TMainForm, TForm)
 public:
  // Reads the window's description (which binds the handlers below) and runs FormCreate.
  explicit TMainForm(TComponent* AOwner);

  // From the description.
  TImageList* colors = nullptr;
  // Panels: cells left, clock, game number.
  TStatusBar* sbStatus = nullptr;
  TMainMenu* mmMain = nullptr;
  TMenuItem* miPause = nullptr;
  // "Game is paused. Press F5 to resume.", shown over the hidden board during a pause.
  TcxLabel* lPause = nullptr;
  // Every 500 ms: the clock.
  TTimer* tTimer = nullptr;

  Integer CellWidth = CellPixels;
  Integer CellHeight = CellPixels;
  bool SettingsPending = false;
  Integer PendingSize = DefaultBoardSize;
  Integer PendingColors = DefaultColors;
  String PlayerName;

  // The board and its game state; the operations below work on it.
  TBoard& GameBoard() { return FBoard; }
  const TBoard& GameBoard() const { return FBoard; }

  void StartGame(bool Record);
  bool SameColorAt(Integer Column, Integer Row, Integer Colour) const {
    return FBoard.SameColorAt(Column, Row, Colour);
  }
  Integer NeighbourMask(Integer Column, Integer Row) const { return FBoard.NeighbourMask(Column, Row); }
  void MarkDirty(Integer Column, Integer Row) { FBoard.MarkDirty(Column, Row); }
  void RemoveGroup(Integer Column, Integer Row, Integer Colour) { FBoard.RemoveGroup(Column, Row, Colour); }
  void ApplyGravity() { FBoard.ApplyGravity(); }
  // The move steps shared by clicks and replays: a playable cell's group goes, the cells
  // fall, the changed cells are redrawn and the end test runs. False when (Column, Row) is
  // no move (off the board, empty, alone, or the game is over or paused).
  bool PlayMove(Integer Column, Integer Row);

  // Sizes the client area to the board and builds the cell images for Colors.
  void ResizeBoard();
  void BuildEmptyCellBitmap(Integer Index);
  void BuildCellBitmap(Integer Colour, Integer Mask);
  void BuildCellBitmaps();
  // Draws every cell, or only the cells marked for redrawing, and runs the end test.
  void DrawBoard(bool OnlyDirty);
  // The image drawn for CellImages[Colour][Mask]; nullptr for a slot not built.
  TBitmap* CellImage(Integer Colour, Integer Mask) const;

  // The cell under a client point; false when the point lies off the board (points left
  // of or above the board included: they never round to column or row 0).
  bool CellAt(Integer X, Integer Y, Integer& Column, Integer& Row) const;
  // Where config.ini is read from: beside the program's file.
  static String ConfigFileName();
  // Stores the board's shape in config.ini, "Size" first; a file that cannot be written
  // is left as it was.
  static void SaveSizeSettings(Integer Size, Integer Colors);
  // The end of a recorded game: the result window, the new best stored whatever button
  // closed it (the name with it, also in config.ini), then "Try again" starts the same
  // game again recorded and "Show me how" replays the stored best unrecorded. Without a
  // result window (a main window made alone) the end shows and stores nothing.
  void GameFinished(Integer GameNumber, Integer CellsLeft, Integer Seconds);
  // What the high-scores window's choices do: the chosen game of the chosen shape starts
  // recorded, or its stored moves are replayed. The shape becomes the board's and is
  // stored in config.ini when it differs. Showing a game stored with an empty value
  // changes nothing.
  void ReplayStoredGame(Integer Size, Integer Colors, Integer GameNumber);
  void ShowStoredGame(Integer Size, Integer Colors, Integer GameNumber);

  // The pause: toggles it unless the game is over. Pausing hides the board and stops the
  // clock; resuming shows the board again and leaves the pause out of the time.
  void TogglePause();
  // Pending settings become the board's shape at the next new game.
  void ApplyPendingSettings();
  // What OK in the settings dialog does with its values: brought into range, stored in
  // config.ini at once and kept pending for the next new game.
  void ChooseSettings(Integer NewSize, Integer NewColors);
  // What OK in the number dialog does with its value: a new recorded game of that number
  // (brought into 0..9999) with the pending settings applied.
  void StartNumberedGame(Integer Number);
  // Replays a move list one item every 500 ms, letting waiting messages run between
  // items. It stops at the end of the list, at an item not starting with "(", when the
  // game is paused (even if resumed again) or over, when another game or replay starts,
  // and when the window closes or the application ends.
  void PlayReplay(const String& MoveText);
  // "%d:%02d": minutes, then seconds with two digits.
  static String ClockText(Integer Seconds);
  // "%d left": the first panel.
  static String CellsLeftText(Integer Cells);

  // Handlers bound by the description.
  void FormCreate(TObject* Sender);
  void FormPaint(TObject* Sender);
  void FormMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void tTimerTimer(TObject* Sender);
  void miNewClick(TObject* Sender);
  void miNewNumberClick(TObject* Sender);
  void miRepeatLastClick(TObject* Sender);
  void miPauseClick(TObject* Sender);
  void miLastReplayClick(TObject* Sender);
  void miHighScoresClick(TObject* Sender);
  void miSettingsClick(TObject* Sender);
  void miExitClick(TObject* Sender);
  void miHowToPlayClick(TObject* Sender);
  void miAnoutClick(TObject* Sender);

  void BeforeDestruction() override;

 protected:
  void Loaded() override;
  void DoClose(TCloseAction& Action) override;

 private:
  // The dialogs the menu opens. Each answers whether the player chose OK and, for the
  // number and the settings, the values chosen; a window not made answers no.
  bool AskGameNumber(Integer& Number);
  bool AskSettings(Integer& NewSize, Integer& NewColors);
  void ShowAbout();
  void ShowHowToPlay();
  void ShowHighScores();
  // The pause banner over the hidden board.
  void ShowPauseBanner(bool Show);
  void Pause();
  void Resume();
  void ReadSettings();
  // The board takes a shape from the high-scores window.
  void TakeOverShape(Integer Size, Integer Colors);
  // The cell image for (Colour, Mask) from Colour's sheet, already taken out of `colors`.
  void BuildCellBitmap(Integer Colour, Integer Mask, TBitmap* Sheet);
  // Raises EInvalidOperation unless `colors` holds the eight sheets of 200 x 100 and the
  // status bar has its three panels.
  void CheckTileSheets();
  void SetPanelText(Integer Index, const String& Text);

  TBoard FBoard;
  // Counts every start of a game or replay, every pause and every close; a running replay
  // that sees it change ends.
  unsigned FGeneration = 0;
  // False once the window is being destroyed: a replay waiting in the message pump
  // checks it before it touches the window again.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
  // [colour 0..8][neighbour mask]; [0][0] is the empty cell.
  Owned<TBitmap> CellImages[MaxColors + 1][16];
};
