#include "widgets/editcore/cxMaskEditModes.h"

#include "classlib/core/Streams.h"
#include "classlib/core/SysUtils.h"
#include "platform/user/User.h"
#include "widgets/editcore/cxMaskEdit.h"

#include <algorithm>

// ---- the common part ----

TcxMaskEditCustomMode::TcxMaskEditCustomMode(TcxCustomMaskEdit* AEdit, TcxCustomMaskEditProperties* AProperties)
    : FProperties(AProperties), FEdit(AEdit) {}

TcxCustomMaskEditProperties* TcxMaskEditCustomMode::GetProperties() const {
  return FEdit ? FEdit->ActiveProperties() : FProperties;
}

// The mode writes the text itself, so the forced character case is applied here.
void TcxMaskEditCustomMode::ApplyCharCase(Char& Key) const {
  if (CharCase == TEditCharCase::ecUpperCase) Key = AnsiUpperCase(String(1, Key))[0];
  else if (CharCase == TEditCharCase::ecLowerCase) Key = AnsiLowerCase(String(1, Key))[0];
}

void TcxMaskEditCustomMode::Beep() {
  if (GetProperties()->GetBeepOnError()) MessageBeep(0);
}

bool TcxMaskEditCustomMode::HasWindow() const { return FEdit && FEdit->InnerTextEdit() && FEdit->HandleAllocated(); }

String TcxMaskEditCustomMode::Text() const { return FEdit && FEdit->InnerTextEdit() ? FEdit->InnerTextEdit()->GetText() : String(); }

// Clamped to the text, so that no operation works on positions outside it.
Integer TcxMaskEditCustomMode::SelStart() const {
  if (!FEdit) return 0;
  return std::clamp(FEdit->GetSelStart(), 0, Integer(Text().size()));
}

Integer TcxMaskEditCustomMode::SelLength() const {
  if (!FEdit) return 0;
  return std::clamp(FEdit->GetSelLength(), 0, Integer(Text().size()) - SelStart());
}

void TcxMaskEditCustomMode::SetSel(Integer AStart, Integer ALength) const {
  if (FEdit) FEdit->TcxCustomTextEdit::SetSelStartAndLength(AStart, ALength);
}

void TcxMaskEditCustomMode::WriteText(const String& AText, Integer ACaret, Integer ASelLength) const {
  if (FEdit) FEdit->ModeWriteText(AText, ACaret, ASelLength);
}

bool TcxMaskEditCustomMode::ShiftPressed() const { return FEdit && FEdit->GetShiftPressed(); }

void TcxMaskEditCustomMode::UpdateEditValue() {
  // A mask that does not compile leaves the text as it is rather than format it away.
  if (!FEdit || FEdit->IsInnerEditNotReady() || !IsCompiled()) return;
  Variant display;
  if (!FEdit->GetDisplayValueModified()) GetProperties()->PrepareDisplayValue(FEdit->GetEditValue(), display, FEdit->IsFocused());
  else display = Variant(GetFormattedText(Text()));
  FEdit->SetInternalDisplayValue(display);
}

// ---- picture masks ----

TcxMaskEditStandardMode::TcxMaskEditStandardMode(TcxCustomMaskEdit* AEdit, TcxCustomMaskEditProperties* AProperties)
    : TcxMaskEditCustomMode(AEdit, AProperties), FStandardMask(std::make_unique<TcxStandardMask>()) {}

void TcxMaskEditStandardMode::Compile(const String& AMask) {
  FMask = AMask;
  if (cxRegExprIsBlank(AMask)) {
    FStandardMask->Clear();
    return;
  }
  FStandardMask->SetMask(AMask);
  FEmptyTextPending = FEdit && !FEdit->HoldsValue();
}

String TcxMaskEditStandardMode::GetEmptyString() { return FStandardMask->GetEmptyValueText(); }

String TcxMaskEditStandardMode::GetFormattedText(const String& AText) {
  String s = AText;
  FStandardMask->FormatText(s, true);
  return s;
}

bool TcxMaskEditStandardMode::IsFullValidText(const String& AText) {
  if (FStandardMask->IsFullValidText(AText)) return true;
  return GetProperties()->GetIgnoreMaskBlank() && AText == GetFormattedText(String());
}

bool TcxMaskEditStandardMode::IsLiteral(Integer APos) const {
  return APos >= 0 && APos < FStandardMask->Count() &&
         dynamic_cast<TcxStandardMaskLiteralItem*>(FStandardMask->Items(APos)) != nullptr;
}

Integer TcxMaskEditStandardMode::NextInput(Integer APos, Integer ADirection) const {
  const Integer n = std::min(FStandardMask->Count(), Integer(Text().size()));
  for (Integer i = APos; i >= 0 && i < n; i += ADirection)
    if (!IsLiteral(i)) return i;
  return -1;
}

void TcxMaskEditStandardMode::SetOverwriteSelection() {
  if (!HasWindow() || FStandardMask->Count() == 0 || FEdit->GetSelLength() != 0) return;
  const Integer start = SelStart();
  if (start >= Integer(Text().size())) return;
  SetSel(start, 1);
  FOverwriteStart = start;
}

bool TcxMaskEditStandardMode::ShiftSelect() {
  if (SelLength() == 1 && SelStart() == FOverwriteStart) SetSel(SelStart(), 0);
  FOverwriteStart = -1;
  return true;
}

bool TcxMaskEditStandardMode::IsCursorBegin() {
  const Integer start = SelStart();
  for (Integer i = 0; i < start; ++i)
    if (!IsLiteral(i)) return false;
  return SelLength() <= 1 || FEdit->InnerTextEdit()->GetCaretCharIndex() == start;
}

bool TcxMaskEditStandardMode::IsCursorEnd() { return SelStart() == Integer(Text().size()); }

bool TcxMaskEditStandardMode::MoveLeft() {
  if (ShiftPressed()) return ShiftSelect();
  const Integer start = SelStart(), len = SelLength();
  Integer to;
  if (len <= 1) to = NextInput(start - 1, -1);
  else to = NextInput(start, 1) < start + len ? NextInput(start, 1) : -1;
  if (to >= 0) SetSel(to, 0);
  else SetSel(start, 0);
  SetOverwriteSelection();
  return false;
}

bool TcxMaskEditStandardMode::MoveRight() {
  if (ShiftPressed()) return ShiftSelect();
  const Integer start = SelStart(), len = SelLength();
  const Integer size = Integer(Text().size());
  Integer to = -1;
  if (len <= 1) {
    // Past the last input position the caret stands behind the text.
    to = start + 1 <= size ? NextInput(start + 1, 1) : -1;
    if (to < 0 && start + 1 <= size && start < size) to = size;
  } else {
    for (Integer i = start + len - 1; i >= start; --i)
      if (!IsLiteral(i)) { to = i; break; }
  }
  SetSel(to >= 0 ? to : start, 0);
  SetOverwriteSelection();
  return false;
}

bool TcxMaskEditStandardMode::GotoHome() {
  if (ShiftPressed()) {
    FOverwriteStart = -1;   // what the inner edit selects is the user's
    return true;
  }
  const Integer to = NextInput(0, 1);
  SetSel(to >= 0 ? to : 0, 0);
  SetOverwriteSelection();
  return false;
}

bool TcxMaskEditStandardMode::GotoEnd() {
  if (ShiftPressed()) {
    FOverwriteStart = -1;
    return true;
  }
  SetSel(Integer(Text().size()), 0);
  return false;
}

bool TcxMaskEditStandardMode::PressSymbol(Char& Key) {
  const String text = Text();
  Integer start = SelStart();
  if (start >= Integer(text.size()) || start >= FStandardMask->Count()) {
    Beep();
    return false;
  }
  // Writing the text runs the editor's handlers, which may free the editor and this mode.
  TWeakLink self(this);
  if (IsLiteral(start)) {
    if (SelLength() >= 2) DeleteSelection();
    if (!self.Alive()) return false;
    const Integer was = SelStart();
    MoveRight();
    if (SelStart() != was) return PressSymbol(Key);
    Beep();
    return false;
  }
  Char ch = Key;
  ApplyCharCase(ch);
  if (!FStandardMask->Items(start)->Check(ch)) {
    Beep();
    return false;
  }
  // A hook may refuse the key outright or clear it; a cleared key is refused with a beep and
  // never written.
  if (FEdit && (!FEdit->IsCharValidForPos(ch, start + 1) || ch == 0)) {
    if (ch == 0) Beep();
    return false;
  }
  if (SelLength() >= 2) DeleteSelection();
  if (!self.Alive()) return false;
  String next = Text();
  start = SelStart();
  next[size_t(start)] = ch;
  WriteText(next, start);
  if (!self.Alive()) return false;
  // The caret moves on over literals to the next input position.
  const Integer to = NextInput(start + 1, 1);
  SetSel(to >= 0 ? to : Integer(next.size()), 0);
  SetOverwriteSelection();
  return false;
}

Char TcxMaskEditStandardMode::GetBlankChar(Integer) const { return FStandardMask->GetBlankChar(); }

bool TcxMaskEditStandardMode::DeleteSelection() {
  String text = Text();
  const Integer start = SelStart(), end = start + SelLength();
  for (Integer i = start; i < end && i < FStandardMask->Count(); ++i)
    if (!IsLiteral(i))
      if (const Char blank = GetBlankChar(i)) text[size_t(i)] = blank;
  TWeakLink self(this);
  WriteText(text, start);
  if (self.Alive()) SetOverwriteSelection();
  return false;
}

bool TcxMaskEditStandardMode::Backspace() {
  if (SelLength() <= 1) {
    // As the Left key moves: with no input position before it, the caret stays and the
    // character it covers is the one blanked.
    const Integer to = NextInput(SelStart() - 1, -1);
    if (to >= 0) SetSel(to, 0);
    SetOverwriteSelection();
  }
  return DeleteSelection();
}

// The paste overwrites as many characters as it brings; the editor formats the result.
void TcxMaskEditStandardMode::BeforePaste(const String& AClipboardText) {
  FPasteStart = SelStart();
  FPasteLength = Integer(AClipboardText.size());
  SetSel(FPasteStart, Integer(std::min(AClipboardText.size(), Text().size() - size_t(FPasteStart))));
}

void TcxMaskEditStandardMode::AfterPaste() {
  const Integer size = Integer(Text().size());
  Integer to = std::min(FPasteStart + FPasteLength, size);
  if (IsLiteral(to)) {
    const Integer next = NextInput(to, 1);
    to = next >= 0 ? next : size;
  }
  SetSel(to, 0);
  SetOverwriteSelection();
}

void TcxMaskEditStandardMode::SetText(const String&) { SetOverwriteSelection(); }

void TcxMaskEditStandardMode::UpdateEditValue() {
  inherited::UpdateEditValue();
  SetOverwriteSelection();
}

void TcxMaskEditStandardMode::ApplyPendingEmptyText() {
  if (!FEmptyTextPending || !FEdit) return;
  FEmptyTextPending = false;
  FEdit->SetEditValue(Variant(GetEmptyString()));
}

String TcxMaskEditStandardMode::GetEditValueText(const String& ADisplayText) {
  if (FStandardMask->Count() == 0) return ADisplayText;
  return FStandardMask->GetValueText(GetFormattedText(ADisplayText));
}

// ---- regular expressions ----

TcxMaskEditRegExprMode::TcxMaskEditRegExprMode(TcxCustomMaskEdit* AEdit, TcxCustomMaskEditProperties* AProperties)
    : TcxMaskEditCustomMode(AEdit, AProperties), FRegExpr(std::make_unique<TcxRegExpr>()) {
  FRegExpr->SetCaseInsensitive(GetProperties()->GetCaseInsensitive());
}

namespace {
void CompileExpression(TcxRegExpr& AExpr, const String& AMask) {
  TStringStream stream(AMask);
  try {
    AExpr.Compile(&stream);
  } catch (const EcxRegExprError& E) {
    throw EcxMaskEditError(cxRegExprErrorsText(E.Errors()));
  }
}
}  // namespace

void TcxMaskEditRegExprMode::Compile(const String& AMask) {
  FMask = AMask;
  FHead.clear();
  FTail.clear();
  FNeedsSync = true;
  if (cxRegExprIsBlank(AMask)) return;
  CompileExpression(*FRegExpr, AMask);
}

bool TcxMaskEditRegExprMode::Step(Char& Ch) {
  return FRegExpr->GetAutomat()->Next(Ch, FRegExpr->GetCaseInsensitive());
}

void TcxMaskEditRegExprMode::StepBack(Integer ACount) {
  for (Integer i = 0; i < ACount; ++i) FRegExpr->GetAutomat()->Prev();
}

bool TcxMaskEditRegExprMode::TailFits(const String& ATail) {
  Integer fed = 0;
  bool fits = true;
  for (Char c : ATail) {
    Char copy = c;
    if (!Step(copy)) {
      fits = false;
      break;
    }
    ++fed;
  }
  StepBack(fed);
  return fits;
}

void TcxMaskEditRegExprMode::CutTailUnlessFits() {
  if (!TailFits(FTail)) FTail.clear();
}

void TcxMaskEditRegExprMode::Show() { WriteText(FHead + FTail, Integer(FHead.size())); }

bool TcxMaskEditRegExprMode::Sync() {
  const String text = Text();
  const Integer start = SelStart(), end = start + SelLength();
  const Integer head = Integer(FHead.size());
  if (!FNeedsSync && FHead.size() + FTail.size() == text.size() && (head == start || head == end) &&
      text.compare(0, FHead.size(), FHead) == 0 && text.compare(FHead.size(), String::npos, FTail) == 0)
    return true;
  FNeedsSync = false;
  // The caret is the end of the selection that the platform edit moves.
  Integer caret = start;
  if (end > start && FEdit && FEdit->InnerTextEdit() && FEdit->InnerTextEdit()->Focused() &&
      FEdit->InnerTextEdit()->GetCaretCharIndex() == end)
    caret = end;
  FRegExpr->GetAutomat()->Reset();
  Integer fed = 0;
  while (fed < caret) {
    Char c = text[size_t(fed)];
    if (!Step(c)) break;
    ++fed;
  }
  FHead = text.substr(0, size_t(fed));
  FTail = text.substr(size_t(fed));
  FPendingText.clear();
  if (fed == caret) return true;
  FNeedsSync = true;
  return false;
}

bool TcxMaskEditRegExprMode::LeaveToInnerEdit() {
  FNeedsSync = true;
  return true;
}

String TcxMaskEditRegExprMode::GetFormattedText(const String& AText) {
  if (!IsCompiled()) return {};
  FNeedsSync = true;
  FRegExpr->GetAutomat()->Reset();
  return FRegExpr->GetAcceptedText(AText);
}

bool TcxMaskEditRegExprMode::IsFullValidText(const String& AText) {
  if (AText.empty()) return true;
  if (!IsCompiled()) return false;
  FNeedsSync = true;
  FRegExpr->GetAutomat()->Reset();
  for (Char c : AText) {
    Char copy = c;
    if (!Step(copy)) return false;
  }
  return GetProperties()->GetIgnoreMaskBlank() || FRegExpr->GetAutomat()->IsFinal();
}

void TcxMaskEditRegExprMode::ClearSelection() {
  FPendingText.clear();
  const Integer len = SelLength();
  if (len == 0) return;
  if (SelStart() == Integer(FHead.size())) {
    FPendingText = FTail.substr(0, size_t(len));
    FTail.erase(0, size_t(len));
    FPendingFromTail = true;
  } else {
    StepBack(len);
    FPendingText = FHead.substr(FHead.size() - size_t(len));
    FHead.resize(FHead.size() - size_t(len));
    FPendingFromTail = false;
  }
}

void TcxMaskEditRegExprMode::RestoreSelectedText() {
  if (FPendingFromTail) {
    FTail.insert(0, FPendingText);
  } else {
    for (Char c : FPendingText) {
      Char copy = c;
      if (!Step(copy)) {
        FNeedsSync = true;
        break;
      }
    }
    FHead += FPendingText;
  }
  FPendingText.clear();
}

bool TcxMaskEditRegExprMode::PressSymbol(Char& Key) {
  if (!IsCompiled() || !Sync()) {
    // Nothing is typed behind text that the mask does not accept.
    Beep();
    return false;
  }
  ClearSelection();
  Char ch = Key;
  ApplyCharCase(ch);
  if (!Step(ch)) {
    RestoreSelectedText();
    Beep();
    return false;
  }
  FHead += ch;
  FPendingText.clear();
  AfterSymbol();
  CutTailUnlessFits();
  AfterEdit();
  Show();
  return false;
}

Integer TcxMaskEditRegExprMode::StepBackCount() {
  if (FHead.empty()) return 0;
  StepBack(1);
  return 1;
}

bool TcxMaskEditRegExprMode::Backspace() {
  if (!IsCompiled() || !Sync()) return LeaveToInnerEdit();
  if (SelLength() > 0) {
    ClearSelection();
    FPendingText.clear();
  } else {
    const Integer n = StepBackCount();
    if (n == 0) return false;
    FHead.resize(FHead.size() - size_t(n));
  }
  CutTailUnlessFits();
  AfterEdit();
  Show();
  return false;
}

bool TcxMaskEditRegExprMode::DeleteSelection() {
  if (!IsCompiled() || !Sync()) return LeaveToInnerEdit();
  if (SelLength() > 0) {
    ClearSelection();
    FPendingText.clear();
  } else {
    if (FTail.empty()) return false;
    FTail.erase(0, size_t(DeleteCount()));
  }
  CutTailUnlessFits();
  AfterEdit();
  Show();
  return false;
}

bool TcxMaskEditRegExprMode::MoveLeft() {
  if (!IsCompiled() || !Sync()) return LeaveToInnerEdit();
  const Integer len = SelLength();
  if (len > 0 && !ShiftPressed()) {
    // The platform edit collapses the selection to its start.
    if (SelStart() + len == Integer(FHead.size())) {
      StepBack(len);
      FTail.insert(0, FHead.substr(FHead.size() - size_t(len)));
      FHead.resize(FHead.size() - size_t(len));
    }
    return true;
  }
  if (!FHead.empty()) {
    StepBack(1);
    FTail.insert(FTail.begin(), FHead.back());
    FHead.pop_back();
  }
  return true;
}

bool TcxMaskEditRegExprMode::MoveRight() {
  if (!IsCompiled() || !Sync()) return LeaveToInnerEdit();
  const Integer len = SelLength();
  Integer count = 1;
  if (len > 0 && !ShiftPressed()) {
    if (SelStart() != Integer(FHead.size())) return true;
    count = len;
  }
  for (Integer i = 0; i < count && !FTail.empty(); ++i) {
    Char c = FTail[0];
    if (!Step(c)) return LeaveToInnerEdit();
    FHead += FTail[0];
    FTail.erase(0, 1);
  }
  return true;
}

bool TcxMaskEditRegExprMode::GotoHome() {
  if (!IsCompiled()) return true;
  FTail = FHead + FTail;
  FHead.clear();
  FRegExpr->GetAutomat()->Reset();
  return true;
}

bool TcxMaskEditRegExprMode::GotoEnd() {
  if (!IsCompiled() || !Sync()) return LeaveToInnerEdit();
  for (Char c : FTail) {
    Char copy = c;
    if (!Step(copy)) return LeaveToInnerEdit();
  }
  FHead += FTail;
  FTail.clear();
  return true;
}

void TcxMaskEditRegExprMode::SelectText() {
  if (!IsCompiled()) return;
  Sync();
  for (Char c : FTail) {
    Char copy = c;
    if (!Step(copy)) {
      FNeedsSync = true;
      return;
    }
  }
  FHead += FTail;
  FTail.clear();
}

void TcxMaskEditRegExprMode::BeforePaste(const String& AClipboardText) {
  FPasteHead = Text().substr(0, size_t(SelStart())) + AClipboardText;
  FPasteCaret = -1;
}

void TcxMaskEditRegExprMode::SetText(const String& AText) {
  if (IsCompiled()) FRegExpr->GetAutomat()->Reset();
  FHead.clear();
  FTail = AText;
  FNeedsSync = true;
  if (FInsertedLength >= 1 && !AText.empty() && IsCompiled()) {
    // The caret goes behind what is left of the text before it and the pasted characters.
    const String head = GetFormattedText(FPasteHead);
    FPasteCaret = Integer(std::min(head.size(), AText.size()));
  }
  FInsertedLength = 0;
}

void TcxMaskEditRegExprMode::AfterPaste() {
  if (FPasteCaret >= 0) SetSel(std::min(FPasteCaret, Integer(Text().size())), 0);
  FPasteCaret = -1;
  FNeedsSync = true;
}

void TcxMaskEditRegExprMode::UpdateEditValue() {
  inherited::UpdateEditValue();
  if (!FEdit || FEdit->IsInnerEditNotReady() || !IsCompiled()) return;
  const String text = Text();
  SetSel(Integer(text.size()), 0);
  FRegExpr->GetAutomat()->Reset();
  FHead = FRegExpr->GetAcceptedText(text);
  FTail.clear();
  FNeedsSync = FHead != text;
}

void TcxMaskEditRegExprMode::ApplyPendingEmptyText() {
  if (!FEmptyTextPending || !FEdit) return;
  FEmptyTextPending = false;
  FEdit->SetEditValue(Variant(GetEmptyString()));
}

// ---- regular expressions with completion ----

TcxMaskEditRegExprExMode::TcxMaskEditRegExprExMode(TcxCustomMaskEdit* AEdit, TcxCustomMaskEditProperties* AProperties)
    : TcxMaskEditRegExprMode(AEdit, AProperties) {
  FRegExpr->OnSymbolDelete = {this, &TcxMaskEditRegExprExMode::SymbolDelete};
  FRegExpr->OnSymbolUpdate = {this, &TcxMaskEditRegExprExMode::SymbolUpdate};
  FRegExpr->SetAutoComplete(true);
}

void TcxMaskEditRegExprExMode::Compile(const String& AMask) {
  FPrefix.clear();
  inherited::Compile(AMask);
  FInsertedText.clear();
  if (!IsCompiled() || cxRegExprIsBlank(AMask)) return;
  FRegExpr->GetAutomat()->Reset();
  FPrefix = Continuation();
  FEmptyTextPending = FEdit && !FEdit->HoldsValue();
}

String TcxMaskEditRegExprExMode::Continuation() {
  FInsertedText.clear();
  FRegExpr->GetAutomat()->AutoComplete();
  return std::exchange(FInsertedText, String());
}

bool TcxMaskEditRegExprExMode::TakeContinuation() {
  bool written = false;
  for (Char c : Continuation()) {
    if (!written && !FTail.empty() && FTail[0] == c) FTail.erase(0, 1);
    else written = true;
    FHead += c;
  }
  return written;
}

String TcxMaskEditRegExprExMode::GetFormattedText(const String& AText) {
  if (!IsCompiled()) return {};
  String result = inherited::GetFormattedText(AText);
  return result + Continuation();
}

bool TcxMaskEditRegExprExMode::IsFullValidText(const String& AText) {
  if (IsCompiled() && !AText.empty() && AText == FPrefix) return true;
  return inherited::IsFullValidText(AText);
}

bool TcxMaskEditRegExprExMode::SelectionBehindPrefix() {
  const Integer prefix = Integer(FPrefix.size()), start = SelStart(), end = start + SelLength();
  if (!IsCompiled() || SelLength() == 0 || start >= prefix || Text().rfind(FPrefix, 0) != 0) return SelLength() > 0;
  SetSel(std::min(prefix, end), std::max(0, end - prefix));
  return end > prefix;
}

// Typing, deleting or cutting over a selection keeps the forced prefix: what is typed goes in
// behind it.
bool TcxMaskEditRegExprExMode::PressSymbol(Char& Key) {
  SelectionBehindPrefix();
  return inherited::PressSymbol(Key);
}

Integer TcxMaskEditRegExprExMode::StepBackCount() {
  if (FHead.empty()) return 0;
  FDeletedCount = 0;
  FRegExpr->GetAutomat()->UndoAutoComplete();
  // Forced characters go with the character that forced them.
  Integer n = FDeletedCount;
  if (FRegExpr->GetAutomat()->Prev()) ++n;
  return std::min(n, Integer(FHead.size()));
}

Integer TcxMaskEditRegExprExMode::DeleteCount() {
  Char c = FTail[0];
  if (!Step(c)) return 1;
  const String forced = Continuation();
  Integer n = 1;
  while (n <= Integer(forced.size()) && n < Integer(FTail.size()) && FTail[size_t(n)] == forced[size_t(n - 1)]) ++n;
  StepBack(1 + Integer(forced.size()));
  return n;
}

// An edit inside the text may change what the expression forces at its end.
void TcxMaskEditRegExprExMode::AfterEdit() {
  if (FTail.empty()) return;
  for (Char c : FTail) {
    Char copy = c;
    if (!Step(copy)) {
      FNeedsSync = true;
      return;
    }
  }
  FTail += Continuation();
  StepBack(Integer(FTail.size()));
}

bool TcxMaskEditRegExprExMode::Backspace() {
  if (!IsCompiled() || !Sync()) return LeaveToInnerEdit();
  // Nothing typed lies before the caret: the forced prefix stays.
  if (SelLength() == 0 && !FPrefix.empty() && FHead.size() <= FPrefix.size()) {
    Beep();
    return false;
  }
  if (SelLength() > 0 && !SelectionBehindPrefix()) {
    Beep();
    return false;
  }
  return inherited::Backspace();
}

bool TcxMaskEditRegExprExMode::DeleteSelection() {
  if (IsCompiled() && SelLength() > 0 && !SelectionBehindPrefix()) {
    Beep();
    return false;
  }
  if (IsCompiled() && SelLength() == 0 && SelStart() < Integer(FPrefix.size())) {
    Beep();
    return false;
  }
  return inherited::DeleteSelection();
}

bool TcxMaskEditRegExprExMode::MoveLeft() {
  if (!IsCompiled() || !Sync()) return LeaveToInnerEdit();
  if (SelLength() > 0 || ShiftPressed() || FHead.empty()) return inherited::MoveLeft();
  const Integer n = StepBackCount();
  FTail.insert(0, FHead.substr(FHead.size() - size_t(n)));
  FHead.resize(FHead.size() - size_t(n));
  SetSel(Integer(FHead.size()), 0);
  return false;
}

// The forced characters that follow the character passed over are passed over with it.
bool TcxMaskEditRegExprExMode::MoveRight() {
  if (!IsCompiled() || !Sync()) return LeaveToInnerEdit();
  if (SelLength() > 0 || ShiftPressed() || FTail.empty()) return inherited::MoveRight();
  Char c = FTail[0];
  if (!Step(c)) return LeaveToInnerEdit();
  FHead += FTail[0];
  FTail.erase(0, 1);
  if (TakeContinuation()) {
    CutTailUnlessFits();
    Show();
  } else {
    SetSel(Integer(FHead.size()), 0);
  }
  return false;
}

bool TcxMaskEditRegExprExMode::GotoEnd() {
  if (!IsCompiled() || !Sync() || ShiftPressed()) return inherited::GotoEnd();
  for (Char c : FTail) {
    Char copy = c;
    if (!Step(copy)) return LeaveToInnerEdit();
  }
  FHead += FTail;
  FTail.clear();
  TakeContinuation();
  Show();
  return false;
}

TL_DEFINE_CLASS(TcxMaskEditCustomMode, [](auto&) {});
TL_DEFINE_CLASS(TcxMaskEditStandardMode, [](auto&) {});
TL_DEFINE_CLASS(TcxMaskEditRegExprMode, [](auto&) {});
TL_DEFINE_CLASS(TcxMaskEditRegExprExMode, [](auto&) {});
