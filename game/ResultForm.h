// The result window of unit `main`: shown when a recorded game ends, it tells the game, the
// result and how it compares with the best result stored for the same game, and takes
// the player's name. The main window stores what it answers and acts on its button.
#pragma once

#include "classlib/visual/Forms.h"
#include "game/StoredFiles.h"
#include "widgets/editcore/cxTextEditControl.h"
#include "widgets/editors/cxButtons.h"
#include "widgets/editors/cxGroupBox.h"
#include "widgets/editors/cxLabel.h"

// How a finished game compares with the stored best: only a strictly better result
// replaces it, a tie keeps the older entry.
enum class TGameOutcome { NewBest, Tie, Worse };

// Modal results of the result window's buttons beyond OK ("Close").
inline constexpr TModalResult mrTryAgain = 4;
inline constexpr TModalResult mrShowMeHow = 6;

class TResultForm : public TForm {
  TL_CLASS(TResultForm, TForm)
 public:
  explicit TResultForm(TComponent* AOwner);
  void BeforeDestruction() override;

  // From the description.
  TcxTextEdit* eName = nullptr;
  TcxGroupBox* Result = nullptr;
  TcxLabel* lGameNum = nullptr;
  TcxLabel* lResult = nullptr;
  TcxLabel* lBestResult = nullptr;
  TcxButton* bHow = nullptr;
  TcxButton* bOK = nullptr;
  TcxButton* bRepeat = nullptr;

  // "%d cell%s in %d seconds." and "%s, %d cell%s.": "s" unless the count is 1.
  static String ResultText(Integer CellsLeft, Integer Seconds);
  static String BestText(const String& Name, Integer CellsLeft);
  static TGameOutcome Compare(Integer CellsLeft, const TStoredResult& Best);

  // Fills the window for a finished game of the board's shape and number against the
  // stored best, and answers the outcome. "Try again" shows only when cells are left,
  // "Show me how" only when the stored best is better.
  TGameOutcome Prepare(Integer Size, Integer Colors, Integer GameNumber, Integer CellsLeft, Integer Seconds,
                       const String& PlayerName, const TStoredResult& Best);

 protected:
  void Loaded() override;

 private:
  // Widens the result group, the name field and the window by what the widest result line
  // needs beyond the designed width, the buttons keeping to the right edge; back to the
  // designed width when every line fits it.
  void FitTexts();
  Integer FDesignClientWidth = 0, FDesignGroupWidth = 0, FDesignNameWidth = 0, FDesignOKLeft = 0,
          FDesignRepeatLeft = 0;
};

// The result window the program made at start-up; nullptr while there is none.
extern TResultForm* ResultForm;
