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
  if (!FEdit || FEdit->IsInnerEditNotReady()) return;
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
  if (Trim(AMask).empty()) {
    FStandardMask->Clear();
    return;
  }
  FStandardMask->SetMask(AMask);
  FEmptyTextPending = FEdit != nullptr;
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
  if (start < Integer(Text().size())) SetSel(start, 1);
}

bool TcxMaskEditStandardMode::IsCursorBegin() {
  const Integer start = SelStart();
  for (Integer i = 0; i < start; ++i)
    if (!IsLiteral(i)) return false;
  return SelLength() <= 1 || FEdit->InnerTextEdit()->GetCaretCharIndex() == start;
}

bool TcxMaskEditStandardMode::IsCursorEnd() { return SelStart() == Integer(Text().size()); }

bool TcxMaskEditStandardMode::MoveLeft() {
  if (ShiftPressed()) {
    if (SelLength() == 1) SetSel(SelStart(), 0);
    return true;
  }
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
  if (ShiftPressed()) {
    if (SelLength() == 1) SetSel(SelStart(), 0);
    return true;
  }
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
  if (ShiftPressed()) return true;
  const Integer to = NextInput(0, 1);
  SetSel(to >= 0 ? to : 0, 0);
  SetOverwriteSelection();
  return false;
}

bool TcxMaskEditStandardMode::GotoEnd() {
  if (ShiftPressed()) return true;
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
  if (IsLiteral(start)) {
    if (SelLength() >= 2) DeleteSelection();
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
  if (FEdit && !FEdit->IsCharValidForPos(ch, start + 1)) {
    if (ch == 0) Beep();
    return false;
  }
  if (SelLength() >= 2) DeleteSelection();
  String next = Text();
  start = SelStart();
  next[size_t(start)] = ch;
  WriteText(next, start);
  // The caret moves on over literals to the next input position.
  const Integer to = NextInput(start + 1, 1);
  SetSel(to >= 0 ? to : Integer(next.size()), 0);
  SetOverwriteSelection();
  return false;
}

bool TcxMaskEditStandardMode::DeleteSelection() {
  String text = Text();
  const Integer start = SelStart(), end = start + SelLength();
  for (Integer i = start; i < end && i < FStandardMask->Count(); ++i)
    if (!IsLiteral(i)) text[size_t(i)] = GetBlankChar();
  WriteText(text, start);
  SetOverwriteSelection();
  return false;
}

bool TcxMaskEditStandardMode::Backspace() {
  if (SelLength() <= 1) {
    const Integer to = NextInput(SelStart() - 1, -1);
    if (to < 0) return false;
    SetSel(to, 1);
  }
  return DeleteSelection();
}

void TcxMaskEditStandardMode::BeforePaste(const String& AClipboardText) {
  FPasteStart = SelStart();
  SetSel(FPasteStart, Integer(std::min(AClipboardText.size(), Text().size() - size_t(FPasteStart))));
}

void TcxMaskEditStandardMode::AfterPaste() {
  Integer to = std::min(SelStart(), Integer(Text().size()));
  if (IsLiteral(to)) {
    const Integer next = NextInput(to, 1);
    to = next >= 0 ? next : Integer(Text().size());
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
const TResStringRec cxSMaskEditRegExprError = {65312, "Regular expression errors:"};

void CompileExpression(TcxRegExpr& AExpr, const String& AMask) {
  TStringStream stream(AMask);
  try {
    AExpr.Compile(&stream);
  } catch (const EcxRegExprError& E) {
    String msg = LoadResString(cxSMaskEditRegExprError);
    for (Integer i = 0; i < E.Errors().Count(); ++i) msg += "\r\n" + E.Errors().Items(i)->FullText();
    throw EcxMaskEditError(msg);
  }
}
}  // namespace

void TcxMaskEditRegExprMode::Compile(const String& AMask) {
  FMask = AMask;
  FHead.clear();
  FTail.clear();
  if (Trim(AMask).empty()) return;
  CompileExpression(*FRegExpr, AMask);
}

Integer TcxMaskEditRegExprMode::Feed(const String& AText) {
  FRegExpr->Reset();
  Integer n = 0;
  for (Char c : AText) {
    Char copy = c;
    if (!FRegExpr->Next(copy)) break;
    ++n;
  }
  return n;
}

bool TcxMaskEditRegExprMode::TailFits(const String& ATail) {
  Integer fed = 0;
  bool fits = true;
  for (Char c : ATail) {
    Char copy = c;
    if (!FRegExpr->Next(copy)) {
      fits = false;
      break;
    }
    ++fed;
  }
  for (Integer i = 0; i < fed; ++i) FRegExpr->Prev();
  return fits;
}

String TcxMaskEditRegExprMode::GetFormattedText(const String& AText) {
  if (!IsCompiled()) return {};
  FRegExpr->Reset();
  const bool was = FRegExpr->GetAutoComplete();
  FRegExpr->SetAutoComplete(false);
  String result = FRegExpr->GetAcceptedText(AText);
  FRegExpr->SetAutoComplete(was);
  return result;
}

bool TcxMaskEditRegExprMode::IsFullValidText(const String& AText) {
  if (AText.empty()) return true;
  if (!IsCompiled()) return false;
  TcxRegExpr check;
  check.SetCaseInsensitive(FRegExpr->GetCaseInsensitive());
  CompileExpression(check, FMask);
  for (Char c : AText) {
    Char copy = c;
    if (!check.Next(copy)) return false;
  }
  return GetProperties()->GetIgnoreMaskBlank() || check.IsFinal();
}

void TcxMaskEditRegExprMode::SelectText() { FNeedsSync = true; }

void TcxMaskEditRegExprMode::Replace(const String& AHead, const String& AInsert, const String& ATail) {
  String head = AHead + AInsert;
  const bool fits = TailFits(ATail);
  WriteText(fits ? head + ATail : head, Integer(head.size()));
  FHead = head;
  FTail = fits ? ATail : String();
  FNeedsSync = false;
}

bool TcxMaskEditRegExprMode::PressSymbol(Char& Key) {
  if (!IsCompiled()) {
    Beep();
    return false;
  }
  const String text = Text();
  const Integer start = SelStart(), end = start + SelLength();
  const String head = text.substr(0, size_t(start)), tail = text.substr(size_t(end));
  if (Feed(head) < Integer(head.size())) {
    // A text the mode did not write: only its accepted beginning is kept.
    Beep();
    return false;
  }
  Char ch = Key;
  ApplyCharCase(ch);
  const bool completes = FRegExpr->GetAutoComplete();
  FRegExpr->SetAutoComplete(false);
  const bool accepted = FRegExpr->Next(ch);
  FRegExpr->SetAutoComplete(completes);
  if (!accepted) {
    Beep();
    return false;
  }
  String insert(1, ch);
  if (AutoCompletes()) insert += static_cast<TcxMaskEditRegExprExMode*>(this)->PressContinuation();
  Replace(head, insert, tail);
  return false;
}

bool TcxMaskEditRegExprMode::Backspace() {
  if (!IsCompiled()) return false;
  const String text = Text();
  Integer start = SelStart(), end = start + SelLength();
  if (start == end) {
    if (start == 0) return false;
    --start;
  }
  const String head = text.substr(0, size_t(start)), tail = text.substr(size_t(end));
  Feed(head);
  Replace(head, String(), tail);
  return false;
}

bool TcxMaskEditRegExprMode::DeleteSelection() {
  if (!IsCompiled()) return false;
  const String text = Text();
  const Integer start = SelStart();
  Integer end = start + SelLength();
  if (start == end) {
    if (end >= Integer(text.size())) return false;
    ++end;
  }
  const String head = text.substr(0, size_t(start)), tail = text.substr(size_t(end));
  Feed(head);
  Replace(head, String(), tail);
  return false;
}

void TcxMaskEditRegExprMode::SetText(const String& AText) {
  FHead.clear();
  FTail = AText;
  FInsertedLength = 0;
  FNeedsSync = true;
}

void TcxMaskEditRegExprMode::UpdateEditValue() {
  inherited::UpdateEditValue();
  if (!FEdit || !IsCompiled()) return;
  FHead = Text();
  FTail.clear();
  SetSel(Integer(FHead.size()), 0);
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
}

void TcxMaskEditRegExprExMode::Compile(const String& AMask) {
  FInsertedText.clear();
  inherited::Compile(AMask);
  FEmptyTextPending = FEdit != nullptr && IsCompiled();
}

String TcxMaskEditRegExprExMode::PressContinuation() { return Continuation(); }

String TcxMaskEditRegExprExMode::Continuation() {
  FInsertedText.clear();
  FRegExpr->SetAutoComplete(true);
  String result = FInsertedText;
  // The automaton stands behind the forced characters now; Replace feeds the tail from here.
  FRegExpr->SetAutoComplete(false);
  FInsertedText.clear();
  return result;
}

String TcxMaskEditRegExprExMode::GetEmptyString() {
  if (!IsCompiled()) return {};
  FRegExpr->Reset();
  return Continuation();
}

String TcxMaskEditRegExprExMode::GetFormattedText(const String& AText) {
  if (!IsCompiled()) return {};
  String result = inherited::GetFormattedText(AText);
  return result + Continuation();
}

bool TcxMaskEditRegExprExMode::IsFullValidText(const String& AText) {
  if (IsCompiled() && !AText.empty() && AText == GetEmptyString()) return true;
  return inherited::IsFullValidText(AText);
}

bool TcxMaskEditRegExprExMode::PressSymbol(Char& Key) {
  // A selection from the start keeps the forced prefix: the key goes in behind it.
  if (IsCompiled() && SelStart() == 0 && SelLength() > 0) {
    const String prefix = GetEmptyString();
    if (!prefix.empty() && Text().rfind(prefix, 0) == 0) {
      const Integer skip = std::min(Integer(prefix.size()), SelLength());
      SetSel(skip, SelLength() - skip);
    }
  }
  return inherited::PressSymbol(Key);
}

bool TcxMaskEditRegExprExMode::DeleteSelection() {
  if (IsCompiled() && SelLength() == 0 && SelStart() < Integer(GetEmptyString().size())) {
    Beep();
    return false;
  }
  return inherited::DeleteSelection();
}

bool TcxMaskEditRegExprExMode::Backspace() {
  if (!IsCompiled()) return false;
  const String prefix = GetEmptyString();
  const Integer start = SelStart();
  // Nothing typed lies before the caret: the forced prefix stays.
  if (SelLength() == 0 && !prefix.empty() && start <= Integer(prefix.size())) {
    Beep();
    return false;
  }
  if (SelLength() > 0) return inherited::Backspace();
  // Forced characters go together with the character that forced them.
  const String text = Text();
  Integer from = start - 1;
  for (Integer j = start - 1; j >= 1; --j) {
    const String forced = text.substr(size_t(j), size_t(start - j));
    if (Feed(text.substr(0, size_t(j))) < j || Continuation().compare(0, forced.size(), forced) != 0) break;
    from = j - 1;
  }
  const String head = text.substr(0, size_t(from));
  Feed(head);
  Replace(head, String(), text.substr(size_t(start)));
  return false;
}

void TcxMaskEditRegExprExMode::SetText(const String& AText) { inherited::SetText(AText); }

TL_DEFINE_CLASS(TcxMaskEditCustomMode, [](auto&) {});
TL_DEFINE_CLASS(TcxMaskEditStandardMode, [](auto&) {});
TL_DEFINE_CLASS(TcxMaskEditRegExprMode, [](auto&) {});
TL_DEFINE_CLASS(TcxMaskEditRegExprExMode, [](auto&) {});
