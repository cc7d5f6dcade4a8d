// The main window of unit `main`: holds the board, draws it from cell images built out of
// the tile sheets of its image list `colors`, sizes itself to the board, reads the player's
// settings from config.ini beside the program and turns mouse clicks into moves.
#pragma once

#include "classlib/visual/ComCtrls.h"
#include "classlib/visual/Forms.h"
#include "classlib/visual/ImgList.h"
#include "game/Board.h"

class TMainForm : public TForm {
  TL_CLASS(TMainForm, TForm)
 public:
  // Reads the window's description (which binds the handlers below) and runs FormCreate.
  explicit TMainForm(TComponent* AOwner);

  // From the description.
  TImageList* colors = nullptr;
  // Panels: cells left, clock, game number.
  TStatusBar* sbStatus = nullptr;

  Integer CellWidth = CellPixels;
  Integer CellHeight = CellPixels;
  bool SettingsPending = false;
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

  // Handlers bound by the description.
  void FormCreate(TObject* Sender);
  void FormPaint(TObject* Sender);
  void FormMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);

 protected:
  void Loaded() override;

 private:
  void ReadSettings();
  // The cell image for (Colour, Mask) from Colour's sheet, already taken out of `colors`.
  void BuildCellBitmap(Integer Colour, Integer Mask, TBitmap* Sheet);
  // Raises EInvalidOperation unless `colors` holds the eight sheets of 200 x 100 and the
  // status bar has its three panels.
  void CheckTileSheets();
  void SetPanelText(Integer Index, const String& Text);

  TBoard FBoard;
  // [colour 0..8][neighbour mask]; [0][0] is the empty cell.
  Owned<TBitmap> CellImages[MaxColors + 1][16];
};
