#include "game/MainForm.h"

#include "classlib/core/IniFiles.h"
#include "classlib/core/ScopeGuards.h"
#include "classlib/core/SysUtils.h"
#include "game/ChoiceForms.h"
#include "game/HighScoresForm.h"
#include "game/InfoForms.h"
#include "game/Replay.h"
#include "game/ResultForm.h"
#include "game/StoredFiles.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/Random.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr Integer SheetColumns = 8;
constexpr Integer SheetRows = 4;

// Division that rounds towards minus infinity, so that a point a little left of or above
// the board lands in column or row -1 rather than 0.
Integer FloorDiv(Integer a, Integer b) {
  Integer q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

}  // namespace

TMainForm::TMainForm(TComponent* AOwner) : TForm(AOwner) {}

void TMainForm::Loaded() {
  inherited::Loaded();
  colors = dynamic_cast<TImageList*>(FindComponent("colors"));
  sbStatus = dynamic_cast<TStatusBar*>(FindComponent("sbStatus"));
  mmMain = dynamic_cast<TMainMenu*>(FindComponent("mmMain"));
  miPause = dynamic_cast<TMenuItem*>(FindComponent("miPause"));
  tTimer = dynamic_cast<TTimer*>(FindComponent("tTimer"));
  lPause = dynamic_cast<TcxLabel*>(FindComponent("lPause"));
}

void TMainForm::BeforeDestruction() {
  // A replay waiting in the message pump must not come back to a window that is gone.
  *FAlive = false;
  ++FGeneration;
  inherited::BeforeDestruction();
}

void TMainForm::DoClose(TCloseAction& Action) {
  inherited::DoClose(Action);
  if (Action != TCloseAction::caNone) ++FGeneration;   // closing ends a running replay
}

String TMainForm::ConfigFileName() { return ::ConfigFileName(); }

void TMainForm::SaveSizeSettings(Integer Size, Integer Colors) {
  Owned<TIniFile> ini(New<TIniFile>(ConfigFileName()));
  StoreInteger(*ini, "Settings", "Size", Size);
  StoreInteger(*ini, "Settings", "Colors", Colors);
}

void TMainForm::ReadSettings() {
  Owned<TIniFile> ini(New<TIniFile>(ConfigFileName()));
  // The board's bounds bring any stored value to the nearest allowed one.
  FBoard.Size = ini->ReadInteger("Settings", "Size", DefaultBoardSize);
  FBoard.Colors = ini->ReadInteger("Settings", "Colors", DefaultColors);
  PlayerName = ini->ReadString("Settings", "Name", "Player");
}

void TMainForm::FormCreate(TObject*) {
  ReadSettings();
  CellWidth = CellHeight = CellPixels;
  SettingsPending = false;
  ResizeBoard();
  FBoard.GameNumber = 2611;
  StartGame(true);
}

void TMainForm::SetPanelText(Integer Index, const String& Text) {
  sbStatus->GetPanels()->Items(Index)->SetText(Text);
}

String TMainForm::ClockText(Integer Seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%d:%02d", Seconds / 60, Seconds % 60);
  return text;
}

String TMainForm::CellsLeftText(Integer Cells) { return std::to_string(Cells) + " left"; }

void TMainForm::StartGame(bool Record) {
  // A replay still running belongs to the game this one replaces: it ends here.
  ++FGeneration;
  FBoard.StartGame(Record);
  if (miPause) miPause->SetChecked(false);
  ShowPauseBanner(false);
  // The panels show the new game at once, not the last game's count and time (or the
  // window's design texts) until the first paint and the clock's first tick.
  SetPanelText(0, CellsLeftText(FBoard.CellsLeft()));
  SetPanelText(1, ClockText(FBoard.ElapsedSeconds));
  SetPanelText(2, "Game#: " + std::to_string(FBoard.GameNumber));
  Invalidate();
}

void TMainForm::tTimerTimer(TObject*) {
  if (FBoard.Tick(GetTickCount())) SetPanelText(1, ClockText(FBoard.ElapsedSeconds));
}

// ---- Pause ----------------------------------------------------------------------------

void TMainForm::ShowPauseBanner(bool Show) {
  if (!lPause) return;
  if (!Show) {
    lPause->Hide();
    return;
  }
  // Half a cell in points; the label takes its new height before it is placed.
  lPause->GetStyle()->GetFont()->SetSize(CellWidth / 2);
  lPause->SetLeft((GetClientWidth() - lPause->GetWidth()) / 2);
  lPause->SetTop((GetClientHeight() - lPause->GetHeight()) / 3);
  lPause->Show();
}

void TMainForm::Pause() {
  if (!FBoard.Pause(GetTickCount())) return;
  // A pause ends a running replay, even one resumed before the replay's next move: the
  // replay sees only whether the game is paused once its wait is over.
  ++FGeneration;
  if (miPause) miPause->SetChecked(true);
  SetPanelText(1, "Pause...");
  ShowPauseBanner(true);
  Invalidate();
}

void TMainForm::Resume() {
  if (!FBoard.Resume(GetTickCount())) return;
  if (miPause) miPause->SetChecked(false);
  ShowPauseBanner(false);
  // The clock panel shows the time again at once, not "Pause..." until the next tick.
  FBoard.Tick(GetTickCount());
  SetPanelText(1, ClockText(FBoard.ElapsedSeconds));
  Invalidate();
}

void TMainForm::TogglePause() {
  if (FBoard.Paused)
    Resume();
  else
    Pause();
}

// ---- Commands -------------------------------------------------------------------------

void TMainForm::ApplyPendingSettings() {
  if (!SettingsPending) return;
  FBoard.Size = PendingSize;
  FBoard.Colors = PendingColors;
  ResizeBoard();
  SettingsPending = false;
}

void TMainForm::ChooseSettings(Integer NewSize, Integer NewColors) {
  // Out-of-range values from the dialog never reach the board nor the file.
  PendingSize = std::clamp(NewSize, MinBoardSize, MaxBoardSize);
  PendingColors = std::clamp(NewColors, MinColors, MaxColors);
  SettingsPending = true;
  SaveSizeSettings(PendingSize, PendingColors);
}

void TMainForm::StartNumberedGame(Integer Number) {
  Resume();
  ApplyPendingSettings();
  FBoard.GameNumber = std::clamp<Integer>(Number, 0, 9999);
  StartGame(true);
}

void TMainForm::miNewClick(TObject*) {
  Resume();
  ApplyPendingSettings();
  tl_srand(Cardinal(tl_time(nullptr)));
  FBoard.GameNumber = tl_lrand() % 10000;
  StartGame(true);
}

bool TMainForm::AskGameNumber(Integer& Number) {
  if (!NumberForm) return false;
  NumberForm->eNumber->SetValue(Variant(Number));
  if (NumberForm->ShowModal() != mrOk) return false;
  Number = SpinInteger(NumberForm->eNumber, 0, 9999);
  return true;
}

void TMainForm::miNewNumberClick(TObject*) {
  Integer number = FBoard.GameNumber;
  if (AskGameNumber(number)) StartNumberedGame(number);
}

void TMainForm::miRepeatLastClick(TObject*) {
  Resume();
  StartGame(true);
}

void TMainForm::miPauseClick(TObject*) { TogglePause(); }

bool TMainForm::AskSettings(Integer& NewSize, Integer& NewColors) {
  if (!FormSettings) return false;
  FormSettings->seSize->SetValue(Variant(NewSize));
  FormSettings->seColors->SetValue(Variant(NewColors));
  if (FormSettings->ShowModal() != mrOk) return false;
  NewSize = SpinInteger(FormSettings->seSize, MinBoardSize, MaxBoardSize);
  NewColors = SpinInteger(FormSettings->seColors, MinColors, MaxColors);
  return true;
}

void TMainForm::miSettingsClick(TObject*) {
  Pause();
  Integer size = FBoard.Size, colours = FBoard.Colors;
  if (AskSettings(size, colours)) ChooseSettings(size, colours);
}

void TMainForm::ShowAbout() {
  if (FormAbout) FormAbout->ShowModal();
}

void TMainForm::ShowHowToPlay() {
  if (HowToForm) HowToForm->ShowModal();
}

void TMainForm::ShowHighScores() {
  if (!HighScoresForm) return;
  if (!HighScoresForm->FillSizeCombo(FBoard.Size, FBoard.Colors)) {
    Application->MessageBox("There are no results to show.", "Error", MB_OK | MB_ICONINFORMATION);
    return;
  }
  const TModalResult chosen = HighScoresForm->ShowModal();
  const Integer size = HighScoresForm->SelectedSize, colours = HighScoresForm->SelectedColors;
  const Integer number = HighScoresForm->SelectedGameNumber;
  if (chosen == mrReplayGame)
    ReplayStoredGame(size, colours, number);
  else if (chosen == mrShowGame)
    ShowStoredGame(size, colours, number);
}

void TMainForm::TakeOverShape(Integer Size, Integer Colors) {
  if (Size == FBoard.Size && Colors == FBoard.Colors) return;
  FBoard.Size = Size;
  FBoard.Colors = Colors;
  ResizeBoard();
  SaveSizeSettings(FBoard.Size, FBoard.Colors);
}

void TMainForm::ReplayStoredGame(Integer Size, Integer Colors, Integer GameNumber) {
  Resume();
  TakeOverShape(Size, Colors);
  FBoard.GameNumber = GameNumber;
  StartGame(true);
}

void TMainForm::ShowStoredGame(Integer Size, Integer Colors, Integer GameNumber) {
  // Choosing a game ends the pause whatever is stored for it. The value is read before
  // the shape changes: with none there is nothing to show, and the board stays as it is
  // rather than taking a shape it has no game for.
  Resume();
  Owned<TIniFile> scores(New<TIniFile>(HighScoresFileName()));
  const String value = scores->ReadString(ScoreSection(Size, Colors), std::to_string(GameNumber), "");
  if (value.empty()) return;
  const String moves = ParseStoredResult(value).Moves;
  TakeOverShape(Size, Colors);
  FBoard.GameNumber = GameNumber;
  StartGame(false);
  PlayReplay(moves);
}

void TMainForm::GameFinished(Integer GameNumber, Integer CellsLeft, Integer Seconds) {
  if (!ResultForm) return;
  // What is stored belongs to the game that ended, whatever runs while the window shows.
  const Integer size = FBoard.Size, colours = FBoard.Colors;
  const String moves = FBoard.Moves;
  const String section = ScoreSection(size, colours), key = std::to_string(GameNumber);
  Owned<TIniFile> scores(New<TIniFile>(HighScoresFileName()));
  const TStoredResult best = ParseStoredResult(scores->ReadString(section, key, ""));
  const TGameOutcome outcome = ResultForm->Prepare(size, colours, GameNumber, CellsLeft, Seconds, PlayerName, best);
  const TModalResult chosen = ResultForm->ShowModal();
  // The file may have gained a result for this game while the window showed (another
  // running game stored one): it gives way only to a strictly better result, as ever.
  if (outcome == TGameOutcome::NewBest &&
      TResultForm::Compare(CellsLeft, ParseStoredResult(scores->ReadString(section, key, ""))) == TGameOutcome::NewBest) {
    PlayerName = CleanPlayerName(ResultForm->eName->GetText());
    StoreValue(*scores, section, key, StoredResultText(CellsLeft, PlayerName, moves));
    Owned<TIniFile> config(New<TIniFile>(ConfigFileName()));
    StoreValue(*config, "Settings", "Name", PlayerName);
  }
  if (chosen == mrTryAgain) {
    StartGame(true);
  } else if (chosen == mrShowMeHow) {
    StartGame(false);
    PlayReplay(best.Moves);
  }
}

void TMainForm::miAnoutClick(TObject*) {
  Pause();
  ShowAbout();
}

void TMainForm::miHowToPlayClick(TObject*) {
  Pause();
  ShowHowToPlay();
}

void TMainForm::miHighScoresClick(TObject*) {
  Pause();
  ShowHighScores();
}

void TMainForm::miExitClick(TObject*) { Close(); }

void TMainForm::miLastReplayClick(TObject*) {
  if (FBoard.Moves.empty()) {
    Application->MessageBox("Nothing to re-play.", "Error", MB_OK | MB_ICONINFORMATION);
    return;
  }
  const String moves = FBoard.Moves;
  Resume();
  StartGame(false);
  PlayReplay(moves);
}

void TMainForm::PlayReplay(const String& MoveText) {
  const unsigned generation = ++FGeneration;
  const std::shared_ptr<bool> alive = FAlive;
  TReplayReader reader(MoveText);
  while (reader.HasItem()) {
    // The position the wait follows is on the screen all through it: the board the replay
    // starts from, and the panels the last move changed, are painted before the wait
    // rather than after it, just before the next move draws over them.
    RedrawWindow(GetHandle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(500);
    Application->ProcessMessages();
    // What ran meanwhile may have ended the replay; checked before every item, whether
    // it reads or not, and before anything of the window is touched.
    if (!*alive || generation != FGeneration || Application->Terminated() || FBoard.GameOver || FBoard.Paused)
      return;
    Integer x = 0, y = 0;
    if (reader.Take(x, y)) PlayMove(x, y);
  }
}

bool TMainForm::PlayMove(Integer Column, Integer Row) {
  if (!FBoard.PlayMove(Column, Row)) return false;
  DrawBoard(true);
  return true;
}

void TMainForm::CheckTileSheets() {
  if (!colors || colors->GetWidth() != SheetColumns * CellPixels || colors->GetHeight() != SheetRows * CellPixels ||
      colors->Count() < MaxColors || !sbStatus || sbStatus->GetPanels()->Count() < 3)
    throw EInvalidOperation("The main window's image list must hold " + std::to_string(MaxColors) +
                            " tile sheets of " + std::to_string(SheetColumns * CellPixels) + " x " +
                            std::to_string(SheetRows * CellPixels) + " pixels and a status bar of three panels");
}

void TMainForm::ResizeBoard() {
  CheckTileSheets();
  SetClientWidth(FBoard.Size * CellWidth);
  SetClientHeight(FBoard.Size * CellHeight + sbStatus->GetHeight());
  // The first panel takes what the other two leave, never less than nothing.
  sbStatus->GetPanels()->Items(0)->SetWidth(std::max<Integer>(0, GetClientWidth() - 140));
  sbStatus->GetPanels()->Items(1)->SetWidth(60);
  sbStatus->GetPanels()->Items(2)->SetWidth(80);
  BuildCellBitmaps();
}

void TMainForm::BuildEmptyCellBitmap(Integer Index) {
  if (Index < 0 || Index > MaxColors) throw ERangeError("Cell image index out of range");
  Owned<TBitmap>& slot = CellImages[Index][0];
  slot.reset(New<TBitmap>());
  slot->SetSize(CellWidth, CellHeight);
  TCanvas* c = slot->Canvas();
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(clWhite);
  c->FillRect(TRect{0, 0, CellWidth, CellHeight});
  const Integer h = CellWidth / 2;
  for (Integer i = 0; i < CellHeight - 1; i += 2) c->SetPixel(h, i, clGray);
  for (Integer i = 0; i < CellWidth - 1; i += 2) c->SetPixel(i, h, clGray);
}

void TMainForm::BuildCellBitmap(Integer Colour, Integer Mask) {
  if (Colour < 1 || Colour > MaxColors || Mask < 0 || Mask > 15)
    throw ERangeError("Cell image index out of range");
  CheckTileSheets();
  Owned<TBitmap> sheet(New<TBitmap>());
  colors->GetBitmap(Colour - 1, sheet.get());
  BuildCellBitmap(Colour, Mask, sheet.get());
}

void TMainForm::BuildCellBitmap(Integer Colour, Integer Mask, TBitmap* Sheet) {
  Owned<TBitmap>& slot = CellImages[Colour][Mask];
  slot.reset(New<TBitmap>());
  slot->SetSize(CellWidth, CellHeight);
  const TTilePos t = TileForMask(Mask);
  // The source leaves out the tile's last column and row; the copy stretches it to a cell.
  const TRect source{t.Column * CellWidth, t.Row * CellHeight, t.Column * CellWidth + CellWidth - 1,
                     t.Row * CellHeight + CellHeight - 1};
  slot->Canvas()->CopyRect(TRect{0, 0, CellWidth, CellHeight}, Sheet->Canvas(), source);
}

void TMainForm::BuildCellBitmaps() {
  CheckTileSheets();
  BuildEmptyCellBitmap(0);
  // Each sheet is taken out of the list once, and only for the colours in play.
  Owned<TBitmap> sheet(New<TBitmap>());
  for (Integer c = 1; c <= FBoard.Colors; ++c) {
    colors->GetBitmap(c - 1, sheet.get());
    for (Integer m = 0; m < 16; ++m) BuildCellBitmap(c, m, sheet.get());
  }
  // The cells are all that is drawn: the sheets go back to the compressed picture.
  colors->ReleaseDecodedImages();
}

TBitmap* TMainForm::CellImage(Integer Colour, Integer Mask) const {
  if (Colour < 0 || Colour > MaxColors || Mask < 0 || Mask > 15) return nullptr;
  return CellImages[Colour][Mask].get();
}

void TMainForm::DrawBoard(bool OnlyDirty) {
  TCanvas* canvas = Canvas();
  TBoard::TPassResult pass;
  {
    auto locked = PairedCall([canvas] { canvas->Lock(); }, [canvas] { canvas->Unlock(); });
    // Each cell image is a plain colour bitmap whose own canvas is never moved or clipped, so
    // its pixels go straight across: one copy per cell, with no state saved and restored.
    HDC dest = canvas->GetHandle();
    const DWORD rop = DWORD(canvas->GetCopyMode());
    pass = FBoard.DrawPass(OnlyDirty, [&](Integer x, Integer y, TCellLook look) {
      if (TBitmap* image = CellImage(look.Colour, look.Mask); image && !image->Empty())
        BitBlt(dest, x * CellWidth, y * CellHeight, image->GetWidth(), image->GetHeight(), image->Canvas()->GetHandle(),
               0, 0, rop);
    });
  }
  SetPanelText(0, CellsLeftText(pass.Left));
  if (pass.Finished && FBoard.Recording) GameFinished(FBoard.GameNumber, pass.Left, FBoard.ElapsedSeconds);
}

void TMainForm::FormPaint(TObject*) { DrawBoard(false); }

bool TMainForm::CellAt(Integer X, Integer Y, Integer& Column, Integer& Row) const {
  Column = FloorDiv(X, CellWidth);
  Row = FloorDiv(Y, CellHeight);
  return Column >= 0 && Row >= 0 && Column < FBoard.Size && Row < FBoard.Size;
}

void TMainForm::FormMouseDown(TObject*, TMouseButton, TShiftState, Integer X, Integer Y) {
  Integer column = 0, row = 0;
  if (CellAt(X, Y, column, row)) PlayMove(column, row);
}

TL_DEFINE_CLASS(TMainForm, [](auto& c) {
  c.Method("FormCreate", &TMainForm::FormCreate);
  c.Method("FormPaint", &TMainForm::FormPaint);
  c.Method("FormMouseDown", &TMainForm::FormMouseDown);
  c.Method("tTimerTimer", &TMainForm::tTimerTimer);
  c.Method("miNewClick", &TMainForm::miNewClick);
  c.Method("miNewNumberClick", &TMainForm::miNewNumberClick);
  c.Method("miRepeatLastClick", &TMainForm::miRepeatLastClick);
  c.Method("miPauseClick", &TMainForm::miPauseClick);
  c.Method("miLastReplayClick", &TMainForm::miLastReplayClick);
  c.Method("miHighScoresClick", &TMainForm::miHighScoresClick);
  c.Method("miSettingsClick", &TMainForm::miSettingsClick);
  c.Method("miExitClick", &TMainForm::miExitClick);
  c.Method("miHowToPlayClick", &TMainForm::miHowToPlayClick);
  c.Method("miAnoutClick", &TMainForm::miAnoutClick);
})
