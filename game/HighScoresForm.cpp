#include "game/HighScoresForm.h"

#include "classlib/core/ScopeGuards.h"
#include "game/StoredFiles.h"

THighScoresForm* HighScoresForm = nullptr;

namespace {

template <class T>
T* Part(TComponent* Owner, const char* Name) {
  return dynamic_cast<T*>(Owner->FindComponent(Name));
}

}  // namespace

THighScoresForm::THighScoresForm(TComponent* AOwner) : TForm(AOwner) {}

void THighScoresForm::BeforeDestruction() {
  if (HighScoresForm == this) HighScoresForm = nullptr;
  inherited::BeforeDestruction();
}

void THighScoresForm::Loaded() {
  inherited::Loaded();
  cxGroupBox1 = Part<TcxGroupBox>(this, "cxGroupBox1");
  lSize = Part<TcxLabel>(this, "lSize");
  cbSize = Part<TcxComboBox>(this, "cbSize");
  sgRes = Part<TStringGrid>(this, "sgRes");
  pmHigh = Part<TPopupMenu>(this, "pmHigh");
  miReplay = Part<TMenuItem>(this, "miReplay");
  miShow = Part<TMenuItem>(this, "miShow");
  bOK = Part<TcxButton>(this, "bOK");
  if (!cbSize || !sgRes || !pmHigh || !miReplay || !miShow || !bOK)
    throw EInvalidOperation("The high-scores window's description lacks one of its controls");
}

TIniFile& THighScoresForm::Scores() {
  const String name = HighScoresFileName();
  if (!FScores || FScores->FileName() != name) FScores.reset(New<TIniFile>(name));
  return *FScores;
}

std::vector<String> THighScoresForm::SizeItems() const {
  std::vector<String> out;
  TStrings* items = cbSize->GetComboProperties()->GetItems();
  for (Integer i = 0; i < items->Count(); ++i) out.push_back(items->Strings(i));
  return out;
}

Integer THighScoresForm::SizeIndex() const { return cbSize->GetItemIndex(); }

bool THighScoresForm::FillSizeCombo(Integer Size, Integer Colors) {
  std::vector<String> sections;
  Scores().ReadSections(sections);
  // No item is selected while the list is rebuilt: an index kept across the rebuild would
  // keep the text of the item it named before, whatever the new item at that index is.
  cbSize->SetItemIndex(-1);
  TStrings* items = cbSize->GetComboProperties()->GetItems();
  Integer match = -1;
  {
    auto update = UpdateBracket(items);
    items->Clear();
    for (const String& section : sections) {
      Integer s = 0, c = 0;
      if (!ReadScoreSection(section, s, c)) continue;
      if (match < 0 && s == Size && c == Colors) match = items->Count();
      items->Add(SizeItemText(s, c));
    }
  }
  if (items->Count() == 0) {
    FillGrid(0, 0);
    return false;
  }
  SelectSize(match >= 0 ? match : 0);
  return true;
}

void THighScoresForm::SelectSize(Integer Index) {
  if (Index < 0 || Index >= cbSize->GetComboProperties()->GetItems()->Count()) return;
  const unsigned fills = FFills;
  cbSize->SetItemIndex(Index);
  if (FFills == fills) cbSizePropertiesChange(cbSize);
}

void THighScoresForm::cbSizePropertiesChange(TObject*) {
  Integer s = 0, c = 0;
  if (!ReadSizeItem(cbSize->GetText(), s, c)) return;
  SelectedSize = s;
  SelectedColors = c;
  FillGrid(s, c);
}

void THighScoresForm::FillGrid(Integer Size, Integer Colors) {
  ++FFills;
  std::vector<String> entries;
  if (Size > 0) Scores().ReadSectionValues(ScoreSection(Size, Colors), entries);
  sgRes->SetColCount(3);
  sgRes->SetRowCount(Integer(entries.size()) + 1);
  sgRes->SetFixedRows(1);
  sgRes->SetCells(0, 0, "Game#");
  sgRes->SetCells(1, 0, "Name");
  sgRes->SetCells(2, 0, "Result");
  for (size_t i = 0; i < entries.size(); ++i) {
    // "Key=Value": a key never holds "=", so the first one ends it.
    const String& entry = entries[i];
    const size_t eq = entry.find('=');
    const String value = entry.substr(eq + 1);
    const Integer row = Integer(i) + 1;
    sgRes->SetCells(0, row, entry.substr(0, eq));
    // Without a comma both the result and the name are empty.
    const size_t comma = value.find(',');
    sgRes->SetCells(2, row, comma == String::npos ? String() : value.substr(0, comma));
    sgRes->SetCells(1, row, comma == String::npos ? String() : ParseStoredResult(value).Name);
  }
  sgRes->SetTopRow(1);
  sgRes->SetRow(1);
}

Integer THighScoresForm::PopupRow() const {
  const Integer row = sgRes->ContextRow();
  return row >= sgRes->GetFixedRows() && row < sgRes->GetRowCount() ? row : -1;
}

void THighScoresForm::pmHighPopup(TObject*) {
  const bool game = PopupRow() >= 0;
  miReplay->SetEnabled(game);
  miShow->SetEnabled(game);
}

void THighScoresForm::Choose(TModalResult Result) {
  const Integer row = PopupRow();
  if (row < 0) return;
  SelectedGameNumber = GameNumberOfKey(sgRes->Cells(0, row));
  SetModalResult(Result);
}

void THighScoresForm::miReplayClick(TObject*) { Choose(mrReplayGame); }
void THighScoresForm::miShowClick(TObject*) { Choose(mrShowGame); }

TL_DEFINE_CLASS(THighScoresForm, [](auto& c) {
  c.Method("cbSizePropertiesChange", &THighScoresForm::cbSizePropertiesChange);
  c.Method("pmHighPopup", &THighScoresForm::pmHighPopup);
  c.Method("miReplayClick", &THighScoresForm::miReplayClick);
  c.Method("miShowClick", &THighScoresForm::miShowClick);
})
