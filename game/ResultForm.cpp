#include "game/ResultForm.h"

#include <algorithm>

TResultForm* ResultForm = nullptr;

namespace {

String Plural(Integer Count) { return Count == 1 ? String() : String("s"); }

template <class T>
T* Part(TComponent* Owner, const char* Name) {
  return dynamic_cast<T*>(Owner->FindComponent(Name));
}

}  // namespace

TResultForm::TResultForm(TComponent* AOwner) : TForm(AOwner) {}

void TResultForm::BeforeDestruction() {
  if (ResultForm == this) ResultForm = nullptr;
  inherited::BeforeDestruction();
}

void TResultForm::Loaded() {
  inherited::Loaded();
  eName = Part<TcxTextEdit>(this, "eName");
  Result = Part<TcxGroupBox>(this, "Result");
  lGameNum = Part<TcxLabel>(this, "lGameNum");
  lResult = Part<TcxLabel>(this, "lResult");
  lBestResult = Part<TcxLabel>(this, "lBestResult");
  bHow = Part<TcxButton>(this, "bHow");
  bOK = Part<TcxButton>(this, "bOK");
  bRepeat = Part<TcxButton>(this, "bRepeat");
  if (!eName || !Result || !lGameNum || !lResult || !lBestResult || !bHow || !bOK || !bRepeat)
    throw EInvalidOperation("The result window's description lacks one of its controls");
  FDesignClientWidth = GetClientWidth();
  FDesignGroupWidth = Result->GetWidth();
  FDesignNameWidth = eName->GetWidth();
  FDesignOKLeft = bOK->GetLeft();
  FDesignRepeatLeft = bRepeat->GetLeft();
}

void TResultForm::FitTexts() {
  // The lines keep as much room on the group's right as its first column ("Game #:") has
  // on its left.
  const Integer margin = 10;
  Integer need = 0;
  for (TcxLabel* line : {lGameNum, lResult, lBestResult}) need = std::max(need, line->GetLeft() + line->GetWidth() + margin);
  // Never wider than the work area, so that the buttons stay on screen; a line longer
  // than that (a name stored by hand, say) is cut at the group's edge.
  const Integer frame = GetWidth() - GetClientWidth();
  const Integer room = std::max<Integer>(0, Screen->WorkAreaWidth() - frame - FDesignClientWidth);
  const Integer grow = std::clamp<Integer>(need - FDesignGroupWidth, 0, room);
  Result->SetWidth(FDesignGroupWidth + grow);
  eName->SetWidth(FDesignNameWidth + grow);
  bOK->SetLeft(FDesignOKLeft + grow);
  bRepeat->SetLeft(FDesignRepeatLeft + grow);
  SetClientWidth(FDesignClientWidth + grow);
}

String TResultForm::ResultText(Integer CellsLeft, Integer Seconds) {
  return std::to_string(CellsLeft) + " cell" + Plural(CellsLeft) + " in " + std::to_string(Seconds) + " seconds.";
}

String TResultForm::BestText(const String& Name, Integer CellsLeft) {
  return Name + ", " + std::to_string(CellsLeft) + " cell" + Plural(CellsLeft) + ".";
}

TGameOutcome TResultForm::Compare(Integer CellsLeft, const TStoredResult& Best) {
  if (!Best.Readable || Best.CellsLeft > CellsLeft) return TGameOutcome::NewBest;
  return Best.CellsLeft == CellsLeft ? TGameOutcome::Tie : TGameOutcome::Worse;
}

TGameOutcome TResultForm::Prepare(Integer Size, Integer Colors, Integer GameNumber, Integer CellsLeft,
                                  Integer Seconds, const String& PlayerName, const TStoredResult& Best) {
  lGameNum->SetCaption(std::to_string(Size) + "*" + std::to_string(Colors) + ", " + std::to_string(GameNumber));
  lResult->SetCaption(ResultText(CellsLeft, Seconds));
  eName->SetValueText(PlayerName);
  const TGameOutcome outcome = Compare(CellsLeft, Best);
  bRepeat->SetVisible(CellsLeft > 0);
  bHow->SetVisible(outcome == TGameOutcome::Worse);
  switch (outcome) {
    case TGameOutcome::NewBest: lBestResult->SetCaption("Congratulation! You've got the best result!"); break;
    case TGameOutcome::Tie: lBestResult->SetCaption("You repeated the best result!"); break;
    case TGameOutcome::Worse: lBestResult->SetCaption(BestText(Best.Name, Best.CellsLeft)); break;
  }
  FitTexts();
  return outcome;
}

TL_DEFINE_CLASS(TResultForm)
